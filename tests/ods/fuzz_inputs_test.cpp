// Every input the fuzzers found interesting enough to keep (fuzz/regressions) and their seeds are
// read again here, with the sanitizers of the test build watching.

#include "ods/error.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace ods {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesUnder(const fs::path& folder) {
    std::vector<fs::path> files;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::recursive_directory_iterator(folder)) {
            if (entry.is_regular_file()) {
                files.push_back(entry.path());
            }
        }
    }
    return files;
}

TEST(FuzzInputs, SavedPackagesAreReadOrRefusedWithAnError) {
    const fs::path fuzz = fs::path(GRIDWORK_SOURCE_DIR) / "fuzz";
    auto files = filesUnder(fuzz / "seeds" / "package");
    const auto kept = filesUnder(fuzz / "regressions");
    files.insert(files.end(), kept.begin(), kept.end());
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        const std::string bytes = test::readFile(file.string());
        try {
            const Workbook book = readWorkbook(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                file.filename().string());
            for (const Sheet& sheet : book.sheets()) {
                EXPECT_LE(sheet.extent().rows, kMaxRows) << file;
                EXPECT_LE(sheet.extent().columns, kMaxColumns) << file;
            }
        } catch (const Error& error) {
            EXPECT_TRUE(std::string(error.what())
                            .starts_with("cannot read " + file.filename().string() + ": "))
                << error.what();
        }
    }
}

TEST(FuzzInputs, SavedContentPartsAreReadOrRefusedWithAnError) {
    const fs::path seeds = fs::path(GRIDWORK_SOURCE_DIR) / "fuzz" / "seeds" / "content";
    const auto files = filesUnder(seeds);
    ASSERT_FALSE(files.empty());
    for (const fs::path& file : files) {
        const test::TempDir dir;
        const std::string path = dir.file("seed.ods");
        test::writeOds(path, test::readFile(file.string()));
        EXPECT_NO_THROW(readWorkbook(path)) << file;
    }
}

} // namespace
} // namespace ods
