#include "panel/help_command.h"
#include "shell/qt_outside_world.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>
#include <optional>
#include <set>

namespace gridwork {
namespace {

TEST(DisplayLineBreaks, EveryCrLfAndLoneCrBreaksOnce) {
    EXPECT_EQ(displayLineBreaks(QStringLiteral("a\r\nb\r\rc\nd")), QStringLiteral("a\nb\n\nc\nd"));
    EXPECT_EQ(displayLineBreaks(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(ClockSeededRandom, DrawsWholeNumbersFromOneToHundred) {
    ClockSeededRandom random;
    std::set<int> seen;
    for (int i = 0; i < 10000; ++i) {
        const int draw = random.oneToHundred();
        ASSERT_GE(draw, 1);
        ASSERT_LE(draw, 100);
        seen.insert(draw);
    }
    // Ten thousand fair draws miss one of a hundred values with a chance of about 1e-42.
    EXPECT_EQ(seen.size(), 100U);
}

// Runs `look` on the modal box or dialog as soon as it shows, then lets `answer` close it.
template <class Box, class Look> void whenShown(Look look) {
    QTimer::singleShot(0, [look] {
        auto* box = qobject_cast<Box*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        look(*box);
    });
}

TEST(QtDialogs, AMessageOfOneLineStaysOnOneLineWhileItFitsTheScreen) {
    const QString endless = QStringLiteral("word ").repeated(400).trimmed();
    for (const QString& text : {helpText(), endless}) {
        bool oneLine = false;
        whenShown<QMessageBox>([&](QMessageBox& box) {
            QCoreApplication::processEvents(); // the box settles its size
            const auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            oneLine = label->width() >= label->fontMetrics().horizontalAdvance(text);
            box.button(QMessageBox::Ok)->click();
        });
        QtDialogs().showMessage({nullptr, QStringLiteral("Title"), text});
        EXPECT_EQ(oneLine, text != endless) << text.left(40).toStdString();
    }
}

TEST(QtDialogs, FileDialogOpensWhereTheLastFileWasChosenWithAnEmptyName) {
    const QTemporaryDir top;
    ASSERT_TRUE(QDir(top.path()).mkdir(QStringLiteral("chosen here")));
    const QString folder = top.filePath(QStringLiteral("chosen here"));
    const QString memory = top.filePath(QStringLiteral("folder.ini"));
    std::optional<QtDialogs> dialogs(memory);
    QStringList opened;
    const auto choose = [&](const QString& file) {
        whenShown<QFileDialog>([&opened, file](QFileDialog& dialog) {
            opened << dialog.directory().absolutePath() + QLatin1Char('|') +
                          dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
            dialog.selectFile(file);
            static_cast<QDialog&>(dialog).accept();
        });
        return dialogs->openFileName({nullptr, QString(), openReadOnly, QStringLiteral("Select"),
                                      QStringLiteral("All Calc Files (*.ods)")});
    };
    EXPECT_EQ(choose(folder + QStringLiteral("/new.ods")), folder + QStringLiteral("/new.ods"));
    EXPECT_EQ(choose(top.filePath(QStringLiteral("b.ods"))), top.filePath(QStringLiteral("b.ods")));
    choose(top.filePath(QStringLiteral("c.ods")));
    dialogs.emplace(memory); // the next run
    choose(folder + QStringLiteral("/d.ods"));
    ASSERT_EQ(opened.size(), 4);
    EXPECT_EQ(opened[1], folder + QLatin1Char('|'));
    EXPECT_EQ(opened[2], top.path() + QLatin1Char('|'));
    EXPECT_EQ(opened[3], top.path() + QLatin1Char('|'));
}

} // namespace
} // namespace gridwork
