#include "ods/csv.h"

#include "ods/error.h"
#include "ods/limits.h"
#include "ods/utf8.h"

#include <algorithm>
#include <stdexcept>

namespace ods {

namespace {

// Every byte of a written file passes here; find_first_of would look each one up with a call of
// its own.
bool needsQuotes(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return c == '"' || c == ',' || c == '\r' || c == '\n'; });
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

// Bytes read between two questions whether to stop: some milliseconds of work.
constexpr std::size_t askEvery = 64 * 1024;

} // namespace

void appendCsvField(std::string& line, std::string_view text) {
    if (needsQuotes(text))
        appendQuoted(line, text);
    else
        line += text;
}

std::string csvField(std::string_view text) {
    std::string field;
    appendCsvField(field, text);
    return field;
}

void CsvWriter::writeRow(std::span<const std::string_view> cells, std::size_t times) {
    if (cells.size() > width_)
        throw std::logic_error("a CSV row is wider than the table");
    for (std::size_t time = 0; time < times; ++time) {
        if (appendRow(cells)) {
            // The row sits whole in the buffer: its repeats are copies of it.
            for (; time < times; ++time)
                out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
            return;
        }
        flush();
    }
}

bool CsvWriter::appendRow(std::span<const std::string_view> cells) {
    line_.clear();
    bool whole = true;
    // A row of one empty field would be an empty line, which many readers drop; quoting it keeps
    // the row.
    if (width_ == 1 && (cells.empty() || cells.front().empty())) {
        line_ = "\"\"";
    } else {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i > 0)
                line_ += ',';
            appendCsvField(line_, cells[i]);
            // A wide row of long texts goes out field by field instead of growing in memory.
            if (line_.size() >= bufferBytes) {
                flush();
                whole = false;
            }
        }
        if (width_ > cells.size())
            line_.append(width_ - std::max<std::size_t>(cells.size(), 1), ',');
    }
    line_ += lineEnd_;
    return whole;
}

void CsvWriter::flush() {
    out_.write(line_.data(), static_cast<std::streamsize>(line_.size()));
    line_.clear();
}

void CsvWriter::writeRow(const std::vector<std::string>& cells) {
    const std::vector<std::string_view> views(cells.begin(), cells.end());
    writeRow(views, 1);
}

void readCsv(std::string_view text, const std::function<void(std::vector<std::string>&)>& row,
             const std::function<bool()>& stop) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false; // a quote opens a quoted field only before its first character
    bool recordStarted = false;
    const auto endField = [&] {
        fields.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    std::size_t nextAsk = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (i >= nextAsk) {
            if (stop && stop())
                throw Stopped();
            nextAsk = i + askEvery;
        }
        const char c = text[i];
        if (quoted) {
            if (c != '"') {
                field += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else {
                quoted = false;
            }
            continue;
        }
        recordStarted = true;
        if (c == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r')
                ++i;
            endField();
            row(fields);
            fields.clear();
            recordStarted = false;
        } else {
            field += c;
            fieldStarted = true;
        }
    }
    if (recordStarted || quoted) {
        endField();
        row(fields);
    }
}

std::optional<std::size_t> firstLineNotUtf8(std::string_view text) {
    std::size_t line = 1;
    for (std::size_t i = 0; i < text.size();) {
        const int length = utf8SequenceLength(text.data() + i, text.data() + text.size());
        if (length <= 0)
            return line;
        if (text[i] == '\n')
            ++line;
        i += static_cast<std::size_t>(length);
    }
    return std::nullopt;
}

Workbook readCsvWorkbook(std::string_view text, const std::string& sheetName,
                         const std::function<bool()>& stop) {
    if (const auto line = firstLineNotUtf8(text))
        throw Error("line " + std::to_string(*line) +
                    " is not UTF-8 text (save the file as CSV in UTF-8)");
    Workbook workbook;
    Sheet& sheet = workbook.sheets().emplace_back(sheetName);
    std::int32_t rowIndex = 0;
    readCsv(
        text,
        [&](std::vector<std::string>& fields) {
            if (rowIndex >= kMaxRows)
                throw Error("it has more records than a sheet has rows (" +
                            std::to_string(kMaxRows) + ")");
            if (fields.size() > static_cast<std::size_t>(kMaxColumns))
                throw Error("record " + std::to_string(rowIndex + 1) +
                            " has more fields than a sheet " + "has columns (" +
                            std::to_string(kMaxColumns) + ")");
            RowRun run{rowIndex++, 1, {}};
            for (std::size_t column = 0; column < fields.size(); ++column)
                if (!fields[column].empty())
                    run.cells.push_back(
                        CellRun{static_cast<std::int32_t>(column), 1, std::move(fields[column])});
            if (!run.cells.empty())
                sheet.appendRow(std::move(run));
        },
        stop);
    return workbook;
}

} // namespace ods
