#include "cli/arguments.h"

#include <algorithm>
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
    if (path == "-")
        throw UsageError("tables are read from files; \"-\" (standard input) is not supported");
    TableSource table;
    table.path = std::string(path);
    parsed.tables.push_back(std::move(table));
}

} // namespace

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
    parsed.outputKind = outputKindOf(parsed.output);
    return parsed;
}

std::string usageText() {
    return "usage: gridstack [--office] [--force] [--quiet] -o OUTPUT\n"
           "                 FILE [--sheet S] [--rows A:B] [--columns C:D] [FILE ...]\n"
           "Try 'gridstack --help' for more information.\n";
}

std::string helpText() {
    return R"(usage: gridstack [--office] [--force] [--quiet] -o OUTPUT
                 FILE [--sheet S] [--rows A:B] [--columns C:D] [FILE ...]

Stacks spreadsheet tables block under block, exactly as Gridwork Stacker's "Start Joining"
lays them out: each table's range starts in column A, the next table's first row follows
right below the previous table's last row, and every cell is copied as the text it shows.
Rows are not matched, sorted or de-duplicated; the stack must fit one sheet
(1,048,576 rows).

Each FILE is an OpenDocument spreadsheet (.ods). Input files are never written.

Options for the FILE they follow:
  --sheet S        the sheet: a number counted from 1, or a sheet's name (default 1);
                   a name made only of digits is taken as a number
  --rows A:B       rows A to B, counted from 1, both included
  --columns C:D    columns C to D, as numbers (2:4) or letters (B:D)
                   Without --rows or --columns a table's range is its sheet's used area:
                   from row 1 and column A to the last row and column that hold a
                   non-empty cell. An empty sheet adds nothing.

Other options (anywhere on the line):
  -o OUTPUT        the new file: OUTPUT ending in .ods gives a spreadsheet, .csv gives
                   UTF-8 CSV (RFC 4180: fields with quotes, commas or line breaks are
                   quoted, lines end with CR LF, shorter rows end in empty fields);
                   - writes the CSV to standard output
  --force          replace OUTPUT if it exists (unless it is one of the input FILEs),
                   keeping its permissions; when OUTPUT is a symbolic link, the file it
                   points to is replaced and the link stays, as editors do
  --office         do the work through the installed LibreOffice or OpenOffice instead
                   of the built-in engine, by the same path as the window; headless when
                   GRIDWORK_OFFICE_HEADLESS=1 (runs gridstack-office, installed beside
                   gridstack, which carries the office link)
  --quiet          no progress bar (shown on a terminal for work that takes over a second)
  -h, --help       this page
  --version        the version
  --               everything after it is a FILE

OUTPUT is written to a temporary file beside it (on Linux one without a name) and put into
place only when complete, so an interrupted, failed or killed run leaves no partial OUTPUT.

Limits: a stack of more than 50,000,000 cells, or whose cells show more than 4 GB of text
in all, is refused before anything is written; so is a FILE with a cell of more than 65,535
characters, the most the office takes into a cell.

Exit status: 0 done; 1 an error (one line on standard error names the file and what is
wrong: no such file, not a spreadsheet, no such sheet, range outside the sheet or From
greater than To, OUTPUT exists, cannot write); 2 a usage error; 128 + the signal's
number when Ctrl-C or a signal stopped the run.

Examples:
  gridstack -o all.ods january.ods february.ods
  gridstack -o - orders.ods --sheet Totals --rows 2:100 --columns B:F old.ods --sheet 2
)";
}

} // namespace gridwork::cli
