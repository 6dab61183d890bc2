#include "cli/engine_stack.h"

#include "cli/cell_range.h"
#include "cli/interruption.h"
#include "ods/csv.h"
#include "ods/error.h"
#include "ods/format/calendar.h"
#include "ods/ods_automation.h"
#include "ods/writer.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <deque>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <iostream>
#include <iterator>
#include <map>
#include <thread>

namespace gridwork::cli {

namespace {

std::string absolutePath(const std::string& path) {
    return std::filesystem::absolute(path).lexically_normal().string();
}

std::size_t chosenSheet(const ods::Workbook& workbook, const TableSource& table) {
    const auto& sheets = workbook.sheets();
    const std::int32_t index = chosenSheetIndex(
        table, static_cast<std::int32_t>(sheets.size()),
        [&sheets](std::int32_t i) { return sheets[static_cast<std::size_t>(i)].name(); });
    return static_cast<std::size_t>(index);
}

/// A cell run of a range, from the range's first column (or, placed, of the stack).
struct RangeCell {
    std::int32_t column;
    std::int32_t repeat;
    const std::string* text;
    std::uint32_t value = 0; ///< CellRun::value of the source
};

/// Calls visit(row, repeat, cells) for every row run of the range that holds a cell in it: rows
/// from the range's first row, cells cut to the range and counted from its first column.
template <typename Visit>
void visitRange(const ods::Sheet& source, const CellRange& range, Visit&& visit) {
    const std::int32_t firstRow = range.firstRow - 1;
    const std::int32_t lastRow = range.lastRow - 1;
    const std::int32_t firstColumn = range.firstColumn - 1;
    const std::int32_t lastColumn = range.lastColumn - 1;
    const auto& runs = source.rows();
    auto run = std::partition_point(runs.begin(), runs.end(), [&](const ods::RowRun& r) {
        return r.row + r.repeat <= firstRow;
    });
    std::vector<RangeCell> cells;
    for (; run != runs.end() && run->row <= lastRow; ++run) {
        const std::int32_t from = std::max(run->row, firstRow);
        const std::int32_t to = std::min(run->row + run->repeat - 1, lastRow);
        cells.clear();
        auto cell =
            std::partition_point(run->cells.begin(), run->cells.end(), [&](const ods::CellRun& c) {
                return c.column + c.repeat <= firstColumn;
            });
        for (; cell != run->cells.end() && cell->column <= lastColumn; ++cell) {
            const std::int32_t left = std::max(cell->column, firstColumn);
            const std::int32_t right = std::min(cell->column + cell->repeat - 1, lastColumn);
            cells.push_back(
                RangeCell{left - firstColumn, right - left + 1, &cell->text, cell->value});
        }
        if (!cells.empty())
            visit(from - firstRow, to - from + 1, std::span<const RangeCell>(cells));
    }
}

/// Calls visit(row, repeat, cells) for every row run of a table that holds a cell, with rows and
/// columns of the stack: its columns where the plan puts them, its source cell before them.
template <typename Visit> void visitTable(const Stack::Table& table, Visit&& visit) {
    if (!table.range)
        return;
    if (table.place.empty() && table.label.empty()) {
        visitRange(table.sheet(), *table.range,
                   [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                       visit(table.top + row, repeat, cells);
                   });
        return;
    }
    std::vector<RangeCell> placed;
    visitRange(table.sheet(), *table.range,
               [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                   placed.clear();
                   if (!table.label.empty())
                       placed.push_back(RangeCell{0, 1, &table.label});
                   const auto own = placed.size();
                   for (const RangeCell& cell : cells) {
                       if (table.place.empty()) {
                           placed.push_back(RangeCell{cell.column + table.shift, cell.repeat,
                                                      cell.text, cell.value});
                           continue;
                       }
                       for (std::int32_t k = 0; k < cell.repeat; ++k)
                           placed.push_back(RangeCell{
                               table.place[static_cast<std::size_t>(cell.column + k)] + table.shift,
                               1, cell.text, cell.value});
                   }
                   if (!table.place.empty())
                       std::sort(placed.begin() + static_cast<std::ptrdiff_t>(own), placed.end(),
                                 [](const RangeCell& a, const RangeCell& b) {
                                     return a.column < b.column;
                                 });
                   visit(table.top + row, repeat, std::span<const RangeCell>(placed));
               });
}

/// The engine's question whether to stop, answered by the run's checkpoint; its Interrupted is
/// kept, to be thrown again once the engine has stopped.
std::function<bool()> askingCheckpoint(const Checkpoint& checkpoint,
                                       std::exception_ptr& interrupted) {
    return [&checkpoint, &interrupted] {
        try {
            checkpoint();
            return false;
        } catch (const Interrupted&) {
            interrupted = std::current_exception();
            return true;
        }
    };
}

/// Writes the stack into the temporary file at `path`, which OutputFile keeps whole.
void storeWorkbook(const ods::Workbook& workbook, const std::string& path,
                   const std::string& output, const Checkpoint& checkpoint) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                               &std::fclose);
    if (!file)
        throw OfficeError(std::strerror(errno));
    std::exception_ptr interrupted;
    const std::function<bool()> stop = askingCheckpoint(checkpoint, interrupted);
    try {
        ods::writeWorkbook(workbook, file.get(), output, stop);
    } catch (const ods::Error& e) {
        throw OfficeError(e.what());
    } catch (const ods::Stopped&) {
        std::rethrow_exception(interrupted);
    }
    if (std::fflush(file.get()) != 0)
        throw OfficeError(std::strerror(errno));
}

/// The whole of a stream, read a piece at a time so that `stop` is asked as it goes.
std::string readAll(std::istream& in, const std::function<bool()>& stop) {
    std::string text;
    std::string piece(1 << 20, '\0');
    while (in.read(piece.data(), static_cast<std::streamsize>(piece.size())) || in.gcount() > 0) {
        if (stop && stop())
            throw ods::Stopped();
        text.append(piece.data(), static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

ods::Workbook readCsvInput(const TableSource& table, const std::function<bool()>& stop) {
    std::string text;
    if (table.path == "-") {
        text = readAll(std::cin, stop);
        if (std::cin.bad())
            throw StackError("standard input: cannot read");
    } else {
        std::ifstream in(table.path, std::ios::binary);
        text = readAll(in, stop);
        if (in.bad())
            throw StackError(table.path + ": cannot read");
    }
    const std::string sheetName =
        table.path == "-" ? "Sheet1" : std::filesystem::path(table.path).stem().string();
    try {
        return ods::readCsvWorkbook(text, sheetName, stop);
    } catch (const ods::Error& e) {
        throw StackError((table.path == "-" ? "standard input" : table.path) + ": " + e.what());
    }
}

/// Prepares the tables' sources ahead of their use, as many at once as there are cores, so that
/// no more than that many whole documents wait in memory.
class SourceQueue {
public:
    SourceQueue(const std::vector<TableSource>& tables, const SourceReader& reader)
        : tables_(tables), reader_(reader),
          ahead_(std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8)) {}

    /// The next source; throws StackError for its faults.
    ReadSource next() {
        while (pending_.size() < ahead_ && started_ < tables_.size())
            pending_.push_back(
                std::async(std::launch::async, reader_, std::cref(tables_[started_++])));
        std::future<ReadSource> preparing = std::move(pending_.front());
        pending_.pop_front();
        return preparing.get();
    }

private:
    const std::vector<TableSource>& tables_;
    const SourceReader& reader_;
    std::size_t ahead_;
    std::size_t started_ = 0;
    std::deque<std::future<ReadSource>> pending_;
};

std::string trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

/// The header rows of a table's range, as texts: rows x columns of the range's used width.
using HeaderTexts = std::vector<std::vector<std::string>>;

HeaderTexts headerTexts(const Stack::Table& table, std::int32_t rows) {
    const CellRange& range = *table.range;
    const std::int32_t usedWidth = table.sheet().extent().columns - range.firstColumn + 1;
    const std::int32_t width =
        std::max(0, std::min(range.lastColumn - range.firstColumn + 1, usedWidth));
    const std::int32_t height = std::min(rows, range.lastRow - range.firstRow + 1);
    HeaderTexts texts(static_cast<std::size_t>(rows),
                      std::vector<std::string>(static_cast<std::size_t>(width)));
    CellRange header = range;
    header.lastRow = range.firstRow + height - 1;
    visitRange(table.sheet(), header,
               [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                   for (std::int32_t r = row; r < row + repeat; ++r)
                       for (const RangeCell& cell : cells)
                           std::fill_n(texts[static_cast<std::size_t>(r)].begin() + cell.column,
                                       cell.repeat, *cell.text);
               });
    return texts;
}

/// Columns placed by their header texts: the first table's, then each header not seen before.
class ColumnMatcher {
public:
    explicit ColumnMatcher(std::int32_t headerRows)
        : header_(static_cast<std::size_t>(headerRows)) {}

    /// The stack column of each of the table's columns; new names become new columns.
    std::vector<std::int32_t> place(const HeaderTexts& texts) {
        ++tables_;
        const std::size_t width = texts.empty() ? 0 : texts.front().size();
        std::vector<std::int32_t> placed(width);
        std::map<std::string, int> seen; // occurrences of each name in this table so far
        for (std::size_t column = 0; column < width; ++column) {
            std::string key;
            for (const auto& row : texts)
                key += trimmed(row[column]) + '\n';
            if (key.find_first_not_of('\n') == std::string::npos) {
                // An empty header keeps its position.
                placed[column] = static_cast<std::int32_t>(column);
                while (names_.size() <= column)
                    addColumn({}, {});
                continue;
            }
            const Key named{key, seen[key]++};
            auto found = byName_.find(named);
            if (found == byName_.end()) {
                std::string shown;
                for (const auto& row : texts)
                    if (const std::string t = trimmed(row[column]); !t.empty())
                        shown += (shown.empty() ? "" : " / ") + t;
                std::vector<std::string> cells;
                for (const auto& row : texts)
                    cells.push_back(row[column]);
                found = byName_.emplace(named, static_cast<std::int32_t>(names_.size())).first;
                addColumn(shown, cells);
            }
            placed[column] = found->second;
        }
        return placed;
    }

    const std::vector<std::string>& names() const noexcept { return names_; }
    /// Which call of place() added a column, counted from 1.
    int addedBy(std::size_t column) const { return addedBy_[column]; }
    const HeaderTexts& header() const noexcept { return header_; }

private:
    using Key = std::pair<std::string, int>;

    void addColumn(const std::string& name, const std::vector<std::string>& cells) {
        names_.push_back(name);
        addedBy_.push_back(tables_);
        for (std::size_t row = 0; row < header_.size(); ++row)
            header_[row].push_back(row < cells.size() ? cells[row] : std::string());
    }

    int tables_ = 0;
    std::vector<int> addedBy_;
    std::map<Key, std::int32_t> byName_;
    std::vector<std::string> names_; ///< shown name of each stack column; empty: placed by position
    HeaderTexts header_;             ///< the stack's header rows
};

std::string quotedList(const std::vector<std::string>& names) {
    std::string list;
    for (const auto& name : names)
        list += (list.empty() ? "\"" : ", \"") + name + "\"";
    return list;
}

/// One line per matched table: the columns it added to the stack or left empty.
std::vector<std::string> matchReport(const std::vector<Stack::Table>& tables,
                                     const std::vector<int>& placeCall,
                                     const ColumnMatcher& matcher) {
    std::vector<std::string> report;
    const auto& names = matcher.names();
    for (std::size_t i = 0; i < tables.size(); ++i) {
        if (placeCall[i] == 0)
            continue;
        std::vector<bool> filled(names.size());
        for (const std::int32_t column : tables[i].place)
            filled[static_cast<std::size_t>(column)] = true;
        std::vector<std::string> added;
        std::vector<std::string> empty;
        for (std::size_t column = 0; column < names.size(); ++column) {
            if (names[column].empty())
                continue;
            // The first table gives the columns; only later ones add to them.
            if (!filled[column])
                empty.push_back(names[column]);
            else if (placeCall[i] > 1 && matcher.addedBy(column) == placeCall[i])
                added.push_back(names[column]);
        }
        std::string line = tables[i].name + ": ";
        if (!added.empty())
            line += "added " + quotedList(added) + (empty.empty() ? "" : "; ");
        if (!empty.empty())
            line += "left empty " + quotedList(empty);
        if (added.empty() && empty.empty())
            line += "every column matched";
        report.push_back(std::move(line));
    }
    return report;
}

/// The header rows of the stack as a table of their own: the texts from A1, NAME of --source in
/// the first column of the last row.
Stack::Table headerTable(const HeaderTexts& texts, const std::optional<std::string>& sourceHeader) {
    auto workbook = std::make_shared<ods::Workbook>();
    ods::Sheet& sheet = workbook->sheets().emplace_back("header");
    const std::int32_t shift = sourceHeader ? 1 : 0;
    std::int32_t width = shift;
    for (std::size_t row = 0; row < texts.size(); ++row) {
        ods::RowRun run{static_cast<std::int32_t>(row), 1, {}};
        if (sourceHeader && row + 1 == texts.size() && !sourceHeader->empty())
            run.cells.push_back(ods::CellRun{0, 1, *sourceHeader});
        for (std::size_t column = 0; column < texts[row].size(); ++column)
            if (!texts[row][column].empty())
                run.cells.push_back(
                    ods::CellRun{static_cast<std::int32_t>(column) + shift, 1, texts[row][column]});
        if (!run.cells.empty()) {
            width = std::max(width, run.cells.back().column + 1);
            sheet.appendRow(std::move(run));
        }
    }
    Stack::Table table;
    table.source = std::move(workbook);
    table.name = "the header";
    table.range = CellRange{1, static_cast<std::int32_t>(texts.size()), 1, std::max(width, 1)};
    return table;
}

/// A data style's XML with its own name and the names its conditions apply given the prefix.
std::string renamedStyles(const std::string& xml, const std::string& prefix) {
    std::string renamed;
    renamed.reserve(xml.size() + 4 * prefix.size());
    std::size_t from = 0;
    for (;;) {
        std::size_t next = std::string::npos;
        std::size_t length = 0;
        for (const std::string_view name : {" style:name=\"", " style:apply-style-name=\""})
            if (const std::size_t at = xml.find(name, from); at < next) {
                next = at;
                length = name.size();
            }
        if (next == std::string::npos)
            break;
        renamed.append(xml, from, next + length - from);
        renamed += prefix;
        from = next + length;
    }
    renamed.append(xml, from);
    return renamed;
}

/// Copies a table's values into the result sheet, their formats with the data styles renamed.
class ValueCopier {
public:
    ValueCopier(const ods::Workbook& workbook, const ods::Sheet& source, const std::string& prefix,
                ods::Sheet& result)
        : workbook_(workbook), source_(source), prefix_(prefix), result_(result),
          formats_(source.formats().size()) {}

    /// The CellRun::value in the result of a source cell's value, or 0 where it is better left a
    /// text.
    std::uint32_t copy(std::uint32_t sourceValue, const std::string& text) {
        const ods::CellValueData& value = source_.values()[sourceValue - 1];
        const ods::ValueFormat& format = source_.formats()[value.format];
        // Without a data style a value shows as its document's settings and its cell's look
        // say: a date, time, percentage or boolean in a standard format, a number in the
        // general format within the document's limit of decimals. Only a number shown as the
        // file writes it is sure to show alike in the stack.
        if (format.dataStyle.empty() &&
            (value.kind != ods::ValueKind::Float || text != value.value))
            return 0;
        Placed& placed = formats_[value.format];
        if (placed.index == unknown) {
            ods::ValueFormat renamed = format;
            if (!renamed.dataStyle.empty()) {
                const auto style = workbook_.dataStyles().find(renamed.dataStyle);
                placed.showsDates = style != workbook_.dataStyles().end() &&
                                    style->second.starts_with("<number:date-style ");
                renamed.dataStyle = prefix_ + renamed.dataStyle;
            }
            result_.formats().push_back(std::move(renamed));
            placed.index = static_cast<std::uint32_t>(result_.formats().size() - 1);
        }
        ods::CellValueData copied{value.value, placed.index, value.kind};
        if (workbook_.nullDate() != 0)
            countFromStackNullDate(copied, placed.showsDates);
        result_.values().push_back(std::move(copied));
        return static_cast<std::uint32_t>(result_.values().size());
    }

private:
    struct Placed {
        std::uint32_t index = unknown; ///< the format in the result
        bool showsDates = false;       ///< its data style shows a value as a day
    };

    /// The stack counts serial days from 1899-12-30, its document from another day (1904-01-01
    /// in spreadsheets of the old Macintosh): a number shown as a date moves by the days between
    /// the two, and a date shown as a number becomes the number its document showed, so that
    /// the office shows both as their document did and computes with them.
    void countFromStackNullDate(ods::CellValueData& value, bool showsDates) const {
        std::optional<double> serial;
        if (value.kind == ods::ValueKind::Date) {
            // The office reads a date it cannot make out (1900-02-29) as its document's day 0.
            serial = ods::format::serialOfDate(value.value, workbook_.nullDate()).value_or(0.0);
            if (showsDates && *serial != 0)
                return; // a day of the calendar, the same under any null date
        } else if (showsDates) {
            if (value.kind == ods::ValueKind::Time)
                serial = ods::format::daysOfDuration(value.value);
            else if (value.kind == ods::ValueKind::Boolean)
                serial = value.value == "true" ? 1.0 : 0.0;
            else
                serial = numberOf(value.value);
        }
        if (serial && showsDates)
            *serial += static_cast<double>(workbook_.nullDate());
        if (!serial)
            return;
        std::array<char, 32> digits{};
        const auto written = std::to_chars(digits.data(), digits.data() + digits.size(), *serial);
        value.value.assign(digits.data(), written.ptr);
        if (value.kind == ods::ValueKind::Date || value.kind == ods::ValueKind::Time ||
            value.kind == ods::ValueKind::Boolean)
            value.kind = ods::ValueKind::Float;
    }

    static std::optional<double> numberOf(const std::string& text) {
        double number = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        if (error != std::errc() || end != text.data() + text.size())
            return std::nullopt;
        return number;
    }

    static constexpr std::uint32_t unknown = ~std::uint32_t{0};
    const ods::Workbook& workbook_;
    const ods::Sheet& source_;
    const std::string& prefix_;
    ods::Sheet& result_;
    std::vector<Placed> formats_; ///< of each source format
};

} // namespace

ReadSource readSourceFile(const TableSource& table, bool keepValues, const Checkpoint& checkpoint) {
    ReadSource read;
    // The readers ask as they go whether to stop; the run's own Interrupted then comes out.
    std::exception_ptr interrupted;
    std::function<bool()> stop;
    if (checkpoint)
        stop = askingCheckpoint(checkpoint, interrupted);
    try {
        if (isCsvInput(table.path)) {
            read.workbook = std::make_shared<const ods::Workbook>(readCsvInput(table, stop));
        } else {
            const std::string absolute = absolutePath(table.path);
            try {
                read.workbook = std::make_shared<const ods::Workbook>(
                    readSpreadsheet(absolute, keepValues, stop));
            } catch (const OfficeError& e) {
                throw unreadableTable(table.path, absolute, e.what());
            }
        }
    } catch (const ods::Stopped&) {
        std::rethrow_exception(interrupted);
    }
    if (table.allSheets) {
        for (std::size_t i = 0; i < read.workbook->sheets().size(); ++i)
            read.sheets.push_back(i);
    } else {
        read.sheets.push_back(chosenSheet(*read.workbook, table));
    }
    return read;
}

SourceReader engineSourceReader(bool keepValues, Checkpoint checkpoint) {
    return [keepValues, checkpoint = std::move(checkpoint)](const TableSource& table) {
        return readSourceFile(table, keepValues, checkpoint);
    };
}

Stack::Stack(const std::vector<TableSource>& tables, const StackLayout& layout, Progress& progress,
             const Checkpoint& checkpoint, const SourceReader& reader)
    : values_(layout.values) {
    SourceQueue queue(tables, reader);
    std::map<std::string, std::vector<std::size_t>> sheetsOfFile;
    for (std::size_t i = 0; i < tables.size(); ++i) {
        const TableSource& source = tables[i];
        progress.begin(
            "reading table " + std::to_string(i + 1) + " of " + std::to_string(tables.size()), 0);
        checkpoint();
        ReadSource read = queue.next();
        for (const std::size_t sheetIndex : read.sheets) {
            Table table;
            table.source = read.workbook;
            table.sheetIndex = sheetIndex;
            table.name = source.path;
            table.file = source.path;
            const ods::Extent extent = table.sheet().extent();
            if (source.allSheets && extent.rows == 0)
                continue;
            table.range = tableRange(source, UsedArea{extent.columns, extent.rows});
            sheetsOfFile[source.path].push_back(sheetIndex);
            tables_.push_back(std::move(table));
        }
    }
    // A sheet is named where the file alone would not tell which one it is.
    for (Table& table : tables_) {
        const auto& sheets = sheetsOfFile[table.name];
        const bool several = std::any_of(sheets.begin(), sheets.end(),
                                         [&](std::size_t s) { return s != sheets.front(); });
        if (several || table.sheetIndex != 0)
            table.name += ":" + table.sheet().name();
    }

    const std::int32_t shift = layout.sourceHeader ? 1 : 0;
    std::optional<ColumnMatcher> matcher;
    std::vector<int> placeCall(tables_.size()); // which call of the matcher placed the table
    std::optional<HeaderTexts> header;
    int calls = 0;
    for (std::size_t i = 0; i < tables_.size(); ++i) {
        Table& table = tables_[i];
        table.shift = shift;
        if (layout.sourceHeader)
            table.label = table.name;
        if (!table.range || layout.headerRows == 0)
            continue;
        if (layout.matchColumns) {
            if (!matcher)
                matcher.emplace(layout.headerRows);
            table.place = matcher->place(headerTexts(table, layout.headerRows));
            placeCall[i] = ++calls;
        } else if (!header) {
            header = headerTexts(table, layout.headerRows);
        }
        if (table.range->lastRow - table.range->firstRow + 1 <= layout.headerRows)
            table.range.reset();
        else
            table.range->firstRow += layout.headerRows;
    }
    if (matcher) {
        header = matcher->header();
        report_ = matchReport(tables_, placeCall, *matcher);
        const auto width = static_cast<std::int64_t>(matcher->names().size()) + shift;
        if (width > maxSheetColumns)
            throw StackError("the matched columns would be " + withThousands(width) +
                             ", more than a sheet has (" + withThousands(maxSheetColumns) + ")");
    }
    if (header)
        tables_.insert(tables_.begin(), headerTable(*header, layout.sourceHeader));

    std::int32_t rows = 0;
    std::int64_t totalCells = 0;
    std::uint64_t textBytes = 0;
    for (Table& table : tables_) {
        if (!table.range)
            continue;
        const CellRange& range = *table.range;
        const std::int64_t height = std::int64_t{range.lastRow} - range.firstRow + 1;
        checkStackHeight(table.name, rows + height);
        const std::int64_t columns = std::int64_t{range.lastColumn} - range.firstColumn + 1;
        checkStackCells(table.name, totalCells + height * (columns + table.shift));
        totalCells += height * (columns + table.shift);
        table.top = rows;
        rows += static_cast<std::int32_t>(height);
        // Only non-empty cells count for the used area, as in the window's result document.
        visitTable(
            table, [&](std::int32_t row, std::int32_t repeat, std::span<const RangeCell> cells) {
                used_.rows = std::max(used_.rows, row + repeat);
                used_.columns = std::max(used_.columns, cells.back().column + cells.back().repeat);
                std::uint64_t rowBytes = 0;
                for (const RangeCell& cell : cells)
                    rowBytes += static_cast<std::uint64_t>(cell.repeat) * cell.text->size();
                // At most 2^20 rows of 2^14 cells of 2^18 bytes: no overflow.
                table.textBytes += rowBytes * static_cast<std::uint64_t>(repeat);
            });
        textBytes += table.textBytes;
        if (textBytes > maxStackTextBytes)
            throw StackError(table.name + ": the stack's cells would show more than " +
                             std::to_string(maxStackTextBytes >> 30) +
                             " GB of text, more than gridstack writes");
        if (used_.columns > maxSheetColumns)
            throw StackError(table.name + ": with the source column the stack would need " +
                             withThousands(used_.columns) + " columns, more than a sheet has (" +
                             withThousands(maxSheetColumns) + ")");
    }
}

ods::Workbook Stack::workbook() const {
    ods::Workbook stack;
    ods::Sheet& result = stack.sheets().emplace_back("Sheet1");
    if (values_) {
        // Room for every value at once rather than moved over and over as it grows.
        std::size_t values = 0;
        for (const Table& table : tables_)
            values += table.sheet().values().size();
        result.values().reserve(values);
    }
    // Each file's data styles come with a prefix of their own, so that two files' "N1" stay two.
    std::map<const ods::Workbook*, std::string> prefixOf;
    for (const Table& table : tables_) {
        const std::string* prefix = nullptr;
        if (values_ && !table.sheet().values().empty()) {
            auto [known, added] = prefixOf.emplace(
                table.source.get(), "gs" + std::to_string(prefixOf.size() + 1) + "-");
            prefix = &known->second;
            if (added)
                for (const auto& [name, xml] : table.source->dataStyles())
                    stack.dataStyles().emplace(*prefix + name, renamedStyles(xml, *prefix));
        }
        std::optional<ValueCopier> values;
        if (prefix)
            values.emplace(*table.source, table.sheet(), *prefix, result);
        visitTable(table, [&](std::int32_t row, std::int32_t repeat,
                              std::span<const RangeCell> cells) {
            ods::RowRun copied{row, repeat, {}};
            copied.cells.reserve(cells.size());
            for (const RangeCell& cell : cells) {
                std::uint32_t value = 0;
                if (values && cell.value != 0)
                    value = values->copy(cell.value, *cell.text);
                copied.cells.push_back(ods::CellRun{cell.column, cell.repeat, *cell.text, value});
            }
            result.appendRow(std::move(copied));
        });
    }
    return stack;
}

Stack::RecalculatedCells Stack::recalculatedCells() const {
    RecalculatedCells cells;
    for (const Table& table : tables_) {
        if (!table.range)
            continue;
        const CellRange& range = *table.range;
        for (const ods::CellArea& area : table.sheet().recalculated()) {
            const std::int32_t left = std::max(area.column + 1, range.firstColumn);
            const std::int32_t right = std::min(area.column + area.columns, range.lastColumn);
            const std::int32_t top = std::max(area.row + 1, range.firstRow);
            const std::int32_t bottom = std::min(area.row + area.rows, range.lastRow);
            if (left > right || top > bottom)
                continue;
            if (cells.count == 0)
                cells.first = table.file + ", sheet \"" + table.sheet().name() + "\", cell " +
                              columnName(left) + std::to_string(top);
            cells.count += static_cast<std::uint64_t>(right - left + 1) *
                           static_cast<std::uint64_t>(bottom - top + 1);
        }
    }
    return cells;
}

void Stack::checkSpreadsheetTexts() const {
    const auto unwritable = [](unsigned char c) {
        return c < 0x20 && c != '\t' && c != '\n' && c != '\r';
    };
    for (const Table& table : tables_) {
        // Only CSV inputs can hold such characters: a spreadsheet's XML cannot.
        if (!isCsvInput(table.name))
            continue;
        visitTable(table, [&](std::int32_t row, std::int32_t, std::span<const RangeCell> cells) {
            for (const RangeCell& cell : cells) {
                const auto bad = std::find_if(cell.text->begin(), cell.text->end(), unwritable);
                if (bad == cell.text->end())
                    continue;
                static constexpr char hex[] = "0123456789ABCDEF";
                const auto code = static_cast<unsigned char>(*bad);
                throw StackError(table.name + ": the text for cell " + columnName(cell.column + 1) +
                                 std::to_string(row + 1) +
                                 " of the stack holds the control character U+00" + hex[code >> 4] +
                                 hex[code & 15] +
                                 ", which a spreadsheet cannot hold (a .csv OUTPUT keeps it)");
            }
        });
    }
}

bool Stack::writeCsv(std::ostream& out, Progress& progress, const Checkpoint& checkpoint) const {
    if (used_.rows <= 0 || used_.columns <= 0)
        return true;
    const auto width = static_cast<std::size_t>(used_.columns);
    ods::CsvWriter csv(out, width);
    std::vector<std::string_view> texts(width);
    std::int32_t written = 0;
    const auto emptyRowsUpTo = [&](std::int32_t end) {
        if (end > written)
            csv.writeRow({}, static_cast<std::size_t>(end - written));
        written = end;
    };
    for (const Table& table : tables_) {
        visitTable(table, [&](std::int32_t row, std::int32_t repeat,
                              std::span<const RangeCell> cells) {
            emptyRowsUpTo(row);
            std::fill(texts.begin(), texts.end(), std::string_view());
            std::size_t rowBytes = width;
            for (const RangeCell& cell : cells) {
                std::fill_n(texts.begin() + cell.column, cell.repeat, std::string_view(*cell.text));
                rowBytes += static_cast<std::size_t>(cell.repeat) * cell.text->size();
            }
            // A run of long rows is written a few megabytes at a time, so that Ctrl-C is looked
            // at between them.
            const auto block =
                static_cast<std::int32_t>(std::clamp<std::size_t>((16u << 20) / rowBytes, 1, 4096));
            for (std::int32_t done = 0; done < repeat; done += block) {
                const std::int32_t rowsNow = std::min(block, repeat - done);
                csv.writeRow(texts, static_cast<std::size_t>(rowsNow));
                const std::int32_t before = written;
                written = row + done + rowsNow;
                // Told how far it has come every few thousand rows, whatever the runs.
                if (before / 4096 != written / 4096 || rowsNow == block) {
                    progress.advance(written);
                    checkpoint();
                }
            }
        });
        if (!out)
            return false;
    }
    emptyRowsUpTo(used_.rows);
    return static_cast<bool>(out);
}

void runStack(const Arguments& arguments, const SourceReader& reader, std::ostream& standardOutput,
              Progress& progress, const Checkpoint& checkpoint) {
    checkInputs(arguments);
    std::optional<OutputFile> output;
    if (arguments.outputKind != OutputKind::StandardOutput)
        output.emplace(arguments.output, arguments.force);
    checkpoint();
    const Stack stack(arguments.tables, StackLayout::of(arguments), progress, checkpoint, reader);
    if (arguments.outputKind == OutputKind::Ods)
        stack.checkSpreadsheetTexts();

    const StackOutput written{stack.usedArea().rows,
                              [&stack, &arguments, &checkpoint](const std::string& path) {
                                  storeWorkbook(stack.workbook(), path, arguments.output,
                                                checkpoint);
                              },
                              [&stack](std::ostream& out, Progress& bar, const Checkpoint& check) {
                                  return stack.writeCsv(out, bar, check);
                              }};
    writeStack(arguments, output ? &*output : nullptr, written, standardOutput, progress,
               checkpoint);
    checkpoint();
    if (output)
        output->commit();
    if (!arguments.quiet && !stack.columnReport().empty()) {
        progress.finish();
        for (const std::string& line : stack.columnReport())
            std::cerr << "gridstack: " << line << '\n';
    }
    // Told even with --quiet: the stack holds texts that may not be the ones the office shows.
    if (const Stack::RecalculatedCells recalculated = stack.recalculatedCells();
        recalculated.count > 0) {
        progress.finish();
        const bool one = recalculated.count == 1;
        std::cerr << "gridstack: " << withThousands(static_cast<std::int64_t>(recalculated.count))
                  << (one ? " cell" : " cells")
                  << " of the stack may show another text in the office, which works "
                  << (one ? "it" : "them")
                  << " out anew on opening (formulas, today's date; the first: "
                  << recalculated.first << "); --office stacks the texts the office shows\n";
    }
}

} // namespace gridwork::cli
