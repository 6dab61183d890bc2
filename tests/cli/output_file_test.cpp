#include "cli/output_file.h"
#include "test_folder.h"

#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace gridwork::cli {
namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
protected:
    static std::string contents(const fs::path& path) {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void write(const fs::path& path, const std::string& text) {
        std::ofstream(path) << text;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }
    static std::string errorOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const OutputError& e) {
            return e.what();
        }
        return "no error";
    }

    const gridwork::cli::testing::TestFolder scratch_{"gridstack-output"};
    const fs::path folder_ = scratch_.path();
};

TEST_F(OutputFileTest, CommitPutsTheFinishedFileInPlaceUnderAnyNameTheFolderTakes) {
    // Unnamed files for our own writers, a short name for the office; names up to the longest
    // a folder takes.
    for (const bool named : {false, true}) {
        for (const std::size_t length : {10u, 250u}) {
            const fs::path target = folder_ / (std::string(length - 4, 'n') + ".ods");
            {
                OutputFile output(target.string(), false, named);
                EXPECT_EQ(entries(), named ? 1u : 0u);
                EXPECT_FALSE(fs::exists(target));
                write(output.temporaryPath(), "complete");
                output.commit();
            }
            EXPECT_EQ(contents(target), "complete");
            EXPECT_EQ(entries(), 1u);
            fs::remove(target);
        }
    }
}

TEST_F(OutputFileTest, AKilledRunLeavesNothing) {
    const std::string target = (folder_ / "result.ods").string();
    const pid_t child = ::fork();
    if (child == 0) {
        OutputFile output(target, false);
        write(output.temporaryPath(), std::string(1 << 20, 'x'));
        ::kill(::getpid(), SIGKILL);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(entries(), 0u);
}

TEST_F(OutputFileTest, ForceKeepsPermissionsAndWritesWhereALinkPoints) {
    for (const bool named : {false, true}) {
        const fs::path real = folder_ / "real.csv";
        const fs::path link = folder_ / "link.csv";
        write(real, "old");
        fs::permissions(real,
                        fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        fs::create_symlink(real, link);
        {
            OutputFile output(link.string(), true, named);
            write(output.temporaryPath(), "new");
            output.commit();
        }
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(contents(real), "new");
        EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
        EXPECT_EQ(entries(), 2u);
        fs::remove(link);
        fs::remove(real);
    }
}

TEST_F(OutputFileTest, NothingIsLeftWhenTheRunFails) {
    const std::string target = (folder_ / "result.csv").string();
    {
        OutputFile output(target, false);
        write(output.temporaryPath(), "half");
    }
    EXPECT_EQ(entries(), 0u);
}

TEST_F(OutputFileTest, AnExistingOutputNeedsForce) {
    const fs::path target = folder_ / "result.csv";
    write(target, "old");
    EXPECT_EQ(errorOf([&] { OutputFile(target.string(), false); }),
              target.string() + ": exists (--force replaces it)");
    {
        OutputFile output(target.string(), true);
        write(output.temporaryPath(), "new");
        output.commit();
    }
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(entries(), 1u);
}

TEST_F(OutputFileTest, AnOutputThatAppearsDuringTheRunIsStillNotReplaced) {
    const fs::path target = folder_ / "result.csv";
    OutputFile output(target.string(), false);
    write(output.temporaryPath(), "ours");
    write(target, "someone else's");
    EXPECT_EQ(errorOf([&] { output.commit(); }),
              target.string() + ": exists (--force replaces it)");
    EXPECT_EQ(contents(target), "someone else's");
}

TEST_F(OutputFileTest, RefusesFoldersAndMissingOrClosedFolders) {
    fs::create_directory(folder_ / "sub.ods");
    EXPECT_EQ(errorOf([&] { OutputFile((folder_ / "sub.ods").string(), true); }),
              (folder_ / "sub.ods").string() + ": is a folder");
    const fs::path missing = folder_ / "none" / "x.ods";
    EXPECT_EQ(errorOf([&] { OutputFile(missing.string(), false); }),
              missing.string() + ": cannot write: no such folder " + (folder_ / "none").string());
    if (::geteuid() != 0) {
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec);
        EXPECT_EQ(errorOf([&] { OutputFile((folder_ / "x.csv").string(), false); }),
                  (folder_ / "x.csv").string() + ": cannot write: Permission denied");
    }
}

TEST_F(OutputFileTest, SameFileSeesThroughOtherSpellings) {
    write(folder_ / "a.ods", "a");
    write(folder_ / "b.ods", "b");
    fs::create_symlink(folder_ / "a.ods", folder_ / "link.ods");
    EXPECT_TRUE(sameFile((folder_ / "a.ods").string(), (folder_ / "." / "a.ods").string()));
    EXPECT_TRUE(sameFile((folder_ / "a.ods").string(), (folder_ / "link.ods").string()));
    EXPECT_FALSE(sameFile((folder_ / "a.ods").string(), (folder_ / "b.ods").string()));
    EXPECT_FALSE(sameFile((folder_ / "a.ods").string(), (folder_ / "none.ods").string()));
}

} // namespace
} // namespace gridwork::cli
