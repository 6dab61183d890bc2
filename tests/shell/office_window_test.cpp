// The window over the real office link: start-up against an office that does not exist, and a
// whole join of the sample spreadsheets through a headless office of the test's own.

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

class SampleJoin : public WindowTest {
protected:
    void SetUp() override {
        // The samples as they lie beside the program.
        ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("Samples")));
        for (const char* name : {"sample1.ods", "sample2.ods"}) {
            ASSERT_TRUE(
                QFile::copy(QStringLiteral(GRIDWORK_SAMPLES_DIR "/") + QLatin1String(name),
                            folder.filePath(QStringLiteral("Samples/")) + QLatin1String(name)));
        }
    }
};

TEST_F(SampleJoin, SamplesJoinThroughTheWindowWithoutAReport) {
    OfficeOptions options;
    options.profileFolder = folder.filePath(QStringLiteral("profile")).toStdString();
    options.officeTempFolder = folder.filePath(QStringLiteral("office-temp")).toStdString();
    options.headless = true;
    options.keepStartedOffice = false;
    UnoAutomation uno(options);
    Form1 window({dialogs, shell, random, uno, folder.path(), settingsFile});
    ASSERT_TRUE(window.formLoad());
    dialogs.replies = {ScriptedDialogs::Reply::No};
    window.pushButton1Click();
    for (const auto& [name, text] : {std::pair{"txtRowTo1", "11"},
                                     {"txtColumnTo1", "6"},
                                     {"txtRowFrom2", "2"},
                                     {"txtRowTo2", "8"},
                                     {"txtColumnTo2", "8"}}) {
        WindowTest::field(window, name)->setText(QString::fromLatin1(text));
    }
    dialogs.shown.clear();
    window.pushButton5Click();
    EXPECT_EQ(dialogs.texts(), QStringList{QStringLiteral("Done.")});
}

} // namespace
} // namespace gridwork::testing
