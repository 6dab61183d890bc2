#include "cli/csv_output.h"

#include <algorithm>
#include <stdexcept>

namespace gridwork::cli {

namespace {

// Every byte of the output passes here; find_first_of would look each one up with a call of its
// own.
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

} // namespace

std::string csvField(std::string_view text) {
    if (!needsQuotes(text))
        return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 2);
    appendQuoted(quoted, text);
    return quoted;
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
            if (needsQuotes(cells[i]))
                appendQuoted(line_, cells[i]);
            else
                line_ += cells[i];
            // A wide row of long texts goes out field by field instead of growing in memory.
            if (line_.size() >= bufferBytes) {
                flush();
                whole = false;
            }
        }
        if (width_ > cells.size())
            line_.append(width_ - std::max<std::size_t>(cells.size(), 1), ',');
    }
    line_ += "\r\n";
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

} // namespace gridwork::cli
