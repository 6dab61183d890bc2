// How fast the join goes: through a private headless office, the block path against the
// cell-by-cell path for 1,000 x 10 and 10,000 x 10 cells, the whole "Start Joining" run, and our
// own share of the work for a million cells without an office.
//
//   join_bench [--no-per-cell]    (--no-per-cell skips the minute-long cell-by-cell runs)

#include "join/join_run.h"
#include "join/range_copy.h"
#include "office/office_process.h"
#include "office/office_profile.h"
#include "office/uno_automation.h"
#include "tracking_office.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <sys/resource.h>
#include <unistd.h>

namespace {

using namespace gridwork;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point begin) {
    return std::chrono::duration<double>(Clock::now() - begin).count();
}

/// User plus system CPU seconds of this process (the office's work is not in it).
double ownCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double peakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

std::string cellTextFor(std::int64_t row, std::int64_t column) {
    return "r" + std::to_string(row) + "c" + std::to_string(column);
}

/// Writes a rows x columns source file through the office's block write.
void makeSource(CalcAutomation& office, const fs::path& path, std::int32_t rows,
                std::int32_t columns) {
    auto document = office.connect()->newDocument();
    CellRows texts(static_cast<std::size_t>(rows));
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            texts[static_cast<std::size_t>(r)].push_back(cellTextFor(r, c));
        }
    }
    document->sheetByIndex(0)->setRangeTexts(0, 0, texts);
    document->storeToFile(path.string());
    document->close();
}

struct Figures {
    double open = 0;
    double read = 0;
    double result = 0;
    double write = 0;
    double ownCpu = 0;
};

/// The two halves of one table's join, timed apart: open, read into the file, new document,
/// write from the file.
Figures joinOnce(CalcAutomation& office, const fs::path& source, std::int32_t rows,
                 std::int32_t columns, const fs::path& temp) {
    Figures figures;
    const double cpuBefore = ownCpuSeconds();
    auto begin = Clock::now();
    auto desktop = office.connect();
    auto document = desktop->openDocument(fileUrl(source.string()));
    auto sheet = document->sheetByIndex(0);
    figures.open = secondsSince(begin);

    begin = Clock::now();
    IntermediateFile file(temp);
    AppendRangeLines(*sheet, {1, rows, 1, columns}, file);
    document->close();
    figures.read = secondsSince(begin);

    begin = Clock::now();
    auto result = desktop->newDocument();
    auto resultSheet = result->sheetByIndex(0);
    figures.result = secondsSince(begin);

    begin = Clock::now();
    WriteResultRows(*resultSheet, file);
    figures.write = secondsSince(begin);
    figures.ownCpu = ownCpuSeconds() - cpuBefore;

    if (resultSheet->cellText(columns - 1, rows - 1) != cellTextFor(rows - 1, columns - 1)) {
        std::fprintf(stderr, "wrong result in the last cell\n");
        std::exit(1);
    }
    result->close();
    return figures;
}

class BenchHost : public JoinRunHost {
public:
    std::string fieldText(std::string_view objectName) const override {
        return fields.at(std::string(objectName));
    }
    void showMessage(const std::string& text) override { last = text; }
    void reportError(std::string_view, int step, const std::string& description) override {
        std::fprintf(stderr, "report at %d: %s\n", step, description.c_str());
    }
    void setPointerMode(int) override {}
    void processPendingEvents() override {}

    std::map<std::string, std::string> fields;
    std::string last;
};

/// A source that makes texts on demand and a result that only counts: no office, only us.
class MemorySheet : public Sheet {
public:
    std::string name() override { return "memory"; }
    UsedArea usedArea() override { return {}; }
    std::string cellText(std::int32_t column, std::int32_t row) override {
        return cellTextFor(row, column);
    }
    void setCellText(std::int32_t, std::int32_t, const std::string& text) override {
        bytes += text.size();
    }
    CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                        std::int32_t lastRow) override {
        CellRows rows;
        for (std::int32_t r = firstRow; r <= lastRow; ++r) {
            auto& texts = rows.emplace_back();
            for (std::int32_t c = firstColumn; c <= lastColumn; ++c) {
                texts.push_back(cellTextFor(r, c));
            }
        }
        return rows;
    }
    void setRangeTexts(std::int32_t, std::int32_t, const CellRows& rows) override {
        for (const auto& texts : rows) {
            cells += texts.size();
            for (const auto& text : texts) {
                bytes += text.size();
            }
        }
    }

    std::size_t cells = 0;
    std::size_t bytes = 0;
};

} // namespace

int main(int argc, char** argv) {
    const bool perCell = !(argc > 1 && std::string(argv[1]) == "--no-per-cell");
    const fs::path root =
        fs::temp_directory_path() / ("gridwork-join-bench-" + std::to_string(::getpid()));
    fs::create_directories(root / "tmp");

    {
        // Our own share: a million cells (100,000 x 10) copied into the file and out again.
        MemorySheet source;
        MemorySheet target;
        const double cpu = ownCpuSeconds();
        const auto begin = Clock::now();
        IntermediateFile file(root / "tmp");
        AppendRangeLines(source, {1, 100'000, 1, 10}, file);
        WriteResultRows(target, file);
        std::printf(
            "no office, 100000 x 10 = %zu cells: %.3f s wall, %.3f s own CPU, peak %.0f MB\n",
            target.cells, secondsSince(begin), ownCpuSeconds() - cpu, peakMegabytes());
    }

    try {
        OfficeOptions options = OfficeOptions::fromEnvironment();
        options.profileFolder = (root / "profile").string();
        options.officeTempFolder = (root / "tmp").string();
        options.headless = true;
        options.pipeName = "gridwork-join-bench-" + std::to_string(::getpid());
        options.keepStartedOffice = false;
        seedOfficeProfile(options.profileFolder, officeVersion(findOfficeProgram(options.program)));
        auto begin = Clock::now();
        UnoAutomation office(options);
        office.connect();
        std::printf("office started in %.2f s\n", secondsSince(begin));

        for (const std::int32_t rows : {1'000, 10'000}) {
            const fs::path source = root / ("source-" + std::to_string(rows) + ".ods");
            makeSource(office, source, rows, 10);
            for (const bool cellByCell : {false, true}) {
                if (cellByCell && !perCell) {
                    continue;
                }
                test::TrackingAutomation path(office);
                path.tracking.perCell = cellByCell;
                const auto f = joinOnce(path, source, rows, 10, root / "tmp");
                std::printf("%-12s %5d x 10: open %.2f s, read %.2f s, new %.2f s, write %.2f s, "
                            "total %.2f s (own CPU %.2f s)\n",
                            cellByCell ? "cell by cell" : "blocks", rows, f.open, f.read, f.result,
                            f.write, f.open + f.read + f.result + f.write, f.ownCpu);
            }
        }

        // "Start Joining" as the window runs it: 10,000 rows x 10 columns in all, from two tables.
        const auto source = (root / "source-10000.ods").string();
        BenchHost host;
        host.fields = {{"Text1", source},      {"txtSheet1", "1"},      {"txtRowFrom1", "1"},
                       {"txtRowTo1", "5000"},  {"txtColumnFrom1", "1"}, {"txtColumnTo1", "10"},
                       {"Text2", source},      {"txtSheet2", "1"},      {"txtRowFrom2", "5001"},
                       {"txtRowTo2", "10000"}, {"txtColumnFrom2", "1"}, {"txtColumnTo2", "10"}};
        test::TrackingAutomation tracked(office);
        JoinRun run(host, tracked);
        const double cpu = ownCpuSeconds();
        begin = Clock::now();
        run.pushButton5Click();
        std::printf("Start Joining, 2 x 5000 x 10: %.2f s (own CPU %.2f s), said \"%s\"\n",
                    secondsSince(begin), ownCpuSeconds() - cpu, host.last.c_str());
        tracked.tracking.documents.back()->document->close();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench failed: %s\n", error.what());
        fs::remove_all(root);
        return 1;
    }
    fs::remove_all(root);
    return 0;
}
