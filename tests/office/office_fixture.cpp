#include "office_fixture.h"

#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/uno_automation.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gridwork::test {
namespace {

class OfficeEnvironment final : public ::testing::Environment {
public:
    ~OfficeEnvironment() override { shutDown(); }

    void SetUp() override {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "gridwork-office-test-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr) << "cannot create " << pattern;
        root_ = pattern;
        const auto temp = root_ / "tmp";
        std::filesystem::create_directories(temp);
        // Files the tests and the office write end up inside the folder removed at the end.
        ::setenv("TMPDIR", temp.c_str(), 1);

        OfficeOptions options = OfficeOptions::fromEnvironment();
        options.profileFolder = (root_ / "profile").string();
        options.officeTempFolder = temp.string();
        options.headless = true;
        options.pipeName = "gridwork-test-" + std::to_string(::getpid());
        options.keepStartedOffice = false;
        try {
            seedOfficeProfile(options.profileFolder,
                              officeVersion(findOfficeProgram(options.program)));
            const auto begin = std::chrono::steady_clock::now();
            options_ = options;
            automation_ = std::make_unique<UnoAutomation>(options);
            desktop_ = automation_->connect();
            watchOffice();
            const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
            std::printf("[office] started in %.2f s\n", took.count());
        } catch (const std::exception& error) {
            shutDown();
            GTEST_FAIL() << "Cannot start the test office: " << error.what();
        }
    }

    void TearDown() override { shutDown(); }

    CalcAutomation& automation() {
        if (!automation_) {
            throw std::logic_error("the test office did not start");
        }
        return *automation_;
    }
    Desktop& desktop() {
        if (!desktop_) {
            throw std::logic_error("the test office did not start");
        }
        return *desktop_;
    }
    std::filesystem::path tempFolder() const { return root_ / "tmp"; }
    const OfficeOptions& options() const { return options_; }

private:
    // A crashed or killed test program runs no TearDown: a watchdog process that sees this
    // program end (the pipe closes) kills the office's process group and removes the folder.
    void watchOffice() {
        const auto office = automation_->startedOfficeId();
        int ends[2];
        if (!office || ::pipe(ends) != 0) {
            return;
        }
        // Prepared before the fork: the watchdog also removes the profile folder.
        std::string folder = root_.string();
        std::array<char*, 4> remove{const_cast<char*>("rm"), const_cast<char*>("-rf"),
                                    folder.data(), nullptr};
        const pid_t watchdog = ::fork();
        if (watchdog == 0) {
            // Only async-signal-safe calls here: this process is a copy of a threaded one.
            ::close(ends[1]);
            char byte;
            while (::read(ends[0], &byte, 1) != 0 && errno == EINTR) {
            }
            ::kill(-*office, SIGKILL);
            ::execv("/bin/rm", remove.data());
            ::_exit(0);
        }
        ::close(ends[0]);
        if (watchdog < 0) {
            ::close(ends[1]);
            return;
        }
        ::fcntl(ends[1], F_SETFD, FD_CLOEXEC);
        watchdog_ = watchdog;
        watchdogPipe_ = ends[1];
    }

    void shutDown() noexcept {
        desktop_.reset();
        automation_.reset(); // terminates the office, killing it when it does not end in time
        if (watchdog_ > 0) {
            ::close(watchdogPipe_);
            ::waitpid(watchdog_, nullptr, 0);
            watchdog_ = -1;
        }
        if (!root_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(root_, ignored);
            root_.clear();
        }
    }

    std::filesystem::path root_;
    pid_t watchdog_ = -1;
    int watchdogPipe_ = -1;
    OfficeOptions options_;
    std::unique_ptr<UnoAutomation> automation_;
    std::unique_ptr<Desktop> desktop_;
};

// Registered when a test program links this file, i.e. uses testOffice(); gtest owns it.
OfficeEnvironment& environment() {
    static OfficeEnvironment* const registered =
        static_cast<OfficeEnvironment*>(::testing::AddGlobalTestEnvironment(new OfficeEnvironment));
    return *registered;
}
[[maybe_unused]] const bool registeredAtStart = (environment(), true);

} // namespace

CalcAutomation& testOffice() {
    return environment().automation();
}

OfficeOptions testOfficeOptions() {
    return environment().options();
}

Desktop& testDesktop() {
    return environment().desktop();
}

std::filesystem::path testTempFolder() {
    return environment().tempFolder();
}

std::string officeTestData(const std::string& name) {
    const std::filesystem::path source =
        std::filesystem::path(GRIDWORK_SOURCE_DIR) / "tests" / "data" / "office" / name;
    const auto copies = testTempFolder() / "data";
    std::filesystem::create_directories(copies);
    const auto copy = copies / name;
    if (std::filesystem::is_regular_file(source) && !std::filesystem::exists(copy)) {
        std::filesystem::copy_file(source, copy);
    }
    return copy.string();
}

} // namespace gridwork::test
