// The window on a real desktop (Xvfb and openbox, see tests/shell/on_desktop.sh) with real key
// presses: after a field check's message the focus comes back as a window activation, which
// the offscreen platform never shows.

#include "shell/form1.h"
#include "shell/qt_outside_world.h"
#include "window_doubles.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

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

} // namespace
} // namespace gridwork::testing
