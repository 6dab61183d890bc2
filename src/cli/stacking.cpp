#include "cli/stacking.h"

#include "cli/output_file.h"

#include <cerrno>
#include <cstring>
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

std::string reason(int error) {
    return std::strerror(error);
}

std::string sheetNumberText(std::int64_t count) {
    return std::to_string(count) + (count == 1 ? " sheet" : " sheets");
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

// Every cell of a stack is held in memory and written out. A small file can claim a used area of
// billions of repeated cells; such a stack would fill the disk or the memory long before it ended,
// so it is refused before the first cell is copied.
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

} // namespace gridwork::cli
