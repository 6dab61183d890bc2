#include "look/pointer_feedback.h"
#include "shell/form1.h"
#include "window_doubles.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <gtest/gtest.h>
#include <limits>
#include <stdexcept>

namespace gridwork::testing {
namespace {

const QString productTitle =
    QStringLiteral("Quessamoor Gridwork Stacker For Desktop Spreadsheet Users");
const QString applicationTitle = QStringLiteral("Quessamoor Gridwork Stacker For Desktop");

const char* const numberFields[] = {
    "txtSheet1", "txtRowFrom1", "txtRowTo1", "txtColumnFrom1", "txtColumnTo1",
    "txtSheet2", "txtRowFrom2", "txtRowTo2", "txtColumnFrom2", "txtColumnTo2"};

QString reportText(const char* description, const char* handler, int step) {
    return QString::fromLatin1(description) + QStringLiteral("\r\nin Quorvelt2021/08/31.Form1.") +
           QString::fromLatin1(handler) + QStringLiteral(" at line ") + QString::number(step) +
           QStringLiteral("\r\rPlease email screenshot of this message to support@vendrasol.com");
}

class Form1Test : public WindowTest {};

TEST_F(Form1Test, DesignedLayout) {
    const auto window = makeWindow();
    EXPECT_EQ(window->objectName(), QStringLiteral("Form1"));
    EXPECT_EQ(window->size(), QSize(536, 368));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(window->font().family(), QStringLiteral("Arial"));
    EXPECT_EQ(window->font().pointSizeF(), 9.0);
    EXPECT_TRUE(window->font().bold());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::white));

    const struct {
        const char* name;
        const char* caption;
        QRect place;
    } buttons[] = {
        {"PushButton3", "Help", {8, 8, 256, 27}},
        {"PushButton1", "Load Sample/Example Data", {272, 8, 256, 27}},
        {"PushButton5", "Start Joining", {8, 333, 520, 27}},
        {"PushButton4", "...", {464, 16, 37, 23}},
        {"PushButton6", "...", {464, 16, 37, 23}},
    };
    for (const auto& expected : buttons) {
        const auto* button = window->findChild<QPushButton*>(QString::fromLatin1(expected.name));
        ASSERT_NE(button, nullptr) << expected.name;
        EXPECT_EQ(button->text(), QString::fromLatin1(expected.caption));
        EXPECT_EQ(button->geometry(), expected.place) << expected.name;
        EXPECT_EQ(button->font().pointSizeF(), 11.25);
        EXPECT_TRUE(button->font().bold());
    }
    EXPECT_EQ(window->findChildren<QPushButton*>().size(), 5);

    const auto* frame1 = window->findChild<QGroupBox*>(QStringLiteral("Frame1"));
    const auto* frame2 = window->findChild<QGroupBox*>(QStringLiteral("Frame2"));
    ASSERT_NE(frame1, nullptr);
    ASSERT_NE(frame2, nullptr);
    EXPECT_EQ(frame1->title(), QStringLiteral("Table #1"));
    EXPECT_EQ(frame2->title(), QStringLiteral("Table #2"));
    EXPECT_EQ(frame1->geometry(), QRect(8, 38, 520, 143));
    EXPECT_EQ(frame2->geometry(), QRect(8, 183, 520, 143));
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("PushButton4"))->parent(), frame1);
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("PushButton6"))->parent(), frame2);

    const struct {
        const char* name;
        QRect place;
    } fields[] = {
        {"Text", {104, 16, 352, 22}},          {"txtSheet", {104, 48, 76, 22}},
        {"txtRowFrom", {104, 80, 76, 22}},     {"txtRowTo", {264, 80, 76, 22}},
        {"txtColumnFrom", {104, 112, 76, 22}}, {"txtColumnTo", {264, 112, 76, 22}},
    };
    for (const auto* frame : {frame1, frame2}) {
        const QString table = frame == frame1 ? QStringLiteral("1") : QStringLiteral("2");
        for (const auto& expected : fields) {
            const QString name = QString::fromLatin1(expected.name) + table;
            const auto* edit = frame->findChild<QLineEdit*>(name);
            ASSERT_NE(edit, nullptr) << name.toStdString();
            EXPECT_EQ(edit->geometry(), expected.place) << name.toStdString();
            EXPECT_TRUE(edit->text().isEmpty());
            EXPECT_FALSE(edit->isReadOnly());
            EXPECT_EQ(edit->maxLength(), std::numeric_limits<int>::max()) << "no length limit";
        }
    }
}

TEST_F(Form1Test, TwelveCaptionsFormTheLabelArray) {
    const auto window = makeWindow();
    const auto labels = window->findChildren<QLabel*>(QStringLiteral("Label2"));
    ASSERT_EQ(labels.size(), 12);
    const QStringList captions{QStringLiteral("Calc File:"),   QStringLiteral("Sheet Number:"),
                               QStringLiteral("Row From:"),    QStringLiteral("Row To:"),
                               QStringLiteral("Column From:"), QStringLiteral("Column To:")};
    for (const QLabel* label : labels) {
        const int index = label->property("index").toInt();
        EXPECT_EQ(label->text(), captions[index % 6]);
        EXPECT_EQ(label->parent()->objectName(),
                  index < 6 ? QStringLiteral("Frame1") : QStringLiteral("Frame2"));
        EXPECT_EQ(label->x(), index % 6 == 3 || index % 6 == 5 ? 195 : 15);
        EXPECT_EQ(label->height(), 15);
        // The caption fits into its place.
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width())
            << label->text().toStdString();
    }
}

TEST_F(Form1Test, TabOrderWalksTheFieldsThenTheButtons) {
    const auto window = makeWindow();
    QStringList order;
    QWidget* widget = field(*window, "Text1");
    for (int i = 0; i < 17; ++i) {
        order << widget->objectName();
        do {
            widget = widget->nextInFocusChain();
        } while (!(widget->focusPolicy() & Qt::TabFocus));
    }
    EXPECT_EQ(order,
              (QStringList{"Text1", "txtSheet1", "txtRowFrom1", "txtRowTo1", "txtColumnFrom1",
                           "txtColumnTo1", "Text2", "txtSheet2", "txtRowFrom2", "txtRowTo2",
                           "txtColumnFrom2", "txtColumnTo2", "PushButton3", "PushButton1",
                           "PushButton4", "PushButton6", "PushButton5"}));
}

TEST_F(Form1Test, PointerTurnsToTheHandOverButtonsOnly) {
    const auto window = startWindow();
    auto* pointer = window->findChild<PointerFeedback*>();
    ASSERT_NE(pointer, nullptr);
    const auto moveOver = [](QWidget* widget) {
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), widget->mapToGlobal(QPointF(1, 1)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    };
    const auto named = [&](const char* name) {
        return window->findChild<QWidget*>(QString::fromLatin1(name));
    };
    for (const char* button :
         {"PushButton1", "PushButton3", "PushButton4", "PushButton5", "PushButton6"}) {
        moveOver(window.get());
        ASSERT_EQ(pointer->mode(), ArrowPointer);
        moveOver(named(button));
        EXPECT_EQ(pointer->mode(), CustomPointer) << button;
    }
    // The number fields leave the mode as it was.
    moveOver(named("txtSheet1"));
    EXPECT_EQ(pointer->mode(), CustomPointer);
    QList<QWidget*> arrowAreas{named("Text1"), named("Text2"), named("Frame1"), named("Frame2")};
    for (QLabel* label : window->findChildren<QLabel*>(QStringLiteral("Label2"))) {
        arrowAreas << label;
    }
    for (QWidget* area : arrowAreas) {
        moveOver(named("PushButton5"));
        moveOver(area);
        EXPECT_EQ(pointer->mode(), ArrowPointer) << area->objectName().toStdString();
    }
}

TEST_F(Form1Test, FirstStartFillsTheFields) {
    const auto window = startWindow();
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window->windowTitle(), productTitle);
    EXPECT_FALSE(window->windowIcon().pixmap(32, 32).isNull());
    EXPECT_EQ(window->applicationTitle(), applicationTitle);
    EXPECT_EQ(field(*window, "Text1")->text(), QString());
    EXPECT_EQ(field(*window, "Text2")->text(), QString());
    for (const char* name : numberFields) {
        EXPECT_EQ(field(*window, name)->text(), QStringLiteral("1")) << name;
    }
    EXPECT_EQ(office.connects(), 1);
    EXPECT_EQ(office.state.liveDesktops, 0);
    EXPECT_FALSE(window->ended());
    EXPECT_TRUE(shell.webPages.isEmpty());
}

TEST_F(Form1Test, HomePageVisitOnlyOnASeven) {
    for (const int draw : {1, 6, 8, 100}) {
        random.value = draw;
        startWindow();
    }
    EXPECT_TRUE(shell.webPages.isEmpty());
    random.value = 7;
    startWindow();
    EXPECT_EQ(shell.webPages, QStringList{QStringLiteral("https://www.vendrasol.com/")});
}

TEST_F(Form1Test, ChangedPathComesBackAfterARestart) {
    const QString path = QStringLiteral("/home/åsa/Order lists/North #1.ods");
    {
        const auto window = startWindow();
        QLineEdit* text1 = field(*window, "Text1");
        QTest::keyClicks(text1, path);
        EXPECT_EQ(QSettings(settingsFile, QSettings::IniFormat)
                      .value(productTitle + QStringLiteral("/Excel File1"))
                      .toString(),
                  path);
        field(*window, "Text2")->setText(QStringLiteral("/data/south.ods"));
        field(*window, "txtRowTo1")->setText(QStringLiteral("9"));
    }
    const auto restarted = startWindow();
    EXPECT_EQ(field(*restarted, "Text1")->text(), path);
    EXPECT_EQ(field(*restarted, "Text2")->text(), QStringLiteral("/data/south.ods"));
    EXPECT_EQ(field(*restarted, "txtRowTo1")->text(), QStringLiteral("1"));
}

TEST_F(Form1Test, EveryChangeIsStoredTheEmptyTextIncluded) {
    const auto window = startWindow();
    QLineEdit* text2 = field(*window, "Text2");
    QTest::keyClicks(text2, QStringLiteral("ab"));
    const auto stored = [&] {
        return QSettings(settingsFile, QSettings::IniFormat)
            .value(productTitle + QStringLiteral("/Excel File2"))
            .toString();
    };
    EXPECT_EQ(stored(), QStringLiteral("ab"));
    QTest::keyClick(text2, Qt::Key_Backspace);
    EXPECT_EQ(stored(), QStringLiteral("a"));
    QTest::keyClick(text2, Qt::Key_Backspace);
    EXPECT_EQ(stored(), QString());
    EXPECT_TRUE(QSettings(settingsFile, QSettings::IniFormat)
                    .contains(productTitle + QStringLiteral("/Excel File2")));
    EXPECT_EQ(startWindow()->findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), QString());
}

TEST_F(Form1Test, UnwritableStoreKeepsTheWindowWorking) {
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    settingsFile = folder.filePath(QStringLiteral("blocker/Vendrasol.ini"));
    const auto window = startWindow();
    QLineEdit* text1 = field(*window, "Text1");
    QTest::keyClicks(text1, QStringLiteral("/data/a.ods"));
    EXPECT_EQ(text1->text(), QStringLiteral("/data/a.ods"));
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_FALSE(window->ended());
}

TEST_F(Form1Test, FailingStepIsReportedAndStartUpGoesOn) {
    random.fail = true;
    const auto window = startWindow();
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text,
              reportText("Invalid procedure call or argument", "Form_Load", 108));
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::Ok);
    EXPECT_EQ(window->windowTitle(), productTitle);
    EXPECT_EQ(field(*window, "txtColumnFrom2")->text(), QStringLiteral("1"));
}

TEST_F(Form1Test, TwoFailingStepsGiveTwoReportsWithTheirNumbers) {
    QFile notACursor(folder.filePath(QStringLiteral("HAND-M.CUR")));
    ASSERT_TRUE(notACursor.open(QIODevice::WriteOnly));
    notACursor.write("this is no cursor");
    notACursor.close();
    random.fail = true;
    const auto window = startWindow();
    ASSERT_EQ(dialogs.shown.size(), 2U);
    EXPECT_TRUE(dialogs.shown[0].text.contains(
        QStringLiteral("\r\nin Quorvelt2021/08/31.Form1.Form_Load at line 104\r\r")))
        << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(dialogs.shown[1].text,
              reportText("Invalid procedure call or argument", "Form_Load", 108));
    EXPECT_FALSE(window->ended());
}

TEST_F(Form1Test, ClosingEndsTheProgramAtOnce) {
    const auto window = startWindow();
    window->show();
    EXPECT_TRUE(window->close());
    EXPECT_TRUE(window->ended());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(dialogs.shown.empty());
    // Whatever was still running says nothing more and stops at its next event pass.
    window->showMessage("Done.");
    window->reportError("PushButton5_Click", 226, "late");
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_THROW(window->processPendingEvents(), ProgramEnded);
}

TEST_F(Form1Test, FirstShowPutsFocusInText1WithItsTextSelected) {
    QSettings(settingsFile, QSettings::IniFormat)
        .setValue(productTitle + QStringLiteral("/Excel File1"), QStringLiteral("/data/a.ods"));
    const auto window = startWindow();
    window->show();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QLineEdit* text1 = field(*window, "Text1");
    EXPECT_EQ(QApplication::focusWidget(), text1);
    EXPECT_EQ(text1->selectedText(), QStringLiteral("/data/a.ods"));
}

TEST_F(Form1Test, JoinRunSeesTheFieldsAndTalksThroughTheWindow) {
    const auto window = startWindow();
    field(*window, "txtSheet1")->setText(QStringLiteral("3"));
    EXPECT_EQ(window->fieldText("txtSheet1"), "3");
    EXPECT_EQ(window->fieldText("Text2"), "");
    try {
        window->fieldText("Text3");
        FAIL() << "no exception";
    } catch (const std::invalid_argument& e) {
        EXPECT_EQ(std::string(e.what()), "The window has no field named Text3.");
    }
    field(*window, "txtRowFrom1")->setText(QStringLiteral("5"));
    window->findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text,
              QStringLiteral("Table #1: Row From must be less than Row To."));
    EXPECT_EQ(dialogs.shown[0].title, applicationTitle);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
}

TEST_F(Form1Test, JoinReadsNumberFieldsInTheLocaleTheFieldCheckUses) {
    const auto window = startWindow();
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    field(*window, "txtRowFrom1")->setText(QStringLiteral(" 2,5 "));
    field(*window, "txtRowTo1")->setText(QStringLiteral("1.000"));
    field(*window, "txtColumnTo1")->setText(QStringLiteral("abc"));
    field(*window, "Text1")->setText(QStringLiteral("1,5"));
    const std::string rowFrom = window->fieldText("txtRowFrom1");
    const std::string rowTo = window->fieldText("txtRowTo1");
    const std::string columnTo = window->fieldText("txtColumnTo1");
    const std::string path = window->fieldText("Text1");
    QLocale::setDefault(previous);
    EXPECT_EQ(rowFrom, "2.5");
    EXPECT_EQ(rowTo, "1000");
    EXPECT_EQ(columnTo, "abc") << "no number: the run reports it as it stands";
    EXPECT_EQ(path, "1,5") << "paths are never numbers";
}

TEST_F(Form1Test, FailingJoinIsReportedWithItsStep) {
    const auto window = startWindow();
    field(*window, "Text1")->setText(folder.filePath(QStringLiteral("missing.ods")));
    office.state.anyFile.reset();
    window->pushButton5Click();
    ASSERT_FALSE(dialogs.shown.empty());
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Application Error"));
    EXPECT_TRUE(
        dialogs.shown[0].text.contains(QStringLiteral("Form1.PushButton5_Click at line 134")))
        << dialogs.shown[0].text.toStdString();
}

TEST_F(Form1Test, ClosingDuringAJoinStopsTheRunWhereItIs) {
    const auto window = startWindow();
    field(*window, "Text1")->setText(folder.filePath(QStringLiteral("north.ods")));
    field(*window, "Text2")->setText(folder.filePath(QStringLiteral("south.ods")));
    // The close arrives while the run lets events through after table 1.
    QMetaObject::invokeMethod(window.get(), &QWidget::close, Qt::QueuedConnection);
    window->pushButton5Click();
    EXPECT_TRUE(window->ended());
    EXPECT_TRUE(dialogs.shown.empty()) << dialogs.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(office.connects(), 2) << "start-up and table 1 only";
    EXPECT_EQ(office.state.closedDocuments, 1);
}

TEST_F(Form1Test, ClickDuringARunsEventPauseIsIgnoredAndTheBusyPointerStays) {
    const auto window = startWindow();
    const int startUpConnects = office.connects();
    field(*window, "Text1")->setText(folder.filePath(QStringLiteral("north.ods")));
    field(*window, "Text2")->setText(folder.filePath(QStringLiteral("south.ods")));
    auto* const button = window->findChild<QPushButton*>(QStringLiteral("PushButton5"));
    auto* const pointer = window->findChild<PointerFeedback*>();
    ASSERT_NE(pointer, nullptr);
    int modeDuringPause = -1;
    // Both arrive while the run lets events through after table 1: a second click and a move
    // over the button, which would otherwise turn the pointer into the hand.
    QMetaObject::invokeMethod(button, &QPushButton::click, Qt::QueuedConnection);
    QMetaObject::invokeMethod(
        window.get(),
        [&] {
            QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), button->mapToGlobal(QPointF(5, 5)),
                             Qt::NoButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(button, &move);
            modeDuringPause = pointer->mode();
        },
        Qt::QueuedConnection);
    button->click();
    EXPECT_EQ(modeDuringPause, BusyPointer);
    EXPECT_EQ(office.connects() - startUpConnects, 3) << "one run: table 1, table 2, result";
    // The test office makes no result document, so the one run ends with one report.
    ASSERT_EQ(dialogs.shown.size(), 1U) << dialogs.texts().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(
        dialogs.shown[0].text.contains(QStringLiteral("Form1.PushButton5_Click at line 200")))
        << dialogs.shown[0].text.toStdString();
    EXPECT_EQ(pointer->mode(), ArrowPointer);
    EXPECT_EQ(office.state.closedDocuments, 2);
}

} // namespace
} // namespace gridwork::testing
