#pragma once

// CSV as RFC 4180 has it, for every part of the program that reads or writes it: fields
// separated by commas, a field quoted when it holds a quote, a comma, a CR or an LF, and quotes
// inside it doubled. UTF-8.

#include "ods/workbook.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ods {

/// Appends one field as it stands in a file, quoted where needed.
void appendCsvField(std::string& line, std::string_view text);
/// One field as it stands in a file, quoted where needed.
std::string csvField(std::string_view text);

/// Writes rows of cell texts as CSV, every row padded with empty fields to the same width, as
/// RFC 4180 expects of a file.
class CsvWriter {
public:
    CsvWriter(std::ostream& out, std::size_t width, std::string_view lineEnd = "\r\n")
        : out_(out), width_(width), lineEnd_(lineEnd) {}

    /// Writes one row `times` times (a run of equal rows); cells beyond the width are an error
    /// of the caller and are refused.
    void writeRow(std::span<const std::string_view> cells, std::size_t times);
    void writeRow(const std::vector<std::string>& cells);

private:
    /// Past this a row's text is written out before the row ends, so that a row of long texts
    /// across thousands of columns never waits in memory whole.
    static constexpr std::size_t bufferBytes = 1u << 16;

    /// Puts the row into line_, writing out what passes bufferBytes; true when it holds the
    /// whole row.
    bool appendRow(std::span<const std::string_view> cells);
    void flush();

    std::ostream& out_;
    std::size_t width_;
    std::string_view lineEnd_;
    std::string line_; ///< kept between rows, so a row costs no allocation
};

/// Calls `row` with the fields of every record of a CSV text: a byte-order mark at the start is
/// skipped, records end with LF or CR LF (a lone CR is text), a quote opens a quoted field only
/// at a field's start and a quoted field may hold commas, line breaks and doubled quotes. A
/// blank line is a record of one empty field; an unclosed quote runs to the end of the text.
/// `stop` is asked every 64 KB of the text; true stops the read with Stopped.
void readCsv(std::string_view text, const std::function<void(std::vector<std::string>&)>& row,
             const std::function<bool()>& stop = {});

/// The 1-based line of the first bytes that are not UTF-8, if any.
std::optional<std::size_t> firstLineNotUtf8(std::string_view text);

/// A CSV text as a workbook of one sheet named sheetName, every field the text it is. Throws
/// Error ("line N is not UTF-8 text ...") for a text that is not UTF-8, or one too large for a
/// sheet. `stop` is asked as readCsv asks it.
Workbook readCsvWorkbook(std::string_view text, const std::string& sheetName,
                         const std::function<bool()>& stop = {});

} // namespace ods
