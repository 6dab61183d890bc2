// The window on a real desktop (Xvfb and openbox, see tests/shell/on_desktop.sh) with real key
// presses: after a field check's message the focus comes back as a window activation, which
// the offscreen platform never shows; and the pointer the X server really shows.

#include "shell/form1.h"
#include "shell/qt_outside_world.h"
#include "window_doubles.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace gridwork::testing {
namespace {

TEST(OnTheDesktop, TypingAfterAFieldsMessageReplacesTheWholeEntry) {
    QTemporaryDir folder;
    QtDialogs dialogs;
    RecordingShell shell;
    FixedRandom random;
    FakeOffice office;
    Form1 window({dialogs, shell, random, office, folder.path(),
                  folder.filePath(QStringLiteral("Vendrasol.ini"))});
    ASSERT_TRUE(window.formLoad());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    auto* rowFrom = window.findChild<QLineEdit*>(QStringLiteral("txtRowFrom1"));
    rowFrom->setFocus(Qt::TabFocusReason);
    rowFrom->setText(QStringLiteral("abc"));

    // Tab away; OK on the message once it shows (its title is the application title); then
    // type 5 once the window is active again.
    QProcess keys;
    const QString script =
        QStringLiteral("xdotool key Tab\n"
                       "box=$(xdotool search --sync --onlyvisible --name "
                       "'^Quessamoor Gridwork Stacker For Desktop$' | head -n 1)\n"
                       "xdotool windowactivate --sync \"$box\" key Return\n"
                       "xdotool windowactivate --sync %1 key 5\n");
    keys.start(QStringLiteral("sh"),
               {QStringLiteral("-ec"), script.arg(static_cast<qulonglong>(window.winId()))});
    const QDeadlineTimer deadline(60'000);
    while ((keys.state() != QProcess::NotRunning || rowFrom->text() == QStringLiteral("abc")) &&
           !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    EXPECT_EQ(keys.exitCode(), 0) << keys.readAllStandardError().toStdString();
    EXPECT_EQ(rowFrom->text(), QStringLiteral("5"));
    EXPECT_EQ(QApplication::focusWidget(), rowFrom);
}

/// The pointer image the X server shows: size, hot spot and pixels.
using PointerImage = std::vector<unsigned long>;

/// Moves the real pointer to `at` and waits until the X server shows the image `wanted` (or, with
/// `differs`, any other); returns the image shown last. While a window changes its pointer the
/// server may briefly tell a blank 1x1 image, which is never the answer.
PointerImage moveAndWaitForPointer(QPoint at, const PointerImage& wanted, bool differs = false) {
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--sync"),
                       QString::number(at.x()), QString::number(at.y())});
    const std::unique_ptr<Display, int (*)(Display*)> display(XOpenDisplay(nullptr), XCloseDisplay);
    PointerImage shown;
    const QDeadlineTimer deadline(5'000);
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        const std::unique_ptr<XFixesCursorImage, int (*)(void*)> image(
            XFixesGetCursorImage(display.get()), XFree);
        shown.clear();
        if (image) {
            shown = {image->width, image->height, image->xhot, image->yhot};
            shown.insert(shown.end(), image->pixels,
                         image->pixels + std::size_t{image->width} * image->height);
        }
    } while ((shown.size() <= 5 || (shown == wanted) == differs) && !deadline.hasExpired());
    return shown;
}

QPoint centre(const QWidget& widget) {
    return widget.mapToGlobal(widget.rect().center());
}

TEST(OnTheDesktop, ErrorReportDuringARunKeepsTheBusyPointerOverTheWholeWindow) {
    // The images Qt shows for its wait cursor and its arrow, from a window of its own.
    QWidget sample;
    sample.setCursor(Qt::WaitCursor);
    sample.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&sample));
    const PointerImage busy = moveAndWaitForPointer(centre(sample), {}, true);
    sample.setCursor(Qt::ArrowCursor);
    // A move to where the pointer already is never ends: xdotool waits for it to move.
    const PointerImage arrow = moveAndWaitForPointer(centre(sample) + QPoint(1, 1), busy, true);
    sample.hide();

    QTemporaryDir folder;
    QtDialogs dialogs;
    RecordingShell shell;
    FixedRandom random;
    FakeOffice office;
    office.state.failure = {{test::Operation::Open, 1}}; // table 2 cannot be opened
    Form1 window({dialogs, shell, random, office, folder.path(),
                  folder.filePath(QStringLiteral("Vendrasol.ini"))});
    ASSERT_TRUE(window.formLoad());
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))
        ->setText(folder.filePath(QStringLiteral("north.ods")));
    window.findChild<QLineEdit*>(QStringLiteral("Text2"))
        ->setText(folder.filePath(QStringLiteral("south.ods")));
    // The pointer rests on a field, whose own I-beam must give way to the busy pointer too.
    auto* const rowFrom = window.findChild<QLineEdit*>(QStringLiteral("txtRowFrom1"));
    moveAndWaitForPointer(centre(*rowFrom), busy, true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return rowFrom->underMouse(); }));

    bool reportSeen = false;
    QTimer whileReportOpen;
    QObject::connect(&whileReportOpen, &QTimer::timeout, [&] {
        auto* const box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !QTest::qWaitForWindowExposed(box)) {
            return;
        }
        whileReportOpen.stop();
        reportSeen = box->windowTitle() == QStringLiteral("Application Error");
        // One control of each kind that the box does not cover; between two of them the pointer
        // goes over the box, so that each must turn busy on its own.
        const QRect boxArea = box->frameGeometry();
        const auto outsideBox = [&]<class Control>(Control*) {
            for (const Control* control : window.findChildren<Control*>()) {
                if (control->isVisible() && !boxArea.contains(centre(*control))) {
                    return centre(*control);
                }
            }
            ADD_FAILURE() << "the report covers every " << Control::staticMetaObject.className();
            return QPoint();
        };
        for (const QPoint at : {outsideBox(static_cast<QLabel*>(nullptr)),
                                outsideBox(static_cast<QLineEdit*>(nullptr)),
                                outsideBox(static_cast<QPushButton*>(nullptr))}) {
            EXPECT_TRUE(moveAndWaitForPointer(centre(*box), arrow) == arrow)
                << "no arrow over the report";
            EXPECT_TRUE(moveAndWaitForPointer(at, busy) == busy)
                << "not busy at " << at.x() << "," << at.y();
        }
        box->accept();
    });
    whileReportOpen.start(100);
    window.findChild<QPushButton*>(QStringLiteral("PushButton5"))->click();
    EXPECT_TRUE(reportSeen);
}

} // namespace
} // namespace gridwork::testing
