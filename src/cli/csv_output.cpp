#include "cli/csv_output.h"

#include <stdexcept>

namespace gridwork::cli {

std::string csvField(std::string_view text) {
    if (text.find_first_of("\",\r\n") == std::string_view::npos)
        return std::string(text);
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (const char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

void CsvWriter::writeRow(const std::vector<std::string>& cells) {
    if (cells.size() > width_)
        throw std::logic_error("a CSV row is wider than the table");
    // A row of one empty field would be an empty line, which many readers drop; quoting it keeps
    // the row.
    if (width_ == 1 && (cells.empty() || cells.front().empty())) {
        out_ << "\"\"\r\n";
        return;
    }
    for (std::size_t i = 0; i < width_; ++i) {
        if (i > 0)
            out_ << ',';
        if (i < cells.size()) {
            const std::string& text = cells[i];
            if (text.find_first_of("\",\r\n") == std::string::npos)
                out_ << text;
            else
                out_ << csvField(text);
        }
    }
    out_ << "\r\n";
}

} // namespace gridwork::cli
