#include "cli/arguments.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace gridwork::cli {

namespace {

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), text.end() - suffix.size(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

constexpr std::array<std::string_view, 6> officeOnlyExtensions{".xlsx", ".xlsm", ".xlsb",
                                                               ".xls",  ".xltx", ".xlt"};

SheetChoice parseSheet(std::string_view text) {
    if (text.empty())
        throw UsageError("--sheet needs a sheet number or name");
    if (std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return saturatingNumber(text);
    return std::string(text);
}

/// Walks the arguments, splitting "--name=value" and handing out option values.
class Reader {
public:
    explicit Reader(std::span<const std::string_view> args) : args_(args) {}

    bool done() const { return index_ >= args_.size(); }

    /// The next argument; for "--name=value" only "--name", keeping the value for value().
    std::string_view next() {
        std::string_view arg = args_[index_++];
        pending_.reset();
        if (arg.starts_with("--")) {
            if (const auto eq = arg.find('='); eq != std::string_view::npos) {
                pending_ = arg.substr(eq + 1);
                arg = arg.substr(0, eq);
            }
        } else if (arg.starts_with("-o") && arg.size() > 2) {
            pending_ = arg.substr(2);
            arg = arg.substr(0, 2);
        }
        return arg;
    }

    std::string_view value(std::string_view option) {
        if (pending_) {
            const std::string_view v = *pending_;
            pending_.reset();
            return v;
        }
        if (done())
            throw UsageError(std::string(option) + " needs a value");
        return args_[index_++];
    }

    /// The value of "--name=value", for options whose value may be left out.
    std::optional<std::string_view> optionalValue() {
        const std::optional<std::string_view> v = pending_;
        pending_.reset();
        return v;
    }

    void refuseValue(std::string_view option) const {
        if (pending_)
            throw UsageError(std::string(option) + " takes no value");
    }

private:
    std::span<const std::string_view> args_;
    std::size_t index_ = 0;
    std::optional<std::string_view> pending_;
};

void setOnce(bool& flag, std::string_view option) {
    if (flag)
        throw UsageError(std::string(option) + " is given twice");
    flag = true;
}

TableSource& currentTable(Arguments& parsed, std::string_view option) {
    if (parsed.tables.empty())
        throw UsageError(std::string(option) + " must follow the FILE it applies to");
    return parsed.tables.back();
}

void addInput(Arguments& parsed, std::string_view path) {
    if (path.empty())
        throw UsageError("an empty FILE name");
    TableSource table;
    table.path = std::string(path);
    parsed.tables.push_back(std::move(table));
}

std::int32_t parseHeaderRows(std::optional<std::string_view> text) {
    if (!text)
        return 1;
    const bool digits = !text->empty() && std::all_of(text->begin(), text->end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
    const std::int64_t rows = digits ? saturatingNumber(*text) : 0;
    if (rows < 1 || rows > maxSheetRows)
        throw UsageError("--header=" + std::string(*text) +
                         ": the number of header rows is a number from 1 to " +
                         std::to_string(maxSheetRows));
    return static_cast<std::int32_t>(rows);
}

} // namespace

bool isCsvInput(std::string_view path) {
    return path == "-" || endsWithNoCase(path, ".csv");
}

bool isOfficeOnlyInput(std::string_view path) {
    return std::any_of(officeOnlyExtensions.begin(), officeOnlyExtensions.end(),
                       [&](std::string_view extension) { return endsWithNoCase(path, extension); });
}

OutputKind outputKindOf(std::string_view output) {
    if (output == "-")
        return OutputKind::StandardOutput;
    if (endsWithNoCase(output, ".ods") && output.size() > 4)
        return OutputKind::Ods;
    if (endsWithNoCase(output, ".csv") && output.size() > 4)
        return OutputKind::Csv;
    throw UsageError("OUTPUT must end in .ods or .csv, or be - for CSV on standard output: \"" +
                     std::string(output) + "\"");
}

Arguments parseArguments(std::span<const std::string_view> args) {
    Arguments parsed;
    bool haveOutput = false;
    bool onlyFiles = false;
    Reader reader(args);
    while (!reader.done()) {
        const std::string_view arg = reader.next();
        if (onlyFiles || arg == "-" || !arg.starts_with("-")) {
            addInput(parsed, arg);
        } else if (arg == "--") {
            onlyFiles = true;
        } else if (arg == "-h" || arg == "--help") {
            parsed.help = true;
        } else if (arg == "--version") {
            parsed.version = true;
        } else if (arg == "--office") {
            reader.refuseValue(arg);
            setOnce(parsed.office, arg);
        } else if (arg == "--force") {
            reader.refuseValue(arg);
            setOnce(parsed.force, arg);
        } else if (arg == "--quiet") {
            reader.refuseValue(arg);
            setOnce(parsed.quiet, arg);
        } else if (arg == "--header") {
            if (parsed.headerRows > 0)
                throw UsageError("--header is given twice");
            parsed.headerRows = parseHeaderRows(reader.optionalValue());
        } else if (arg == "--match-columns") {
            reader.refuseValue(arg);
            setOnce(parsed.matchColumns, arg);
        } else if (arg == "--source") {
            if (parsed.source)
                throw UsageError("--source is given twice");
            parsed.source = std::string(reader.optionalValue().value_or("source"));
        } else if (arg == "--values") {
            reader.refuseValue(arg);
            setOnce(parsed.values, arg);
        } else if (arg == "--all-sheets") {
            reader.refuseValue(arg);
            TableSource& table = currentTable(parsed, arg);
            if (table.allSheets)
                throw UsageError("--all-sheets is given twice for " + table.path);
            table.allSheets = true;
        } else if (arg == "-o" || arg == "--output") {
            setOnce(haveOutput, "-o");
            parsed.output = std::string(reader.value(arg));
            if (parsed.output.empty())
                throw UsageError("-o needs a file name");
        } else if (arg == "--sheet") {
            TableSource& table = currentTable(parsed, arg);
            const SheetChoice sheet = parseSheet(reader.value(arg));
            if (table.sheet)
                throw UsageError("--sheet is given twice for " + table.path);
            table.sheet = sheet;
        } else if (arg == "--rows" || arg == "--columns") {
            TableSource& table = currentTable(parsed, arg);
            const Axis axis = arg == "--rows" ? Axis::Rows : Axis::Columns;
            auto& span = axis == Axis::Rows ? table.rows : table.columns;
            if (span)
                throw UsageError(std::string(arg) + " is given twice for " + table.path);
            try {
                span = parseSpan(reader.value(arg), axis);
            } catch (const RangeSyntaxError& e) {
                throw UsageError(std::string(arg) + ": " + e.what());
            }
        } else {
            throw UsageError("unknown option " + std::string(arg));
        }
    }
    if (parsed.help || parsed.version)
        return parsed;
    if (!haveOutput)
        throw UsageError("no OUTPUT given (-o OUTPUT)");
    if (parsed.tables.empty())
        throw UsageError("no FILE given");
    for (const TableSource& table : parsed.tables)
        if (table.allSheets && table.sheet)
            throw UsageError("--sheet and --all-sheets are both given for " + table.path);
    parsed.outputKind = outputKindOf(parsed.output);
    if (parsed.values && parsed.outputKind != OutputKind::Ods)
        throw UsageError("--values is for an .ods OUTPUT: CSV holds texts only");
    if (parsed.values && parsed.office)
        throw UsageError("--values takes the values from .ods and .fods files with the built-in "
                         "engine, not with --office");
    return parsed;
}

std::string usageText() {
    return "usage: gridstack [--office] [--force] [--quiet] -o OUTPUT\n"
           "                 [--header[=N]] [--match-columns] [--source[=NAME]] [--values]\n"
           "                 FILE [--sheet S | --all-sheets] [--rows A:B] [--columns C:D] "
           "[FILE ...]\n"
           "Try 'gridstack --help' for more information.\n";
}

std::string helpText() {
    return R"(usage: gridstack [--office] [--force] [--quiet] -o OUTPUT
                 [--header[=N]] [--match-columns] [--source[=NAME]] [--values]
                 FILE [--sheet S | --all-sheets] [--rows A:B] [--columns C:D] [FILE ...]

Stacks spreadsheet tables block under block, exactly as Gridwork Stacker's "Start Joining"
lays them out: each table's range starts in column A, the next table's first row follows
right below the previous table's last row, and every cell is copied as the text it shows.
Rows are not matched, sorted or de-duplicated; the stack must fit one sheet
(1,048,576 rows).

Each FILE is an OpenDocument spreadsheet (.ods), its flat XML form (.fods) or a CSV file
(.csv: UTF-8 with or without a byte-order mark, RFC 4180 quoting, lines ending in LF or
CR LF; every field is taken as the text it is); - reads CSV from standard input (once).
Other formats (.xlsx, .xls) are read with --office. Input files are never written.

Options for the FILE they follow:
  --sheet S        the sheet: a number counted from 1, or a sheet's name (default 1);
                   a name made only of digits is taken as a number (not for CSV)
  --all-sheets     every sheet of the file, in the file's order, each a table with the
                   FILE's --rows and --columns; empty sheets add nothing
  --rows A:B       rows A to B, counted from 1, both included
  --columns C:D    columns C to D, as numbers (2:4) or letters (B:D)
                   Without --rows or --columns a table's range is its sheet's used area:
                   from row 1 and column A to the last row and column that hold a
                   non-empty cell. An empty sheet adds nothing.

Other options (anywhere on the line):
  --header[=N]     the first N rows (default 1) of the first table head the stack; the
                   first N rows of every later table are dropped
  --match-columns  with --header: columns are placed by their header text instead of by
                   position. The stack has the first table's columns, then each header not
                   seen before, in the order met; a table without a column leaves it empty.
                   Texts are compared after trimming blanks at both ends (with N > 1, the
                   N texts of a column together); a name that occurs twice in a table is
                   matched by its occurrence; a column with an empty header keeps its place.
                   Standard error tells, one line per table, the columns added or left
                   empty (unless --quiet)
  --values         for an .ods OUTPUT: numbers, percentages, currencies, dates, times and
                   booleans stay values with their number formats (the office shows the
                   same texts and can compute with them); formulas give their results;
                   texts stay texts (so does a date, time, percentage or boolean shown
                   without a number format). Without it every cell is the text it shows
  --source[=NAME]  a first column that says where each row came from: the FILE as given,
                   followed by ":" and the sheet's name where more than one sheet of the
                   file is stacked or the sheet is not the file's first; with --header
                   its header is NAME (default "source")
  -o OUTPUT        the new file: OUTPUT ending in .ods gives a spreadsheet, .csv gives
                   UTF-8 CSV (RFC 4180: fields with quotes, commas or line breaks are
                   quoted, lines end with CR LF, shorter rows end in empty fields);
                   - writes the CSV to standard output
  --force          replace OUTPUT if it exists (unless it is one of the input FILEs),
                   keeping its permissions; when OUTPUT is a symbolic link, the file it
                   points to is replaced and the link stays, as editors do
  --office         read the tables through the installed LibreOffice or OpenOffice
                   instead of the built-in engine (CSV is read as without --office);
                   the built-in engine lays them out and writes OUTPUT. Headless when
                   GRIDWORK_OFFICE_HEADLESS=1 (runs gridstack-office, installed beside
                   gridstack, which carries the office link). An office that gridstack
                   starts keeps its settings in ~/.cache/gridwork-stacker/ (or under
                   XDG_CACHE_HOME), made on the first run, so later runs start quickly;
                   it ends with gridstack however gridstack ends. The office has 60
                   seconds (GRIDWORK_OFFICE_TIMEOUT=N: N seconds) to open each FILE and
                   for each read of its cells; past that the FILE is not read and an
                   office that gridstack started is ended
  --quiet          no progress bar (shown on a terminal for work that takes over a second)
  -h, --help       this page
  --version        the version
  --               everything after it is a FILE

Formula cells: the built-in engine shows a formula's result as the file keeps it. The
office works some results out anew when it opens a file: those of formulas with the clock
or a random number (NOW, TODAY, RAND), those the file keeps no value for, and, from files
of writers other than LibreOffice 5 or later, those of formulas without a number format of
their own that refer to cells or call functions (it shows them in the format it infers from
the formula); a date field in a text shows the day it is opened. Where the stack holds such
cells, one line on standard error (also with --quiet) tells how many and names the first
(file, sheet, cell); --office then stacks the texts the office shows.

OUTPUT is written to a temporary file beside it (on Linux one without a name) and put into
place only when complete, so an interrupted, failed or killed run leaves no partial OUTPUT.

Limits: a stack of more than 50,000,000 cells, or whose cells show more than 4 GB of text
in all, is refused before anything is written; so is a FILE with a cell of more than
33,554,432 characters (2^25), far beyond any cell a person or program writes.

Exit status: 0 done; 1 an error (one line on standard error names the file and what is
wrong: no such file, not a spreadsheet, no such sheet, range outside the sheet or From
greater than To, OUTPUT exists, cannot write, a CSV line that is not UTF-8, --sheet for
a CSV input, - given twice, --match-columns without --header); 2 a usage error;
128 + the signal's number when Ctrl-C or a signal stopped the run.

Examples:
  gridstack -o all.ods january.ods february.ods
  gridstack -o - orders.ods --sheet Totals --rows 2:100 --columns B:F old.ods --sheet 2
  gridstack --header --match-columns --source -o all.csv 2025.ods --all-sheets new.csv
)";
}

} // namespace gridwork::cli
