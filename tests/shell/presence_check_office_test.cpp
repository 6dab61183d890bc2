// The presence check against the real office link, pointed at an office that does not exist.

#include "office/uno_automation.h"
#include "shell/presence_check.h"
#include "window_doubles.h"

#include <gtest/gtest.h>
#include <memory>

namespace gridwork::testing {
namespace {

class NoInstalledOffice : public WindowTest,
                          public ::testing::WithParamInterface<ScriptedDialogs::Reply> {
protected:
    void SetUp() override { qputenv("GRIDWORK_OFFICE", "/nonexistent"); }
    void TearDown() override { qunsetenv("GRIDWORK_OFFICE"); }
};

TEST_P(NoInstalledOffice, StartUpAsksAndEndsWithoutShowingTheWindow) {
    UnoAutomation uno;
    dialogs.replies = {GetParam()};
    Form1 window({dialogs, shell, random, uno, folder.path(), settingsFile});
    EXPECT_FALSE(window.formLoad());
    EXPECT_TRUE(window.ended());
    EXPECT_FALSE(window.isVisible());
    ASSERT_EQ(dialogs.shown.size(), 1U);
    EXPECT_EQ(dialogs.shown[0].text, officeMissingText());
    EXPECT_EQ(dialogs.shown[0].buttons, MessageButtons::YesNo);
    const bool yes = GetParam() == ScriptedDialogs::Reply::Yes;
    EXPECT_EQ(shell.webPages.size(), yes ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(EitherAnswer, NoInstalledOffice,
                         ::testing::Values(ScriptedDialogs::Reply::Yes,
                                           ScriptedDialogs::Reply::No));

} // namespace
} // namespace gridwork::testing
