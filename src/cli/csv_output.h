#pragma once

// CSV as RFC 4180 writes it: fields separated by commas, lines ended by CR LF, a field quoted
// when it holds a quote, a comma, a CR or an LF, and quotes inside it doubled. UTF-8, no BOM.

#include <cstddef>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace gridwork::cli {

/// Writes rows of cell texts as CSV, every row padded with empty fields to the same width, as
/// RFC 4180 expects of a file.
class CsvWriter {
public:
    CsvWriter(std::ostream& out, std::size_t width) : out_(out), width_(width) {}

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
    std::string line_; ///< kept between rows, so a row costs no allocation
};

/// One field as it stands in the file, quoted where needed.
std::string csvField(std::string_view text);

} // namespace gridwork::cli
