#include "look/look_startup.h"
#include "test_window.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace gridwork {
namespace {

struct Report {
    std::string handler;
    int step = 0;
    std::string description;
};

class LookStartupTest : public ::testing::Test {
protected:
    void run() {
        StepTrap trap("Form_Load",
                      [this](std::string_view handler, int step, const std::string& description) {
                          reports.push_back({std::string(handler), step, description});
                      });
        runLookStartup(trap, *form.window, program.path(), *feedback, *skin,
                       [this](const QString& path) {
                           asked.push_back(path);
                           return QFileInfo::exists(path);
                       });
    }

    void place(const QString& relative, const QByteArray& bytes) {
        const QString path = program.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir program;
    test::TestWindow form = test::buildTestWindow();
    PointerFeedback* feedback = new PointerFeedback(form.window.get());
    SkinFramework* skin = new SkinFramework(form.window.get());
    std::vector<Report> reports;
    std::vector<QString> asked;
};

TEST_F(LookStartupTest, WithoutFilesNothingChangesAndNothingIsReported) {
    run();
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(asked, std::vector<QString>{program.filePath("HAND-M.CUR")});
    EXPECT_FALSE(feedback->hasCustomPointer());
    EXPECT_EQ(form.window->palette().color(QPalette::Window), QColor(Qt::white));
    EXPECT_TRUE(form.window->styleSheet().isEmpty());
}

TEST_F(LookStartupTest, HandPointerAndSkinBesideTheProgramAreTaken) {
    QFile shipped(GRIDWORK_SOURCE_DIR "/src/look/resources/HAND-M.CUR");
    ASSERT_TRUE(shipped.open(QIODevice::ReadOnly));
    place("HAND-M.CUR", shipped.readAll());
    place("x/o.cjs", "QPushButton { color: navy; }");
    run();
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(feedback->hasCustomPointer());
    EXPECT_EQ(form.window->palette().color(QPalette::Window), buttonFaceColour());
    EXPECT_FALSE(form.window->styleSheet().isEmpty());
}

TEST_F(LookStartupTest, BrokenCursorIsReportedAtLine104AndTheSkinStillApplies) {
    place("HAND-M.CUR", "This is a text file, not a Windows cursor.");
    place("x/o.cjs", "QLabel { color: navy; }");
    run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].handler, "Form_Load");
    EXPECT_EQ(reports[0].step, 104);
    EXPECT_EQ(reports[0].description,
              "The pointer file \"" + program.filePath("HAND-M.CUR").toStdString() +
                  "\" is no Windows cursor (.cur): it does not start with a cursor header.");
    EXPECT_FALSE(feedback->hasCustomPointer());
    EXPECT_FALSE(form.window->styleSheet().isEmpty());
}

TEST_F(LookStartupTest, RefusedSkinIsReportedAtLine106WithTheColoursKept) {
    place("x/o.cjs", "QLabel { color: navy;\n");
    run();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].step, 106);
    EXPECT_EQ(reports[0].description,
              "The skin file \"" + program.filePath("x/o.cjs").toStdString() +
                  "\" is no valid style sheet: line 1: the rule for \"QLabel\" is not closed "
                  "with '}'.");
    EXPECT_EQ(form.window->palette().color(QPalette::Window), buttonFaceColour());
    EXPECT_EQ(form.table1.frame->palette().color(QPalette::Window), buttonFaceColour());
    EXPECT_TRUE(form.window->styleSheet().isEmpty());
}

} // namespace
} // namespace gridwork
