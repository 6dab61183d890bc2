// Throughput of the engine's writer and reader on a generated document.
//   ods_bench write PATH [CELLS]   builds CELLS cells (10 columns) in memory and writes them
//   ods_bench read PATH            reads every sheet of PATH
// Each prints cells, seconds, cells per second and MB of content.xml per second; peak memory
// comes from running it under /usr/bin/time -v (see bench/ods/run).

#include "ods/error.h"
#include "ods/reader.h"
#include "ods/writer.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <zip.h>

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double contentMegabytes(const std::string& path) {
    int code = 0;
    zip* archive = zip_open(path.c_str(), ZIP_RDONLY, &code);
    if (archive == nullptr) {
        return 0;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    const bool found = zip_stat(archive, "content.xml", 0, &stat) == 0;
    zip_discard(archive);
    return found ? static_cast<double>(stat.size) / 1e6 : 0;
}

// A mix like real tables: names, codes, amounts, dates and the odd blank or empty cell.
std::string cellText(std::int64_t row, std::int32_t column) {
    switch (column) {
    case 0:
        return std::to_string(row + 1);
    case 1:
        return "Customer " + std::to_string(row * 7919 % 100000);
    case 2:
        return "C-" + std::to_string(100000 + row % 900000);
    case 3:
        return std::to_string(row % 1000) + "." + std::to_string(row % 100);
    case 4:
        return "2024-" + std::to_string(1 + row % 12) + "-" + std::to_string(1 + row % 28);
    case 5:
        return row % 3 == 0 ? "" : "yes";
    case 6:
        return " leading and  double blanks";
    case 7:
        return std::to_string(row * 31 % 977) + " EUR";
    case 8:
        return "Straße " + std::to_string(row % 500);
    default:
        return "note " + std::to_string(row % 17);
    }
}

std::int64_t countCells(const ods::Workbook& book) {
    std::int64_t cells = 0;
    for (const ods::Sheet& sheet : book.sheets()) {
        for (const ods::RowRun& row : sheet.rows()) {
            for (const ods::CellRun& cell : row.cells) {
                cells += static_cast<std::int64_t>(row.repeat) * cell.repeat;
            }
        }
    }
    return cells;
}

void report(const char* what, std::int64_t cells, double seconds, double megabytes) {
    std::printf("%s: %lld cells in %.3f s = %.0f cells/s; content.xml %.1f MB = %.1f MB/s\n", what,
                static_cast<long long>(cells), seconds, static_cast<double>(cells) / seconds,
                megabytes, megabytes / seconds);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: ods_bench write PATH [CELLS] | ods_bench read PATH\n");
        return 2;
    }
    const std::string mode = argv[1];
    const std::string path = argv[2];
    try {
        if (mode == "write") {
            const std::int64_t wanted = argc > 3 ? std::atoll(argv[3]) : 1000000;
            const auto built = Clock::now();
            ods::Workbook book;
            book.sheets().emplace_back("Bench");
            ods::Sheet& sheet = book.sheets().back();
            const std::int64_t rows = (wanted + 9) / 10;
            for (std::int64_t row = 0; row < rows; ++row) {
                for (std::int32_t column = 0; column < 10; ++column) {
                    sheet.setText(column, static_cast<std::int32_t>(row), cellText(row, column));
                }
            }
            std::printf("built in memory in %.3f s\n", secondsSince(built));
            const auto start = Clock::now();
            ods::writeWorkbook(book, path);
            report("write", countCells(book), secondsSince(start), contentMegabytes(path));
        } else if (mode == "read") {
            const auto start = Clock::now();
            const ods::Workbook book = ods::readWorkbook(path);
            report("read", countCells(book), secondsSince(start), contentMegabytes(path));
        } else {
            std::fprintf(stderr, "unknown mode %s\n", mode.c_str());
            return 2;
        }
    } catch (const ods::Error& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
