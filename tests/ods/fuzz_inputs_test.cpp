// Every input the fuzzers found a fault with (fuzz/regressions/package, .../content) and their
// seeds are read again here, with the sanitizers of the test build watching.

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
    const auto kept = filesUnder(fuzz / "regressions" / "package");
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
    const fs::path fuzz = fs::path(GRIDWORK_SOURCE_DIR) / "fuzz";
    const auto seeds = filesUnder(fuzz / "seeds" / "content");
    ASSERT_FALSE(seeds.empty());
    const test::TempDir dir;
    const std::string path = dir.file("input.ods");
    for (const fs::path& file : seeds) {
        test::writeOds(path, test::readFile(file.string()));
        EXPECT_NO_THROW(readWorkbook(path)) << file;
    }
    for (const fs::path& file : filesUnder(fuzz / "regressions" / "content")) {
        test::writeOds(path, test::readFile(file.string()));
        try {
            readWorkbook(path);
        } catch (const Error& error) {
            EXPECT_TRUE(std::string(error.what()).starts_with("cannot read " + path))
                << error.what();
        }
    }
}

} // namespace
} // namespace ods
