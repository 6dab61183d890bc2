#include "shell/file_utils.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace gridwork {
namespace {

namespace fs = std::filesystem;

class FileUtilsTest : public ::testing::Test {
protected:
    fs::path folder;

    void SetUp() override {
        folder = fs::temp_directory_path() /
                 ("gridwork-files-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(folder, ignored);
    }

    std::string write(const std::string& name, const std::string& content) {
        const fs::path path = folder / fs::u8path(name);
        std::ofstream(path, std::ios::binary) << content;
        return path.string();
    }
};

TEST_F(FileUtilsTest, FileExistsForFilesAndFoldersOnly) {
    EXPECT_TRUE(fileExists(write("a.txt", "x")));
    EXPECT_TRUE(fileExists(folder.string()));
    EXPECT_FALSE(fileExists((folder / "missing.txt").string()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_FALSE(fileExists((folder / "missing" / "a.txt").string()));
    EXPECT_FALSE(fileExists(std::string("bad\0name", 8)));
    EXPECT_TRUE(fileExists(write("Grüße mit Leerzeichen.ods", "x")));
}

TEST_F(FileUtilsTest, RemoveFileLetsEventsRunFirst) {
    const std::string path = write("temp.txt", "data");
    bool existedWhenEventsRan = false;
    removeFile(path, [&] { existedWhenEventsRan = fs::exists(path); });
    EXPECT_TRUE(existedWhenEventsRan);
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileUtilsTest, RemoveFileDeletesReadOnlyFile) {
    const std::string path = write("readonly.txt", "data");
    fs::permissions(path, fs::perms::owner_read);
    removeFile(path, {});
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileUtilsTest, RemoveFileOnMissingFileReturnsQuietly) {
    int passes = 0;
    EXPECT_NO_THROW(removeFile((folder / "missing.txt").string(), [&] { ++passes; }));
    EXPECT_NO_THROW(removeFile("", [&] { ++passes; }));
    EXPECT_EQ(passes, 2);
}

TEST_F(FileUtilsTest, RemoveFileLeavesFoldersAlone) {
    const fs::path empty = folder / "empty-folder";
    fs::create_directory(empty);
    removeFile(empty.string(), {});
    EXPECT_TRUE(fs::is_directory(empty));
}

TEST_F(FileUtilsTest, RemoveFileSurvivesFailingEventPass) {
    const std::string path = write("temp.txt", "data");
    EXPECT_NO_THROW(removeFile(path, [] { throw std::runtime_error("event handler failed"); }));
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(FileUtilsTest, RemoveFileInUndeletableFolderKeepsFileSilently) {
    const std::string path = write("kept.txt", "data");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_NO_THROW(removeFile(path, {}));
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add);
    // Root may delete in a read-only folder; everyone else keeps the file.
    EXPECT_EQ(fs::exists(path), ::geteuid() != 0);
}

TEST_F(FileUtilsTest, ReadWholeFileGivesEveryByte) {
    const std::string content = std::string("Name||Qty||\r\nÄpfel||5||\r\n") + '\0' + "end\n";
    EXPECT_EQ(readWholeFile(write("temp.txt", content)), content);
}

TEST_F(FileUtilsTest, ReadWholeFileSentinels) {
    EXPECT_EQ(readWholeFile((folder / "missing.txt").string()), "");
    EXPECT_EQ(readWholeFile(write("empty.txt", "")), "empty file");
    EXPECT_EQ(readWholeFile(write("looks-empty.txt", "empty file")), "empty file");
}

TEST_F(FileUtilsTest, ReadWholeFileFailureNamesTheFile) {
    const std::string path = write("locked.txt", "secret");
    fs::permissions(path, fs::perms::none);
    if (::geteuid() == 0) {
        GTEST_SKIP() << "root reads files without permission";
    }
    try {
        readWholeFile(path);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open " + path + ": Permission denied.");
    }
}

TEST_F(FileUtilsTest, ReadWholeFileOnFolderFails) {
    try {
        readWholeFile(folder.string());
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot read " + folder.string() + ": it is a folder, not a file.");
    }
}

} // namespace
} // namespace gridwork
