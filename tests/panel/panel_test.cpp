// The table panels and the commands that fill them, driven through the main window.

#include "shell/form1.h"
#include "window_doubles.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace gridwork::testing {
namespace {

const QString applicationTitle = QStringLiteral("Quessamoor Gridwork Stacker For Desktop");
const QString productTitle =
    QStringLiteral("Quessamoor Gridwork Stacker For Desktop Spreadsheet Users");
const QString numericMessage = QStringLiteral("Must be a numeric entry.");
const QString positiveMessage = QStringLiteral("Must be greater than zero.");

class PanelTest : public WindowTest {
protected:
    std::unique_ptr<Form1> window = startWindow();

    QLineEdit* field(const char* name) { return WindowTest::field(*window, name); }

    void setFields(std::initializer_list<std::pair<const char*, const char*>> texts) {
        for (const auto& [name, text] : texts) {
            field(name)->setText(QString::fromUtf8(text));
        }
    }

    QString stored(const char* key) {
        return QSettings(settingsFile, QSettings::IniFormat)
            .value(productTitle + QLatin1Char('/') + QLatin1String(key))
            .toString();
    }

    /// Shows the window and makes it the active one, so that focus moves as for a user.
    void activate() {
        window->show();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    QPushButton* button(const char* name) {
        return window->findChild<QPushButton*>(QString::fromLatin1(name));
    }

    /// A click as the window system delivers it: to the window, before the focus moves.
    void clickThroughWindow(QWidget* target) {
        const QPoint centre = target->mapTo(window.get(), target->rect().center());
        QTest::mouseClick(window->windowHandle(), Qt::LeftButton, {}, centre);
        QCoreApplication::processEvents();
    }

    /// Leaves `from` with the Tab key and lets the field check that it starts run.
    void tabAwayFrom(QLineEdit* from) {
        from->setFocus(Qt::TabFocusReason);
        QTest::keyClick(from, Qt::Key_Tab);
        QCoreApplication::processEvents();
    }
};

// File selection

TEST_F(PanelTest, BrowseAsksForACalcFileWithAnEmptyNameEveryTime) {
    dialogs.fileNames = {QStringLiteral("/data/north.ods"), QString()};
    window->findChild<QPushButton*>(QStringLiteral("PushButton4"))->click();
    window->findChild<QPushButton*>(QStringLiteral("PushButton4"))->click();
    ASSERT_EQ(dialogs.fileDialogs.size(), 2U);
    for (const OpenFileRequest& request : dialogs.fileDialogs) {
        EXPECT_EQ(request.title, QStringLiteral("Select Excel File"));
        EXPECT_EQ(request.filter, QStringLiteral("All Calc Files (*.ods)"));
        EXPECT_EQ(request.fileName, QString());
        EXPECT_EQ(request.flags, 2621441U);
        EXPECT_EQ(request.owner, window.get());
    }
}

TEST_F(PanelTest, ChosenFileResetsOnlyItsOwnPanel) {
    setFields({{"txtSheet2", "2"},
               {"txtRowFrom2", "3"},
               {"txtRowTo2", "9"},
               {"txtColumnFrom2", "4"},
               {"txtColumnTo2", "7"},
               {"txtRowTo1", "8"}});
    dialogs.fileNames = {QStringLiteral("/data/Süd Filiale/orders 2024.ods")};
    window->findChild<QPushButton*>(QStringLiteral("PushButton6"))->click();
    EXPECT_EQ(field("Text2")->text(), QStringLiteral("/data/Süd Filiale/orders 2024.ods"));
    EXPECT_EQ(stored("Excel File2"), QStringLiteral("/data/Süd Filiale/orders 2024.ods"));
    for (const char* name :
         {"txtSheet2", "txtRowFrom2", "txtRowTo2", "txtColumnFrom2", "txtColumnTo2"}) {
        EXPECT_EQ(field(name)->text(), QStringLiteral("1")) << name;
    }
    EXPECT_EQ(field("txtRowTo1")->text(), QStringLiteral("8"));
    EXPECT_EQ(field("Text1")->text(), QString());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PanelTest, SamePathStillResetsTheNumbers) {
    field("Text1")->setText(QStringLiteral("/data/a.ods"));
    setFields({{"txtColumnTo1", "5"}});
    dialogs.fileNames = {QStringLiteral("/data/a.ods")};
    window->pushButton4Click();
    EXPECT_EQ(field("Text1")->text(), QStringLiteral("/data/a.ods"));
    EXPECT_EQ(field("txtColumnTo1")->text(), QStringLiteral("1"));
}

TEST_F(PanelTest, CancelChangesNothing) {
    field("Text1")->setText(QStringLiteral("/data/a.ods"));
    setFields({{"txtSheet1", "2"}, {"txtRowTo1", "9"}});
    QSettings(settingsFile, QSettings::IniFormat)
        .setValue(productTitle + QStringLiteral("/Excel File1"), QStringLiteral("untouched"));
    dialogs.fileNames = {QString()};
    window->pushButton4Click();
    EXPECT_EQ(field("Text1")->text(), QStringLiteral("/data/a.ods"));
    EXPECT_EQ(field("txtSheet1")->text(), QStringLiteral("2"));
    EXPECT_EQ(field("txtRowTo1")->text(), QStringLiteral("9"));
    EXPECT_EQ(stored("Excel File1"), QStringLiteral("untouched"));
}

TEST_F(PanelTest, DialogFailureIsReportedAndChangesNothing) {
    setFields({{"txtSheet2", "4"}});
    dialogs.failFileDialog = true;
    window->pushButton6Click();
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("The file dialog could not be shown.\r\n"
                             "in Quorvelt2021/08/31.Form1.PushButton6_Click at line 108\r\r"
                             "Please email screenshot of this message to support@vendrasol.com"));
    EXPECT_EQ(field("txtSheet2")->text(), QStringLiteral("4"));
    EXPECT_EQ(field("Text2")->text(), QString());
}

// Sample data

TEST_F(PanelTest, SamplesFillThePathsAndAskAboutTheFolder) {
    setFields({{"txtRowFrom1", "3"}, {"txtRowTo1", "9"}});
    const QString sample1 = folder.path() + QStringLiteral("/Samples/sample1.ods");
    const QString sample2 = folder.path() + QStringLiteral("/Samples/sample2.ods");
    QStringList pathsWhenAsked;
    dialogs.whileShown = [&](const MessageRequest&) {
        pathsWhenAsked << field("Text1")->text() << field("Text2")->text();
    };
    dialogs.replies = {ScriptedDialogs::Reply::No};
    window->findChild<QPushButton*>(QStringLiteral("PushButton1"))->click();
    EXPECT_EQ(pathsWhenAsked, (QStringList{sample1, sample2}));
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("Would you like this software to open the folder where these "
                             "sample files are stored (so that you can view them before "
                             "working with them)?"));
    EXPECT_EQ(dialogs.shown[0].title, applicationTitle);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
    EXPECT_TRUE(shell.folders.isEmpty());
    EXPECT_EQ(stored("Excel File1"), sample1);
    EXPECT_EQ(stored("Excel File2"), sample2);
    EXPECT_EQ(field("txtRowFrom1")->text(), QStringLiteral("3"));
    EXPECT_EQ(field("txtRowTo1")->text(), QStringLiteral("9"));
}

TEST_F(PanelTest, YesOpensTheSamplesFolderEveryTime) {
    dialogs.replies = {ScriptedDialogs::Reply::Yes, ScriptedDialogs::Reply::Yes};
    window->pushButton1Click();
    window->pushButton1Click();
    const QString samples = folder.path() + QStringLiteral("/Samples/");
    EXPECT_EQ(shell.folders, (QStringList{samples, samples}));
    EXPECT_EQ(dialogs.shown.size(), 2U);
    EXPECT_FALSE(window->ended());
}

TEST_F(PanelTest, FailingQuestionRunsTheGuardedStepAndBothFailuresAreReported) {
    dialogs.replies = {ScriptedDialogs::Reply::Fail};
    shell.fail = true;
    window->pushButton1Click();
    ASSERT_EQ(dialogs.shown.size(), 3U);
    EXPECT_EQ(dialogs.shown[1].text,
              QStringLiteral("The message box could not be shown.\r\n"
                             "in Quorvelt2021/08/31.Form1.PushButton1_Click at line 104\r\r"
                             "Please email screenshot of this message to support@vendrasol.com"));
    EXPECT_EQ(dialogs.shown[2].text,
              QStringLiteral("No file manager could be started.\r\n"
                             "in Quorvelt2021/08/31.Form1.PushButton1_Click at line 106\r\r"
                             "Please email screenshot of this message to support@vendrasol.com"));
}

// Help

TEST_F(PanelTest, HelpShowsTheContactAddressAndNothingElse) {
    window->findChild<QPushButton*>(QStringLiteral("PushButton3"))->click();
    window->pushButton3Click();
    ASSERT_EQ(dialogs.shown.size(), 2U);
    for (const MessageRequest& shown : dialogs.shown) {
        EXPECT_EQ(shown.text, QStringLiteral("Questions? Please contact Team Vendrasol at "
                                             "https://www.vendrasol.com/contact/"));
        EXPECT_EQ(shown.title, applicationTitle);
        EXPECT_EQ(shown.buttons, MessageButtons::Ok);
        EXPECT_EQ(shown.icon, MessageIcon::None);
    }
    EXPECT_TRUE(shell.webPages.isEmpty());
    EXPECT_TRUE(shell.folders.isEmpty());
}

// Field behaviours

TEST_F(PanelTest, LeavingAnEmptyFieldBringsTheFocusBack) {
    activate();
    QLineEdit* rowFrom = field("txtRowFrom1");
    rowFrom->setText(QString());
    QWidget* focusDuringMessage = nullptr;
    dialogs.whileShown = [&](const MessageRequest&) {
        focusDuringMessage = QApplication::focusWidget();
    };
    tabAwayFrom(rowFrom);
    ASSERT_EQ(dialogs.texts(), QStringList{numericMessage});
    EXPECT_EQ(dialogs.shown[0].title, applicationTitle);
    EXPECT_EQ(focusDuringMessage, field("txtRowTo1"));
    EXPECT_EQ(QApplication::focusWidget(), rowFrom);
    EXPECT_EQ(rowFrom->text(), QString());
}

TEST_F(PanelTest, FailingTextStaysSelectedForCorrection) {
    activate();
    QLineEdit* columnTo = field("txtColumnTo2");
    columnTo->setText(QStringLiteral("abc"));
    tabAwayFrom(columnTo);
    EXPECT_EQ(dialogs.texts(), QStringList{numericMessage});
    EXPECT_EQ(QApplication::focusWidget(), columnTo);
    EXPECT_EQ(columnTo->selectedText(), QStringLiteral("abc"));
}

TEST_F(PanelTest, ChecksOnFocusLoss) {
    activate();
    const struct {
        const char* text;
        QString message;
    } cases[] = {{"0", positiveMessage}, {"-5", positiveMessage}, {"0.5", positiveMessage},
                 {"3a", numericMessage}, {"0.6", QString()},      {"2.5", QString()},
                 {" 3 ", QString()},     {"1E3", QString()},      {"40000", QString()}};
    for (const auto& c : cases) {
        dialogs.shown.clear();
        QLineEdit* sheet = field("txtSheet1");
        sheet->setText(QString::fromLatin1(c.text));
        tabAwayFrom(sheet);
        EXPECT_EQ(dialogs.texts(), c.message.isEmpty() ? QStringList{} : QStringList{c.message})
            << c.text;
        EXPECT_EQ(sheet->text(), QString::fromLatin1(c.text));
    }
}

TEST_F(PanelTest, PathFieldsNeverCheck) {
    activate();
    tabAwayFrom(field("Text1"));
    tabAwayFrom(field("Text2"));
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PanelTest, SheetTwoChecksOnEveryChange) {
    activate();
    QLineEdit* sheet = field("txtSheet2");
    sheet->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sheet, Qt::Key_End);
    QTest::keyClick(sheet, Qt::Key_Backspace);
    EXPECT_EQ(dialogs.texts(), QStringList{numericMessage});
    EXPECT_EQ(sheet->text(), QString());
    QTest::keyClick(sheet, Qt::Key_0);
    EXPECT_EQ(dialogs.texts(), (QStringList{numericMessage, positiveMessage}));
    dialogs.shown.clear();
    sheet->selectAll();
    QTest::keyClick(sheet, Qt::Key_Minus);
    EXPECT_EQ(dialogs.texts(), QStringList{numericMessage});
    dialogs.shown.clear();
    sheet->selectAll();
    QTest::keyClicks(sheet, QStringLiteral("12"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(QApplication::focusWidget(), sheet);
}

TEST_F(PanelTest, SheetOneWaitsForTheFocusToLeave) {
    activate();
    QLineEdit* sheet = field("txtSheet1");
    sheet->setFocus(Qt::TabFocusReason);
    QTest::keyClick(sheet, Qt::Key_Backspace);
    QTest::keyClick(sheet, Qt::Key_0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST_F(PanelTest, EnteringAFieldSelectsAllOfIt) {
    activate();
    field("txtRowFrom2")->setText(QStringLiteral("123"));
    field("txtSheet2")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(field("txtSheet2"), Qt::Key_Tab);
    QLineEdit* rowFrom = field("txtRowFrom2");
    EXPECT_EQ(QApplication::focusWidget(), rowFrom);
    EXPECT_EQ(rowFrom->selectedText(), QStringLiteral("123"));
    QTest::keyClick(rowFrom, Qt::Key_7);
    EXPECT_EQ(rowFrom->text(), QStringLiteral("7"));
    field("Text2")->setText(QStringLiteral("/data/b.ods"));
    field("Text2")->setFocus(Qt::MouseFocusReason);
    EXPECT_EQ(field("Text2")->selectedText(), QStringLiteral("/data/b.ods"));
}

TEST_F(PanelTest, ClickElsewhereChecksTheFieldFirstAndAFailingEntryTakesTheClick) {
    activate();
    QLineEdit* rowFrom = field("txtRowFrom1");
    rowFrom->setText(QStringLiteral("abc"));
    rowFrom->setFocus(Qt::TabFocusReason);
    clickThroughWindow(button("PushButton4"));
    clickThroughWindow(button("PushButton3"));
    EXPECT_EQ(dialogs.texts(), (QStringList{numericMessage, numericMessage}));
    EXPECT_TRUE(dialogs.fileDialogs.empty());
    EXPECT_EQ(QApplication::focusWidget(), rowFrom);
    EXPECT_EQ(rowFrom->selectedText(), QStringLiteral("abc"));

    rowFrom->setText(QStringLiteral("2"));
    clickThroughWindow(button("PushButton3"));
    ASSERT_EQ(dialogs.shown.size(), 3U);
    EXPECT_TRUE(dialogs.shown[2].text.startsWith(QStringLiteral("Questions?")));
}

TEST_F(PanelTest, EnterPressesTheFocusedButton) {
    activate();
    button("PushButton3")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button("PushButton3"), Qt::Key_Return);
    dialogs.fileNames = {QString()};
    button("PushButton6")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button("PushButton6"), Qt::Key_Enter);
    EXPECT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.fileDialogs.size(), 1U);
}

TEST_F(PanelTest, ScreenReadersNameEveryFieldByItsCaptionAndTable) {
    const char* const captions[] = {"Calc File", "Sheet Number", "Row From",
                                    "Row To",    "Column From",  "Column To"};
    const char* const names[] = {"Text",     "txtSheet",      "txtRowFrom",
                                 "txtRowTo", "txtColumnFrom", "txtColumnTo"};
    for (const char* table : {"1", "2"}) {
        for (std::size_t i = 0; i < std::size(names); ++i) {
            QLineEdit* edit = field((std::string(names[i]) + table).c_str());
            QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(edit);
            ASSERT_NE(spoken, nullptr);
            EXPECT_EQ(spoken->text(QAccessible::Name), QString::fromLatin1(captions[i]));
            EXPECT_EQ(spoken->text(QAccessible::Description),
                      QStringLiteral("Table #") + QLatin1String(table));
        }
    }
}

TEST_F(PanelTest, PathsCanBePasted) {
    activate();
    QLineEdit* text1 = field("Text1");
    text1->setFocus(Qt::TabFocusReason);
    QApplication::clipboard()->setText(QStringLiteral("/data/pasted path.ods"));
    text1->paste();
    EXPECT_EQ(text1->text(), QStringLiteral("/data/pasted path.ods"));
    EXPECT_EQ(stored("Excel File1"), QStringLiteral("/data/pasted path.ods"));
}

} // namespace
} // namespace gridwork::testing
