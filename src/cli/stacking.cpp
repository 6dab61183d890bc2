#include "cli/stacking.h"

#include "cli/output_file.h"
#include "join/intermediate_file.h"
#include "ods/csv.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace gridwork::cli {

namespace {

// A name from a file as a message shows it: at most 60 bytes, cut between characters.
std::string shortened(const std::string& name) {
    constexpr std::size_t most = 60;
    if (name.size() <= most)
        return name;
    std::size_t cut = most;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    return name.substr(0, cut) + "...";
}

/// Passes every call to the sheet and tells the progress how far the join has come. The join
/// stays exactly the window's; it only sees a sheet that counts.
class CountingSheet final : public Sheet {
public:
    enum class Count { CellsRead, RowsWritten };

    CountingSheet(Sheet& sheet, Progress& progress, const Checkpoint& checkpoint, Count count)
        : sheet_(sheet), progress_(progress), checkpoint_(checkpoint), count_(count) {}

    std::string name() override { return sheet_.name(); }
    UsedArea usedArea() override { return sheet_.usedArea(); }

    std::string cellText(std::int32_t column, std::int32_t row) override {
        std::string text = sheet_.cellText(column, row);
        if (count_ == Count::CellsRead && ++done_ % 4096 == 0)
            reached(done_);
        return text;
    }
    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override {
        if (column >= maxSheetColumns && text.empty())
            return;
        sheet_.setCellText(column, row, text);
        if (count_ == Count::RowsWritten && row + 1 > done_)
            reached(done_ = row + 1);
    }
    CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                        std::int32_t lastRow) override {
        CellRows rows = sheet_.rangeTexts(firstColumn, firstRow, lastColumn, lastRow);
        if (count_ == Count::CellsRead) {
            done_ += (std::int64_t{lastColumn} - firstColumn + 1) *
                     (std::int64_t{lastRow} - firstRow + 1);
            reached(done_);
        }
        return rows;
    }
    void setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) override {
        // The join writes an empty text right of every row's last cell. For a range that ends in
        // the sheet's last column that cell does not exist, and emptying it would change nothing.
        const auto pastLastColumn = [&](const std::vector<std::string>& texts) {
            return column + static_cast<std::int64_t>(texts.size()) > maxSheetColumns;
        };
        if (std::any_of(rows.begin(), rows.end(), pastLastColumn)) {
            CellRows inSheet = rows;
            for (auto& texts : inSheet)
                while (pastLastColumn(texts) && texts.back().empty())
                    texts.pop_back();
            sheet_.setRangeTexts(column, row, inSheet);
        } else {
            sheet_.setRangeTexts(column, row, rows);
        }
        if (count_ == Count::RowsWritten) {
            done_ = std::max<std::int64_t>(done_, row + static_cast<std::int64_t>(rows.size()));
            reached(done_);
        }
    }

private:
    Sheet& sheet_;
    Progress& progress_;
    const Checkpoint& checkpoint_;
    Count count_;
    std::int64_t done_ = 0;

    void reached(std::int64_t done) {
        progress_.advance(done);
        checkpoint_();
    }
};

std::string reason(int error) {
    return std::strerror(error);
}

std::string sheetNumberText(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " sheet" : " sheets");
}

ClosingDocument openTable(Desktop& desktop, const std::string& path) {
    const std::string absolute = std::filesystem::absolute(path).lexically_normal().string();
    try {
        return ClosingDocument(desktop.openDocument(fileUrl(absolute)));
    } catch (const OfficeError& e) {
        throw unreadableTable(path, absolute, e.what());
    }
}

void checkReadable(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw StackError(path + ": no such file");
        throw StackError(path + ": cannot read: " + reason(errno));
    }
    if (S_ISDIR(info.st_mode))
        throw StackError(path + ": is a folder, not a spreadsheet");
    if (::access(path.c_str(), R_OK) != 0)
        throw StackError(path + ": cannot read: " + reason(errno));
}

std::int32_t toPosition(std::int64_t checked) {
    return static_cast<std::int32_t>(checked);
}

} // namespace

ClosingDocument::~ClosingDocument() {
    if (!document_)
        return;
    try {
        document_->close();
    } catch (...) {
        // Already failing or already gone; the run's own error is the one worth reading.
    }
}

void ClosingDocument::close() {
    const std::unique_ptr<Document> document = std::move(document_);
    if (document)
        document->close();
}

StackError unreadableTable(const std::string& path, const std::string& absolute,
                           std::string_view detail) {
    // The reader's message names the file again; once, as the user typed it, is enough. A part
    // of the package keeps its name: "cannot read content.xml: ...".
    const std::string namedAgain = "cannot read " + absolute;
    if (detail.starts_with(namedAgain + " (")) {
        detail.remove_prefix(namedAgain.size() + 2);
        const auto close = detail.find("): ");
        if (close != std::string_view::npos)
            return StackError(path + ": cannot read " + std::string(detail.substr(0, close)) +
                              ": " + std::string(detail.substr(close + 3)));
    }
    if (detail.starts_with(namedAgain + ": "))
        detail.remove_prefix(namedAgain.size() + 2);
    // Only what says what kind of file it is means it is no spreadsheet; a damaged or hostile
    // spreadsheet cannot be read.
    if (detail.starts_with("it is "))
        return StackError(path + ": not a spreadsheet (" + std::string(detail) + ")");
    return StackError(path + ": cannot read: " + std::string(detail));
}

void checkStackHeight(const std::string& path, std::int64_t rows) {
    if (rows > maxSheetRows)
        throw StackError(path + ": the stack would reach row " + withThousands(rows) +
                         ", beyond the last row of a sheet (" + withThousands(maxSheetRows) + ")");
}

// Every cell of a stack is written out one by one (through the office, also into the intermediate
// file and the result sheet). A small file can claim a used area of billions of repeated cells;
// such a stack would fill the disk or the memory long before it ended, so it is refused before
// the first cell is copied.
void checkStackCells(const std::string& path, std::int64_t cells) {
    if (cells > maxStackCells)
        throw StackError(path + ": the stack would hold " + withThousands(cells) +
                         " cells, more than gridstack takes (" + withThousands(maxStackCells) +
                         "); give --rows and --columns");
}

void checkInputs(const Arguments& arguments) {
    if (arguments.matchColumns && arguments.headerRows == 0)
        throw StackError("--match-columns needs --header: the header rows name the columns");
    std::int64_t explicitRows = 0;
    bool readsStandardInput = false;
    for (const TableSource& table : arguments.tables) {
        const std::string& path = table.path;
        if (isCsvInput(path) && table.sheet)
            throw StackError((path == "-" ? "standard input" : path) +
                             ": --sheet is for spreadsheets; CSV holds one table");
        if (!arguments.office && isOfficeOnlyInput(path))
            throw StackError(path + ": the built-in engine reads .ods, .fods and .csv files; "
                                    "--office reads this one through the installed office");
        if (path == "-") {
            if (readsStandardInput)
                throw StackError("- is given twice: standard input can be read only once");
            readsStandardInput = true;
        }
        if (path != "-")
            checkReadable(path);
        if (table.sheet && *table.sheet == SheetChoice{std::int64_t{0}})
            throw StackError(path + ": no such sheet 0 (sheets are counted from 1)");
        try {
            if (table.rows)
                checkSpan(*table.rows, Axis::Rows);
            if (table.columns)
                checkSpan(*table.columns, Axis::Columns);
        } catch (const RangeValueError& e) {
            throw StackError(path + ": " + e.what());
        }
        // Tables that take their used area add rows too; those are counted once they are open.
        if (table.rows)
            checkStackHeight(path, explicitRows += table.rows->last - table.rows->first + 1);
        if (arguments.outputKind != OutputKind::StandardOutput && path != "-" &&
            sameFile(path, arguments.output))
            throw StackError(arguments.output + ": is also an input FILE, and inputs are never "
                                                "written");
    }
}

std::optional<CellRange> tableRange(const TableSource& table, const UsedArea& used) {
    CellRange range;
    range.firstRow = table.rows ? toPosition(table.rows->first) : 1;
    range.lastRow = table.rows ? toPosition(table.rows->last) : used.rows;
    range.firstColumn = table.columns ? toPosition(table.columns->first) : 1;
    range.lastColumn = table.columns ? toPosition(table.columns->last) : used.columns;
    if (range.lastRow < range.firstRow || range.lastColumn < range.firstColumn)
        return std::nullopt;
    return range;
}

std::int32_t chosenSheetIndex(const TableSource& table, std::int32_t count,
                              const std::function<std::string(std::int32_t)>& nameAt) {
    const SheetChoice choice = table.sheet.value_or(SheetChoice{std::int64_t{1}});
    if (const auto* number = std::get_if<std::int64_t>(&choice)) {
        if (*number < 1 || *number > count)
            throw StackError(table.path + ": no such sheet " + std::to_string(*number) +
                             " (the file has " + sheetNumberText(count) + ")");
        return static_cast<std::int32_t>(*number - 1);
    }
    const std::string& name = std::get<std::string>(choice);
    // A few names help to pick; thousands of long ones would bury the message.
    constexpr std::int32_t namesShown = 5;
    std::string names;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::string sheetName = nameAt(i);
        if (sheetName == name)
            return i;
        if (i < namesShown)
            names += (names.empty() ? "\"" : ", \"") + shortened(sheetName) + "\"";
    }
    if (count > namesShown)
        names += " and " + withThousands(count - namesShown) + " more";
    throw StackError(table.path + ": no such sheet \"" + shortened(name) +
                     "\" (its sheets: " + names + ")");
}

std::unique_ptr<Sheet> chooseSheet(Document& document, const TableSource& table) {
    const std::int32_t index =
        chosenSheetIndex(table, document.sheetCount(), [&document](std::int32_t i) {
            return document.sheetByIndex(static_cast<std::int16_t>(i))->name();
        });
    return document.sheetByIndex(static_cast<std::int16_t>(index));
}

ClosingDocument stackTables(Desktop& desktop, const std::vector<TableSource>& tables,
                            Progress& progress, const Checkpoint& checkpoint) {
    IntermediateFile lines;
    std::int64_t totalRows = 0;
    std::int64_t totalCells = 0;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const TableSource& table = tables[i];
        const std::string label =
            "reading table " + std::to_string(i + 1) + " of " + std::to_string(tables.size());
        progress.begin(label, 0);
        checkpoint();
        ClosingDocument source = openTable(desktop, table.path);
        try {
            const std::unique_ptr<Sheet> sheet = chooseSheet(*source, table);
            const bool needsUsedArea = !table.rows || !table.columns;
            const std::optional<CellRange> range =
                tableRange(table, needsUsedArea ? sheet->usedArea() : UsedArea{});
            if (range) {
                const std::int64_t rows = std::int64_t{range->lastRow} - range->firstRow + 1;
                checkStackHeight(table.path, totalRows + rows);
                const std::int64_t columns =
                    std::int64_t{range->lastColumn} - range->firstColumn + 1;
                checkStackCells(table.path, totalCells + rows * columns);
                totalCells += rows * columns;
                progress.begin(label, rows * columns, "cells");
                CountingSheet counted(*sheet, progress, checkpoint,
                                      CountingSheet::Count::CellsRead);
                AppendRangeLines(counted, *range, lines);
                totalRows += rows;
            }
            source.close();
        } catch (const OfficeError& e) {
            throw StackError(table.path + ": " + e.what());
        }
    }

    ClosingDocument result(desktop.newDocument());
    const std::unique_ptr<Sheet> sheet = result->sheetByIndex(0);
    progress.begin("writing rows", totalRows, "rows");
    checkpoint();
    CountingSheet counted(*sheet, progress, checkpoint, CountingSheet::Count::RowsWritten);
    WriteResultRows(counted, lines);
    return result;
}

bool writeCsv(Sheet& sheet, std::ostream& out, Progress& progress, const Checkpoint& checkpoint) {
    const UsedArea used = sheet.usedArea();
    if (used.rows <= 0 || used.columns <= 0)
        return true;
    ods::CsvWriter csv(out, static_cast<std::size_t>(used.columns));
    const std::int32_t rowsPerBlock =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, CellsPerBlock / used.columns));
    for (std::int32_t first = 0; first < used.rows;) {
        const std::int32_t last = std::min(used.rows, first + rowsPerBlock) - 1;
        CellRows block = sheet.rangeTexts(0, first, used.columns - 1, last);
        block.resize(static_cast<std::size_t>(last - first + 1));
        for (const auto& row : block)
            csv.writeRow(row);
        if (!out)
            return false;
        first = last + 1;
        progress.advance(first);
        checkpoint();
    }
    return true;
}

void writeStack(const Arguments& arguments, const OutputFile* output, const StackOutput& stack,
                std::ostream& standardOutput, Progress& progress, const Checkpoint& checkpoint) {
    if (arguments.outputKind == OutputKind::Ods) {
        progress.begin("storing " + arguments.output, 0);
        try {
            stack.store(output->temporaryPath());
        } catch (const OfficeError& e) {
            throw StackError(arguments.output + ": cannot write: " + e.what());
        }
    } else if (arguments.outputKind == OutputKind::Csv) {
        progress.begin("writing " + arguments.output, stack.rows, "rows");
        std::ofstream file(output->temporaryPath(), std::ios::binary | std::ios::trunc);
        bool written = file && stack.writeCsv(file, progress, checkpoint);
        file.close();
        if (!written || !file)
            throw StackError(arguments.output + ": cannot write: " + reason(errno));
    } else {
        // Standard output may be the same terminal: the bar goes before the first line of CSV.
        progress.finish();
        Progress none(std::cerr, false);
        if (!stack.writeCsv(standardOutput, none, checkpoint) || !standardOutput.flush())
            throw StackError(std::string("standard output: cannot write: ") + reason(errno));
    }
}

void runStack(const Arguments& arguments, CalcAutomation& office, std::ostream& standardOutput,
              Progress& progress, const Checkpoint& checkpoint) {
    checkInputs(arguments);
    std::optional<OutputFile> output;
    // The office stores the result itself, so the temporary file needs a name it can open.
    if (arguments.outputKind != OutputKind::StandardOutput)
        output.emplace(arguments.output, arguments.force, true);

    std::unique_ptr<Desktop> desktop;
    try {
        desktop = office.connect();
    } catch (const OfficeError& e) {
        throw StackError(std::string("cannot reach the office: ") + e.what());
    }
    checkpoint();
    ClosingDocument result = stackTables(*desktop, arguments.tables, progress, checkpoint);
    const std::unique_ptr<Sheet> sheet = result->sheetByIndex(0);
    const UsedArea used = sheet->usedArea();

    const StackOutput stack{used.rows, [&](const std::string& path) { result->storeToFile(path); },
                            [&](std::ostream& out, Progress& bar, const Checkpoint& check) {
                                return writeCsv(*sheet, out, bar, check);
                            }};
    writeStack(arguments, output ? &*output : nullptr, stack, standardOutput, progress, checkpoint);
    checkpoint();
    result.close();
    if (output)
        output->commit();
}

} // namespace gridwork::cli
