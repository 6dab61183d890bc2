#include "look/window_skin.h"
#include "test_window.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace gridwork {
namespace {

const QString exampleSkin = GRIDWORK_SOURCE_DIR "/src/look/skins/example.cjs";

std::string refusalOf(const std::function<void()>& call) {
    try {
        call();
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "not refused";
}

class WindowSkinTest : public ::testing::Test {
protected:
    void SetUp() override {
        radio = new QRadioButton("radio", form.table2.frame);
        radio->setGeometry(360, 56, 80, 20);
        check = new QCheckBox("check", form.table1.frame);
        check->setGeometry(360, 56, 80, 20);
    }

    QString skinPath() const { return skinFilePath(program.path()); }

    void placeSkin(const QByteArray& text) {
        QDir().mkpath(program.filePath("x"));
        QFile file(skinPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    void placeExample() {
        QFile example(exampleSkin);
        ASSERT_TRUE(example.open(QIODevice::ReadOnly));
        placeSkin(example.readAll());
    }

    std::string applyRefusal() {
        return refusalOf([this] { applySkin(*form.window, program.path(), skin); });
    }

    std::vector<QWidget*> buttonFaceControls() const {
        std::vector<QWidget*> controls{form.window.get(), form.table1.frame, form.table2.frame,
                                       radio, check};
        for (const test::TablePanel* panel : {&form.table1, &form.table2}) {
            controls.insert(controls.end(), panel->labels.begin(), panel->labels.end());
        }
        return controls;
    }

    void expectDesignTimeLook() const {
        EXPECT_EQ(form.window->palette().color(QPalette::Window), QColor(Qt::white));
        EXPECT_FALSE(form.table1.frame->autoFillBackground());
        EXPECT_FALSE(form.table1.labels[0]->autoFillBackground());
        EXPECT_TRUE(form.window->styleSheet().isEmpty());
    }

    void expectButtonFace() const {
        for (QWidget* control : buttonFaceControls()) {
            EXPECT_TRUE(control->autoFillBackground()) << control->objectName().toStdString();
            EXPECT_EQ(control->palette().color(QPalette::Window), buttonFaceColour())
                << control->objectName().toStdString();
        }
        for (QWidget* untouched :
             std::vector<QWidget*>{form.start, form.table1.path, form.table2.numbers[0]}) {
            EXPECT_FALSE(untouched->autoFillBackground()) << untouched->objectName().toStdString();
        }
    }

    void expectNoCallsAfterLoad() {
        EXPECT_EQ(skin.property(1).toInt(), 0);
        EXPECT_FALSE(skin.property(5).toBool());
        EXPECT_FALSE(skin.property(10).toBool());
        EXPECT_TRUE(form.window->styleSheet().isEmpty());
    }

    QTemporaryDir program;
    test::TestWindow form = test::buildTestWindow();
    QRadioButton* radio = nullptr;
    QCheckBox* check = nullptr;
    SkinFramework skin;
};

TEST_F(WindowSkinTest, SkinFileLiesInFolderXBelowTheProgram) {
    EXPECT_EQ(skinFilePath("/opt/gridwork/bin"), QString("/opt/gridwork/bin/x/o.cjs"));
}

TEST_F(WindowSkinTest, WithoutSkinFileTheWindowStaysWhite) {
    EXPECT_EQ(applyRefusal(), "not refused");
    expectDesignTimeLook();
    expectNoCallsAfterLoad();
}

TEST_F(WindowSkinTest, ExampleSkinRestylesWindowLabelsAndFrames) {
    placeExample();
    EXPECT_EQ(applyRefusal(), "not refused");
    expectButtonFace();
    EXPECT_EQ(skin.property(1).toInt() & 1, 1);
    EXPECT_TRUE(skin.property(5).toBool());
    EXPECT_TRUE(skin.property(10).toBool());
    EXPECT_EQ(form.window->styleSheet(), skin.appliedStyleSheet());
    EXPECT_TRUE(skin.appliedStyleSheet().contains("QPushButton:hover {"));
    EXPECT_TRUE(skin.appliedStyleSheet().contains("background-color: #3d6b99;"));
}

TEST_F(WindowSkinTest, ExampleSkinShowsOnScreen) {
    form.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.window.get()));
    const QImage plain = form.window->grab().toImage();
    placeExample();
    applySkin(*form.window, program.path(), skin);
    const QImage skinned = form.window->grab().toImage();
    const QString shots = qEnvironmentVariable("GRIDWORK_LOOK_SCREENSHOTS");
    if (!shots.isEmpty()) {
        plain.save(shots + "/plain.png");
        skinned.save(shots + "/skinned.png");
    }
    const QPoint background(4, 366);
    const QPoint startButton = form.start->geometry().center() + QPoint(100, 0);
    EXPECT_EQ(plain.pixelColor(background), QColor(Qt::white));
    EXPECT_EQ(skinned.pixelColor(background), QColor("#dde5ee"));
    EXPECT_EQ(skinned.pixelColor(startButton), QColor("#3d6b99"));
}

TEST_F(WindowSkinTest, FolderNamedLikeTheSkinDoesNotCount) {
    ASSERT_TRUE(QDir().mkpath(skinPath()));
    EXPECT_FALSE(skinFileCounts(skinPath()));
    EXPECT_EQ(applyRefusal(), "not refused");
    expectDesignTimeLook();
}

// On Linux a file is hidden by a leading dot, which the name o.cjs never has; what can be hidden
// is the file that an o.cjs link leads to.
TEST_F(WindowSkinTest, HiddenSkinDoesNotCount) {
    QDir().mkpath(program.filePath("x"));
    QFile hidden(program.filePath("x/.o.cjs"));
    ASSERT_TRUE(hidden.open(QIODevice::WriteOnly));
    hidden.write("QLabel { color: red; }");
    hidden.close();
    EXPECT_FALSE(skinFileCounts(hidden.fileName()));
    EXPECT_FALSE(skinFileCounts(skinPath()));
    ASSERT_TRUE(QFile::link(".o.cjs", skinPath()));
    EXPECT_FALSE(skinFileCounts(skinPath()));
    EXPECT_EQ(applyRefusal(), "not refused");
    expectDesignTimeLook();
}

TEST_F(WindowSkinTest, LinkToAnOrdinaryFileCounts) {
    QDir().mkpath(program.filePath("x"));
    ASSERT_TRUE(QFile::link(exampleSkin, skinPath()));
    EXPECT_TRUE(skinFileCounts(skinPath()));
    ASSERT_TRUE(QFile::remove(skinPath()));
    ASSERT_TRUE(QFile::link(program.filePath("x/gone.cjs"), skinPath()));
    EXPECT_FALSE(skinFileCounts(skinPath()));
}

TEST_F(WindowSkinTest, UnreadableSkinIsRefusedWithButtonFaceKept) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "root reads every file";
    }
    placeSkin("QLabel { color: red; }");
    ASSERT_TRUE(QFile::setPermissions(skinPath(), QFileDevice::Permissions()));
    EXPECT_EQ(applyRefusal(), "The skin file \"" + skinPath().toStdString() +
                                  "\" cannot be read: Permission denied.");
    expectButtonFace();
    expectNoCallsAfterLoad();
}

TEST_F(WindowSkinTest, InvalidSkinIsRefusedWithButtonFaceKeptAndLaterCallsSkipped) {
    placeSkin("QLabel { color: red; }\nQPushButton color: blue; }\n");
    EXPECT_EQ(applyRefusal(), "The skin file \"" + skinPath().toStdString() +
                                  "\" is no valid style sheet: line 2: the selector "
                                  "\"QPushButton color: blue\" is followed by ';' instead of "
                                  "'{'.");
    expectButtonFace();
    expectNoCallsAfterLoad();
}

TEST_F(WindowSkinTest, SkinThatIsNoTextIsRefused) {
    placeSkin(QByteArray("QLabel { color: red; }\0\xff", 25));
    EXPECT_EQ(applyRefusal(), "The skin file \"" + skinPath().toStdString() +
                                  "\" is no style sheet: it is not UTF-8 text.");
    expectButtonFace();
}

TEST_F(WindowSkinTest, ComponentRefusesWhatItCannotOpen) {
    EXPECT_EQ(refusalOf([this] {
                  skin.invoke(2, {program.path(), QString()});
              }),
              "The skin file \"" + program.path().toStdString() +
                  "\" cannot be read: file to open is a directory.");
}

class SkinComponentTest : public WindowSkinTest {
protected:
    void SetUp() override {
        WindowSkinTest::SetUp();
        placeSkin("QWidget { background-color: #102030; font-size: 20px; border-style: solid; }\n"
                  "QPushButton:hover, QGroupBox QLabel { color: #405060; padding: 3px; }\n");
        skin.invoke(2, {skinPath(), QString()});
        handle = static_cast<qint32>(form.window->winId());
    }

    qint32 handle = 0;
};

TEST_F(SkinComponentTest, PropertiesStartClearAndKeepWhatIsWritten) {
    EXPECT_EQ(skin.property(1), QVariant(0));
    EXPECT_EQ(skin.property(5), QVariant(false));
    EXPECT_EQ(skin.property(10), QVariant(false));
    skin.setProperty(1, 6);
    skin.setProperty(5, true);
    EXPECT_EQ(skin.property(1), QVariant(6));
    EXPECT_EQ(skin.property(5), QVariant(true));
    EXPECT_EQ(refusalOf([this] { skin.setProperty(1, QString("all")); }),
              "The skin component's apply options (property 1) must be a whole number.");
}

TEST_F(SkinComponentTest, EverythingAppliesToTheWholeWindow) {
    skin.setProperty(1, 1);
    skin.setProperty(5, true);
    skin.setProperty(10, true);
    skin.invoke(3, {handle});
    EXPECT_EQ(form.window->styleSheet(),
              "QWidget {\n    background-color: #102030;\n    font-size: 20px;\n"
              "    border-style: solid;\n}\n"
              "QPushButton:hover, QGroupBox QLabel {\n    color: #405060;\n    padding: 3px;\n}\n");
    form.table1.labels[0]->ensurePolished();
    EXPECT_EQ(form.table1.labels[0]->palette().color(QPalette::WindowText), QColor("#405060"));
}

TEST_F(SkinComponentTest, WithoutBitZeroOnlyTheWindowItselfIsRestyled) {
    skin.setProperty(5, true);
    skin.invoke(3, {handle});
    EXPECT_EQ(form.window->styleSheet(),
              "QWidget[gridworkSkinnedWindow=\"true\"] {\n    background-color: #102030;\n"
              "    border-style: solid;\n}\n"
              "QPushButton[gridworkSkinnedWindow=\"true\"]:hover, "
              "QGroupBox QLabel[gridworkSkinnedWindow=\"true\"] {\n    color: #405060;\n}\n");
    form.window->ensurePolished();
    form.table1.labels[0]->ensurePolished();
    EXPECT_EQ(form.window->palette().color(QPalette::Window), QColor("#102030"));
    EXPECT_NE(form.table1.labels[0]->palette().color(QPalette::WindowText), QColor("#405060"));
}

TEST_F(SkinComponentTest, ColoursAndMetricsApplyOnlyWhenAsked) {
    skin.setProperty(1, 1);
    skin.setProperty(10, true);
    skin.invoke(3, {handle});
    EXPECT_EQ(form.window->styleSheet(),
              "QWidget {\n    font-size: 20px;\n    border-style: solid;\n}\n"
              "QPushButton:hover, QGroupBox QLabel {\n    padding: 3px;\n}\n");
    skin.setProperty(5, true);
    skin.setProperty(10, false);
    skin.invoke(3, {handle});
    EXPECT_FALSE(form.window->styleSheet().contains("font-size"));
    EXPECT_TRUE(form.window->styleSheet().contains("color: #405060;"));
}

TEST_F(SkinComponentTest, WrongCallsAreRefused) {
    EXPECT_EQ(refusalOf([this] { skin.invoke(4, {}); }),
              "The skin component has no method with dispatch number 4.");
    EXPECT_EQ(refusalOf([this] { skin.property(7); }),
              "The skin component has no property with dispatch number 7.");
    EXPECT_EQ(refusalOf([this] { skin.setProperty(2, true); }),
              "The skin component has no property with dispatch number 2.");
    EXPECT_EQ(refusalOf([this] { skin.invoke(2, {skinPath()}); }),
              "The skin component's load (method 2) takes a path and a variant name.");
    EXPECT_EQ(refusalOf([this] {
                  skin.invoke(2, {skinPath(), 5});
              }),
              "The skin component's load (method 2) needs a text as argument 2.");
    EXPECT_EQ(refusalOf([this] { skin.invoke(3, {}); }),
              "The skin component's apply (method 3) takes one window handle.");
    const qint32 noWindow = handle + 1000;
    EXPECT_EQ(refusalOf([&] { skin.invoke(3, {noWindow}); }),
              "The skin cannot be applied: no window of the program has the handle " +
                  std::to_string(noWindow) + ".");
}

TEST_F(SkinComponentTest, RefusedLoadLeavesNoSkinToApply) {
    EXPECT_EQ(refusalOf([this] {
                  skin.invoke(2, {skinPath(), QString("Blue")});
              }),
              "The skin file \"" + skinPath().toStdString() +
                  "\" has no variant \"Blue\"; leave the variant empty.");
    EXPECT_EQ(refusalOf([this] { skin.invoke(3, {handle}); }),
              "The skin cannot be applied: no skin file is loaded.");
    EXPECT_TRUE(form.window->styleSheet().isEmpty());
}

} // namespace
} // namespace gridwork
