#pragma once

// A folder of one test's own: new for each test, removed after it, even when the test took its
// permissions away.

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <system_error>
#include <unistd.h>

namespace gridwork::cli::testing {

class TestFolder {
public:
    /// The folder is named after `kind`, the process and the running test, so parallel test
    /// programs never share one.
    explicit TestFolder(const std::string& kind)
        : path_(std::filesystem::temp_directory_path() /
                (kind + "-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TestFolder() {
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::filesystem::path& path() const noexcept { return path_; }

private:
    std::filesystem::path path_;
};

} // namespace gridwork::cli::testing
