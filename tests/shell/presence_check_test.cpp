#include "shell/presence_check.h"
#include "window_doubles.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace gridwork::testing {
namespace {

const QString missingText = QStringLiteral(
    "Error 214878392\r\n\r\n"
    "OpenOffice is required to run this software. It is not installed on this computer.\r\r"
    "Woud you like to open this site now?\r\n\r\n"
    "(If you think this error is a mistake and you have OpenOffice installed, please email a "
    "screenshot of this error message and a screenshot of the OpenOffice 'About' window to "
    "support@vendrasol.com)");
const QString downloadPage = QStringLiteral("https://www.openoffice.org/download/index.html");

class PresenceCheckTest : public WindowTest {};

TEST_F(PresenceCheckTest, ReachableOfficeIsLetGoAtOnceWithoutAWord) {
    EXPECT_TRUE(checkOpenOffice(office, dialogs, shell, nullptr, QStringLiteral("Title")));
    EXPECT_EQ(office.connects(), 1);
    EXPECT_EQ(office.state.liveDesktops, 0);
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_TRUE(shell.webPages.isEmpty());
}

TEST_F(PresenceCheckTest, MissingOfficeAsksYesNoWithoutIcon) {
    office.state.reachable = false;
    dialogs.replies = {ScriptedDialogs::Reply::No};
    EXPECT_FALSE(checkOpenOffice(office, dialogs, shell, nullptr, QStringLiteral("App Title")));
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, missingText);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("App Title"));
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(dialogs.shown[0].icon, MessageIcon::None);
    EXPECT_TRUE(shell.webPages.isEmpty());
}

TEST_F(PresenceCheckTest, YesOpensTheDownloadPage) {
    office.state.reachable = false;
    dialogs.replies = {ScriptedDialogs::Reply::Yes};
    EXPECT_FALSE(checkOpenOffice(office, dialogs, shell, nullptr, QStringLiteral("Title")));
    EXPECT_EQ(shell.webPages, QStringList{downloadPage});
    EXPECT_EQ(officeMissingText(), missingText);
}

TEST_F(PresenceCheckTest, FailingBoxOrBrowserIsIgnored) {
    office.state.reachable = false;
    dialogs.replies = {ScriptedDialogs::Reply::Fail};
    EXPECT_FALSE(checkOpenOffice(office, dialogs, shell, nullptr, QStringLiteral("Title")));
    dialogs.replies = {ScriptedDialogs::Reply::Yes};
    shell.fail = true;
    EXPECT_FALSE(checkOpenOffice(office, dialogs, shell, nullptr, QStringLiteral("Title")));
}

class StartWithoutOffice : public WindowTest,
                           public ::testing::WithParamInterface<ScriptedDialogs::Reply> {};

TEST_P(StartWithoutOffice, ProgramEndsAndTheWindowNeverShows) {
    office.state.reachable = false;
    dialogs.replies = {GetParam()};
    auto window = makeWindow();
    EXPECT_FALSE(window->formLoad());
    EXPECT_TRUE(window->ended());
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, missingText);
    EXPECT_EQ(dialogs.shown[0].title, QStringLiteral("Quessamoor Gridwork Stacker For Desktop"));
    EXPECT_EQ(dialogs.shown[0].owner, window.get());
    EXPECT_EQ(shell.webPages, GetParam() == ScriptedDialogs::Reply::Yes ? QStringList{downloadPage}
                                                                        : QStringList{});
}

INSTANTIATE_TEST_SUITE_P(EitherAnswer, StartWithoutOffice,
                         ::testing::Values(ScriptedDialogs::Reply::Yes,
                                           ScriptedDialogs::Reply::No));

} // namespace
} // namespace gridwork::testing
