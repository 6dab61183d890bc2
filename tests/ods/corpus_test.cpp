// Reads every document of the shared corpus and compares each cell with the text the office
// showed for it. The share of equal cells is reported, not enforced; a document the office reads
// must be read without an error, and a cell may differ only where the engine names it as one the
// office recalculates on opening.

#include "ods/error.h"
#include "ods/reader.h"
#include "ods_test_support.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <iostream>

namespace ods {
namespace {

namespace fs = std::filesystem;

struct Tally {
    std::size_t cells = 0;
    std::size_t equal = 0;
    std::size_t recalculated = 0; ///< named by the engine, whether equal or not
    std::size_t silent = 0;       ///< differing without being named
    std::vector<std::string> differences;
};

std::string quoted(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        out += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out + "\"";
}

void compareSheet(const Sheet& sheet, const std::vector<std::vector<std::string>>& shown,
                  const std::string& where, Tally& tally) {
    const Extent extent = sheet.extent();
    std::size_t width = static_cast<std::size_t>(extent.columns);
    for (const auto& row : shown) {
        width = std::max(width, row.size());
    }
    const std::size_t height = std::max(shown.size(), static_cast<std::size_t>(extent.rows));
    for (std::size_t r = 0; r < height; ++r) {
        for (std::size_t c = 0; c < width; ++c) {
            const std::string_view expected =
                r < shown.size() && c < shown[r].size() ? std::string_view(shown[r][c]) : "";
            const std::string_view actual =
                sheet.text(static_cast<std::int32_t>(c), static_cast<std::int32_t>(r));
            if (expected.empty() && actual.empty()) {
                continue;
            }
            ++tally.cells;
            const bool named = test::isRecalculated(sheet, c, r);
            tally.recalculated += named ? 1 : 0;
            if (expected == actual) {
                ++tally.equal;
                continue;
            }
            tally.silent += named ? 0 : 1;
            if (tally.differences.size() < 40) {
                tally.differences.push_back(where + " row " + std::to_string(r + 1) + " column " +
                                            std::to_string(c + 1) + ": office " + quoted(expected) +
                                            ", engine " + quoted(actual));
            }
        }
    }
}

TEST(Corpus, EveryCellIsComparedWithTheOfficesText) {
    const fs::path corpus(GRIDWORK_CORPUS_DIR);
    if (!fs::is_directory(corpus / "files")) {
        GTEST_SKIP() << "no corpus at " << corpus;
    }
    std::vector<fs::path> documents;
    for (const auto& entry : fs::directory_iterator(corpus / "files")) {
        documents.push_back(entry.path());
    }
    std::sort(documents.begin(), documents.end());
    Tally tally;
    std::size_t missingSheets = 0;
    for (const fs::path& document : documents) {
        const std::string stem = document.stem().string();
        bool officeRead = false;
        for (const auto& entry : fs::directory_iterator(corpus / "shown")) {
            officeRead = officeRead || entry.path().filename().string().starts_with(stem + "-");
        }
        try {
            const Workbook book = readWorkbook(document.string());
            for (const Sheet& sheet : book.sheets()) {
                const fs::path csv = corpus / "shown" / (stem + "-" + sheet.name() + ".csv");
                if (!fs::exists(csv)) {
                    std::cout << "no office text for " << stem << " / " << sheet.name() << "\n";
                    ++missingSheets;
                    continue;
                }
                compareSheet(sheet, test::parseCsv(test::readFile(csv.string())),
                             stem + " / " + sheet.name(), tally);
            }
        } catch (const Error& error) {
            if (officeRead) {
                ADD_FAILURE() << "the office reads " << document
                              << " but the engine fails: " << error.what();
            } else {
                std::cout << "refused (the office shows nothing either): " << error.what() << "\n";
            }
        }
    }
    const double share = tally.cells == 0 ? 100.0
                                          : 100.0 * static_cast<double>(tally.equal) /
                                                static_cast<double>(tally.cells);
    std::cout << "corpus: " << documents.size() << " documents, " << tally.equal << " of "
              << tally.cells << " non-empty cells equal to the office (" << share << " %), "
              << missingSheets << " sheets without the office's text; " << tally.recalculated
              << " cells named as recalculated by the office, " << tally.silent
              << " differing without being named\n";
    for (const std::string& difference : tally.differences) {
        std::cout << "  " << difference << "\n";
    }
    RecordProperty("EqualCellShare", std::to_string(share));
    EXPECT_EQ(tally.silent, 0u);
}

} // namespace
} // namespace ods
