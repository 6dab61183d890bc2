// Finding and starting the office, without needing a working one.

#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/uno_automation.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <optional>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace gridwork {
namespace {

// A private folder with small stand-in "office" scripts; removed at the end.
class ScriptFolder : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "gridwork-office-unit-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string script(const std::string& name, const std::string& body) {
        const auto path = folder_ / name;
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }

    // The pid a script wrote with `echo $$ > name`, once it is there.
    std::optional<pid_t> pidFrom(const std::string& name) {
        for (int i = 0; i < 250; ++i) {
            std::ifstream in(folder_ / name);
            pid_t pid = 0;
            if (in >> pid && pid > 0) {
                return pid;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return std::nullopt;
    }

    // A killed orphan stays a zombie until some init reaps it: that is dead enough.
    static bool alive(pid_t pid) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string text;
        std::getline(stat, text);
        const auto end = text.rfind(')');
        return end != std::string::npos && end + 2 < text.size() && text[end + 2] != 'Z';
    }

    OfficeOptions options(const std::string& program) const {
        OfficeOptions result;
        result.program = program;
        result.headless = true;
        result.pipeName = "gridwork-unit-nothing-" + std::to_string(::getpid());
        result.startTimeout = std::chrono::milliseconds(600);
        return result;
    }

    std::filesystem::path folder_;
};

std::string failureOf(UnoAutomation& automation) {
    try {
        automation.connect();
    } catch (const OfficeError& error) {
        return error.what();
    }
    return "no failure";
}

TEST_F(ScriptFolder, ConfiguredProgramIsTheOnlyOneTried) {
    const auto office = script("my-soffice", "exit 0");
    EXPECT_EQ(findOfficeProgram(office), office);
    try {
        findOfficeProgram(std::string("/nonexistent"));
        ADD_FAILURE() << "no failure";
    } catch (const OfficeError& error) {
        EXPECT_STREQ(error.what(), "The office program \"/nonexistent\" named by GRIDWORK_OFFICE "
                                   "does not exist or cannot be run");
    }
    EXPECT_THROW(findOfficeProgram(std::string()), OfficeError);
    EXPECT_THROW(findOfficeProgram(folder_.string()), OfficeError) << "a folder";
}

TEST_F(ScriptFolder, SearchesPathForSofficeThenLibreoffice) {
    const char* saved = std::getenv("PATH");
    const std::string oldPath = saved ? saved : "";
    const auto libreoffice = script("libreoffice", "exit 0");
    ::setenv("PATH", ("/nonexistent-folder::" + folder_.string()).c_str(), 1);
    EXPECT_EQ(findOfficeProgram(std::nullopt), libreoffice);
    const auto soffice = script("soffice", "exit 0");
    EXPECT_EQ(findOfficeProgram(std::nullopt), soffice);
    ::setenv("PATH", oldPath.c_str(), 1);
}

TEST(DefaultPipeName, PerUserAndPerProfile) {
    const std::string user = "gridwork-stacker-" + std::to_string(::getuid());
    EXPECT_EQ(defaultPipeName(""), user);
    EXPECT_TRUE(defaultPipeName("/tmp/a").starts_with(user + "-"));
    EXPECT_NE(defaultPipeName("/tmp/a"), defaultPipeName("/tmp/b"));
    EXPECT_EQ(defaultPipeName("/tmp/a"), defaultPipeName("/tmp/a"));
}

TEST(OfficeOptionsFromEnvironment, ReadsTheThreeVariables) {
    ::setenv("GRIDWORK_OFFICE", "/opt/x/soffice", 1);
    ::setenv("GRIDWORK_OFFICE_PROFILE", "/tmp/profile", 1);
    ::setenv("GRIDWORK_OFFICE_HEADLESS", "1", 1);
    auto options = OfficeOptions::fromEnvironment();
    EXPECT_EQ(options.program, std::optional<std::string>("/opt/x/soffice"));
    EXPECT_EQ(options.profileFolder, "/tmp/profile");
    EXPECT_TRUE(options.headless);
    ::unsetenv("GRIDWORK_OFFICE");
    ::unsetenv("GRIDWORK_OFFICE_PROFILE");
    ::setenv("GRIDWORK_OFFICE_HEADLESS", "yes", 1);
    options = OfficeOptions::fromEnvironment();
    EXPECT_EQ(options.program, std::nullopt);
    EXPECT_EQ(options.profileFolder, "");
    EXPECT_FALSE(options.headless);
    ::unsetenv("GRIDWORK_OFFICE_HEADLESS");
}

TEST_F(ScriptFolder, MissingOfficeFailsAtOnce) {
    UnoAutomation automation(options("/nonexistent"));
    EXPECT_EQ(failureOf(automation), "The office program \"/nonexistent\" named by "
                                     "GRIDWORK_OFFICE does not exist or cannot be run");
}

TEST_F(ScriptFolder, OfficeThatEndsWithAFailureFails) {
    UnoAutomation automation(options(script("soffice", "exit 3")));
    EXPECT_EQ(failureOf(automation), "The office program \"" + (folder_ / "soffice").string() +
                                         "\" ended with exit code 3 before it accepted a "
                                         "connection");
}

TEST_F(ScriptFolder, OfficeThatNeverAnswersIsStoppedWithAllItStarted) {
    // The script starts a child, as soffice starts oosplash and soffice.bin.
    const auto program =
        script("soffice", "sleep 300 & echo $! > '" + (folder_ / "child").string() +
                              "'\necho $$ > '" + (folder_ / "pid").string() + "'\nwait");
    UnoAutomation automation(options(program));
    EXPECT_EQ(failureOf(automation), "The office program \"" + program +
                                         "\" did not accept a connection on pipe \"" +
                                         "gridwork-unit-nothing-" + std::to_string(::getpid()) +
                                         "\" within 0.6 s and has been stopped");
    const auto pid = pidFrom("pid");
    const auto child = pidFrom("child");
    ASSERT_TRUE(pid && child);
    EXPECT_FALSE(alive(*pid));
    // The kill reaches the rest of the group a moment later.
    for (int i = 0; i < 200 && alive(*child); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(alive(*child));
}

TEST_F(ScriptFolder, OfficeThatListensButNeverAnswersFailsWithoutStartingAnother) {
    // A stopped office: its pipe takes connections that nobody ever serves.
    auto automation_options =
        options(script("soffice", "echo started > '" + (folder_ / "started").string() + "'"));
    const auto socketPath =
        "/tmp/OSL_PIPE_" + std::to_string(::getuid()) + "_" + automation_options.pipeName;
    const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    automation_options.answerTimeout = std::chrono::milliseconds(500);
    const auto threads = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                             std::filesystem::directory_iterator());
    };
    UnoAutomation automation(automation_options);
    failureOf(automation); // the first connection starts the UNO runtime's own threads
    // Its closed connection's thread ends a moment after the call failed, later on a busy
    // machine: count once the number has held for a while.
    auto before = threads();
    for (int held = 0, i = 0; held < 10 && i < 250; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const auto now = threads();
        held = now == before ? held + 1 : 0;
        before = now;
    }
    EXPECT_EQ(failureOf(automation),
              "The office listening on pipe \"" + automation_options.pipeName +
                  "\" does not answer (it did not respond within 0.5 s; it may be stopped or "
                  "hanging): end that office and try again");
    // The closed connection's own thread ends a moment after the call has failed.
    for (int i = 0; i < 250 && threads() != before; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(threads(), before);
    EXPECT_FALSE(std::filesystem::exists(folder_ / "started"));
    ::close(listener);
    ::unlink(socketPath.c_str());
}

TEST_F(ScriptFolder, RunsAtOnceHoldCachedProfilesOfTheirOwnAndLaterRunsReuseThem) {
    const char* before = std::getenv("XDG_CACHE_HOME");
    const std::string saved = before ? before : "";
    ::setenv("XDG_CACHE_HOME", folder_.c_str(), 1);
    const auto profiles = folder_ / "gridwork-stacker";
    {
        const CachedProfile first;
        const CachedProfile second;
        EXPECT_EQ(first.folder(), profiles / "office-profile-0");
        EXPECT_EQ(second.folder(), profiles / "office-profile-1");
    }
    EXPECT_EQ(CachedProfile().folder(), profiles / "office-profile-0");
    before ? ::setenv("XDG_CACHE_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");
}

TEST_F(ScriptFolder, ProcessPassesEnvironmentAndReportsExit) {
    const auto program =
        script("env-probe", "echo \"$TMPDIR|$1\" > " + (folder_ / "out").string() + "\nexit 5");
    // An office that ends with us is started through its watcher, which must change nothing.
    for (const bool endsWithUs : {false, true}) {
        auto process =
            OfficeProcess::start(program, {"arg one"}, {"TMPDIR=/some/where"}, endsWithUs);
        ASSERT_TRUE(process.waitForExit(std::chrono::seconds(10)));
        EXPECT_EQ(process.exitCode(), 5);
        std::string line;
        std::getline(std::ifstream(folder_ / "out"), line);
        EXPECT_EQ(line, "/some/where|arg one");
    }
}

TEST_F(ScriptFolder, OfficeVersionFromTheProgram) {
    EXPECT_EQ(officeVersion(script("it's soffice", "echo 'LibreOffice 7.4.7.2 40(Build:2)'")),
              "7.4");
    EXPECT_EQ(officeVersion(script("silent", "exit 1")), "");
    EXPECT_EQ(officeVersion("/nonexistent"), "");
}

TEST_F(ScriptFolder, SeededProfileRecordsVersionAndLocale) {
    seedOfficeProfile(folder_ / "profile", "7.4");
    std::ifstream in(folder_ / "profile" / "user" / "registrymodifications.xcu");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("<prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>7.4</value>"),
              std::string::npos);
    EXPECT_NE(
        text.find("<prop oor:name=\"ooSetupSystemLocale\" oor:op=\"fuse\"><value>en-US</value>"),
        std::string::npos);
    seedOfficeProfile(folder_ / "unknown", "");
    std::ifstream unknown(folder_ / "unknown" / "user" / "registrymodifications.xcu");
    const std::string seeded((std::istreambuf_iterator<char>(unknown)),
                             std::istreambuf_iterator<char>());
    EXPECT_EQ(seeded.find("ooSetupLastVersion"), std::string::npos);
    EXPECT_NE(seeded.find("ooLocale"), std::string::npos);
}

} // namespace
} // namespace gridwork
