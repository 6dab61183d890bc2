// Offices that go away under a connected program, and an office's very first start: the program
// is never killed with the office and says what happened.

#include "office/office_process.h"
#include "office/office_profile.h"
#include "office_fixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <set>
#include <signal.h>
#include <string>
#include <thread>

namespace gridwork::test {
namespace {

// An office of the test's own on a private profile and pipe, stopped when the test ends.
OfficeOptions privateOfficeOptions(const std::string& name) {
    auto options = testOfficeOptions();
    options.profileFolder = (testTempFolder() / (name + "-profile")).string();
    options.pipeName = testOfficeOptions().pipeName + "-" + name;
    options.keepStartedOffice = false;
    return options;
}

std::set<std::string> threadsOfThisProgram() {
    std::set<std::string> threads;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        threads.insert(entry.path().filename().string());
    }
    return threads;
}

// Whether the thread blocks SIGPIPE; nullopt when it has ended meanwhile.
std::optional<bool> blocksBrokenPipes(const std::string& thread) {
    std::ifstream status("/proc/self/task/" + thread + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("SigBlk:")) {
            return (std::stoull(line.substr(7), nullptr, 16) >> (SIGPIPE - 1) & 1) != 0;
        }
    }
    return std::nullopt;
}

// A write to an office that has just closed its end of a connection raises SIGPIPE in the
// writing thread. It happens when the office drops a connection nobody uses any more while our
// end still sends its last releases (every step of a join connects anew; seen about once in
// 1,000 connections). That moment cannot be arranged from here, so the test looks
// at what decides it: the threads of this program other than the test's own are those of its
// office connections, and every one of them blocks the signal; the thread that connected does
// not, so its own writes still stop on a closed pipe.
TEST(OfficeLifetime, ConnectionThreadsSurviveABrokenPipe) {
    const auto desktop = testOffice().connect();
    const auto document = desktop->newDocument();
    document->sheetByIndex(0)->setCellText(0, 0, "connected");
    const auto self = std::to_string(::gettid());
    int connectionThreads = 0;
    for (const auto& thread : threadsOfThisProgram()) {
        if (thread != self) {
            ++connectionThreads;
            EXPECT_NE(blocksBrokenPipes(thread), std::optional<bool>(false)) << "thread " << thread;
        }
    }
    EXPECT_GT(connectionThreads, 0);
    EXPECT_EQ(blocksBrokenPipes(self), std::optional<bool>(false));
    document->close();
}

TEST(OfficeLifetime, AnOfficeThatDiesUnderAnOpenDocumentGivesAnError) {
    const auto options = privateOfficeOptions("dying");
    seedOfficeProfile(options.profileFolder, officeVersion(findOfficeProgram(options.program)));
    UnoAutomation automation(options);
    const auto desktop = automation.connect();
    const auto document = desktop->newDocument();
    ASSERT_EQ(document->sheetCount(), 1);
    ASSERT_TRUE(automation.startedOfficeId());
    // The office dies while calls go out: a call written to its closed end must fail, not kill
    // this program, and nothing may wait for an answer that never comes.
    std::thread killer([office = *automation.startedOfficeId()] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ::kill(-office, SIGKILL);
    });
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    std::string failure;
    try {
        while (std::chrono::steady_clock::now() < giveUp) {
            document->sheetByIndex(0)->setCellText(0, 0, "lost");
        }
    } catch (const OfficeError& error) {
        failure = error.what();
    }
    killer.join();
    EXPECT_EQ(failure, "The connection to the office was lost: the office has ended or crashed");
}

TEST(OfficeLifetime, AFirstStartOnAnEmptyProfileGivesAWorkingOffice) {
    // What a user who never ran the office has: the office sets the profile up and starts itself
    // again before it listens.
    UnoAutomation automation(privateOfficeOptions("first-start"));
    const auto desktop = automation.connect();
    const auto document = desktop->newDocument();
    document->sheetByIndex(0)->setCellText(0, 0, "first");
    EXPECT_EQ(document->sheetByIndex(0)->cellText(0, 0), "first");
    EXPECT_TRUE(std::filesystem::exists(testTempFolder() / "first-start-profile" / "user"));
}

bool alive(int process) {
    std::ifstream stat("/proc/" + std::to_string(process) + "/stat");
    std::string text;
    std::getline(stat, text);
    const auto end = text.rfind(')');
    return end != std::string::npos && end + 2 < text.size() && text[end + 2] != 'Z';
}

bool endsSoon(int process) {
    for (int i = 0; i < 500 && alive(process); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return !alive(process);
}

TEST(OfficeLifetime, AnOfficeStartedForTheUserEndsWithTheProgramUnlessItShowsADocument) {
    auto options = privateOfficeOptions("for-the-user");
    options.keepStartedOffice = true;
    std::optional<int> idle;
    {
        UnoAutomation automation(options);
        automation.connect();
        idle = automation.startedOfficeId();
    }
    ASSERT_TRUE(idle);
    EXPECT_TRUE(endsSoon(*idle)) << "no join made: the office goes with the program";

    std::optional<int> showing;
    {
        UnoAutomation automation(options);
        automation.connect()->newDocument()->sheetByIndex(0)->setCellText(0, 0, "result");
        showing = automation.startedOfficeId();
    }
    ASSERT_TRUE(showing);
    {
        UnoAutomation runningBefore(options);
        runningBefore.connect();
        EXPECT_FALSE(runningBefore.startedOfficeId());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_TRUE(alive(*showing)) << "an office that shows a result, or ran before, stays";
    ::kill(-*showing, SIGKILL);
}

TEST(OfficeLifetime, ACallOnAFrozenOfficeEndsAtItsLimitAndTheOfficeIsEnded) {
    auto options = privateOfficeOptions("frozen");
    options.documentTimeout = std::chrono::seconds(1);
    std::optional<int> office;
    std::string failure;
    {
        UnoAutomation automation(options);
        const auto desktop = automation.connect();
        office = automation.startedOfficeId();
        ASSERT_TRUE(office);
        ::kill(-*office, SIGSTOP); // an office that never answers, nor ends when asked
        try {
            desktop->openDocument(fileUrl(officeTestData("shown_texts.ods")));
        } catch (const OfficeTimeout& error) {
            failure = error.what();
        }
    }
    EXPECT_EQ(failure, "the office did not open the file within 1 second");
    const bool ended = !alive(*office);
    ::kill(-*office, SIGKILL);
    EXPECT_TRUE(ended) << "an office this program started is ended, frozen or not";
}

} // namespace
} // namespace gridwork::test
