// Measures the office link: start-up with a fresh and a seeded profile, single-cell reads and
// writes, and block reads and writes. Prints medians; run it through run-office-bench.sh.

#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/uno_automation.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A private folder for profiles, removed at the end.
struct Scratch {
    std::filesystem::path path;
    Scratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "gridwork-office-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("cannot create " + pattern);
        }
        path = pattern;
    }
    ~Scratch() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

gridwork::OfficeOptions benchOptions(const std::filesystem::path& profile, int run) {
    auto options = gridwork::OfficeOptions::fromEnvironment();
    options.profileFolder = profile.string();
    options.headless = true;
    options.keepStartedOffice = false;
    options.pipeName = "gridwork-bench-" + std::to_string(::getpid()) + "-" + std::to_string(run);
    return options;
}

double startUp(const std::filesystem::path& profile, int run) {
    gridwork::UnoAutomation automation(benchOptions(profile, run));
    const auto begin = Clock::now();
    automation.connect();
    return secondsSince(begin);
}

} // namespace

int main(int argc, char** argv) {
    const int cells = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int starts = argc > 2 ? std::atoi(argv[2]) : 3;
    const int bulkRows = 10'000;
    const int bulkColumns = 10;
    try {
        const Scratch scratch;
        const auto version = gridwork::officeVersion(gridwork::findOfficeProgram(
            std::getenv("GRIDWORK_OFFICE")
                ? std::optional<std::string>(std::getenv("GRIDWORK_OFFICE"))
                : std::nullopt));
        std::printf("office version %s\n", version.c_str());
        std::vector<double> fresh, seeded;
        for (int i = 0; i < starts; ++i) {
            fresh.push_back(startUp(scratch.path / ("fresh" + std::to_string(i)), 2 * i));
            const auto profile = scratch.path / ("seeded" + std::to_string(i));
            gridwork::seedOfficeProfile(profile, version);
            seeded.push_back(startUp(profile, 2 * i + 1));
        }
        std::printf(
            "start-up until connected, fresh profile:  median %.2f s (min %.2f, max %.2f)\n",
            median(fresh), *std::min_element(fresh.begin(), fresh.end()),
            *std::max_element(fresh.begin(), fresh.end()));
        std::printf(
            "start-up until connected, seeded profile: median %.2f s (min %.2f, max %.2f)\n",
            median(seeded), *std::min_element(seeded.begin(), seeded.end()),
            *std::max_element(seeded.begin(), seeded.end()));

        const auto profile = scratch.path / "cells";
        gridwork::seedOfficeProfile(profile, version);
        gridwork::UnoAutomation automation(benchOptions(profile, 1000));
        auto desktop = automation.connect();
        auto document = desktop->newDocument();
        auto sheet = document->sheetByIndex(0);

        std::vector<double> writes, reads;
        for (int i = 0; i < cells; ++i) {
            const auto begin = Clock::now();
            sheet->setCellText(i % 10, i / 10, "cell " + std::to_string(i));
            writes.push_back(secondsSince(begin));
        }
        for (int i = 0; i < cells; ++i) {
            const auto begin = Clock::now();
            const auto text = sheet->cellText(i % 10, i / 10);
            reads.push_back(secondsSince(begin));
            if (text != "cell " + std::to_string(i)) {
                throw std::runtime_error("read back " + text);
            }
        }
        std::printf("one cell write (setCellText), median over %d cells: %.0f us\n", cells,
                    median(writes) * 1e6);
        std::printf("one cell read (cellText), median over %d cells:  %.0f us\n", cells,
                    median(reads) * 1e6);

        gridwork::CellRows rows;
        for (int r = 0; r < bulkRows; ++r) {
            auto& row = rows.emplace_back();
            for (int c = 0; c < bulkColumns; ++c) {
                row.push_back("row " + std::to_string(r) + ", \"column\" " + std::to_string(c));
            }
        }
        auto bulk = desktop->newDocument();
        auto bulkSheet = bulk->sheetByIndex(0);
        auto begin = Clock::now();
        bulkSheet->setRangeTexts(0, 0, rows);
        const double write = secondsSince(begin);
        begin = Clock::now();
        const auto back = bulkSheet->rangeTexts(0, 0, bulkColumns - 1, bulkRows - 1);
        const double read = secondsSince(begin);
        if (back != rows) {
            throw std::runtime_error("the block read back differs");
        }
        const double total = bulkRows * bulkColumns;
        std::printf("block write (setRangeTexts) of %d x %d cells: %.2f s, %.1f us a cell\n",
                    bulkRows, bulkColumns, write, write / total * 1e6);
        std::printf("block read (rangeTexts) of %d x %d cells:  %.2f s, %.1f us a cell\n", bulkRows,
                    bulkColumns, read, read / total * 1e6);
        begin = Clock::now();
        const auto small = bulkSheet->rangeTexts(2, 5, 3, 6);
        std::printf("block read of %zu x 2 cells from that sheet: %.1f ms\n", small.size(),
                    secondsSince(begin) * 1e3);
        begin = Clock::now();
        const auto wide = bulkSheet->rangeTexts(0, 0, 9, 9);
        std::printf("block read of %zu x 10 cells from that sheet: %.1f ms\n", wide.size(),
                    secondsSince(begin) * 1e3);
        document->close();
        bulk->close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "office_bench: %s\n", error.what());
        return 1;
    }
    return 0;
}
