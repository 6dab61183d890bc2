#include "office/csv_rows.h"

namespace gridwork {

CellRows parseCsvRows(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    CellRows rows;
    std::vector<std::string> row;
    std::string field;
    bool quoted = false;
    bool rowStarted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
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
        rowStarted = true;
        if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            row.push_back(std::move(field));
            field.clear();
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r') {
                ++i;
            }
            row.push_back(std::move(field));
            field.clear();
            rows.push_back(std::move(row));
            row.clear();
            rowStarted = false;
        } else {
            field += c;
        }
    }
    if (rowStarted || quoted) {
        row.push_back(std::move(field));
        rows.push_back(std::move(row));
    }
    return rows;
}

CellRows cutRectangle(const CellRows& rows, std::int32_t firstColumn, std::int32_t firstRow,
                      std::int32_t lastColumn, std::int32_t lastRow) {
    CellRows result;
    if (lastRow < firstRow || lastColumn < firstColumn) {
        return result;
    }
    const auto width = static_cast<std::size_t>(lastColumn - firstColumn) + 1;
    result.reserve(static_cast<std::size_t>(lastRow - firstRow) + 1);
    for (std::int64_t r = firstRow; r <= lastRow; ++r) {
        auto& out = result.emplace_back(width);
        if (r < 0 || static_cast<std::size_t>(r) >= rows.size()) {
            continue;
        }
        const auto& in = rows[static_cast<std::size_t>(r)];
        for (std::size_t c = 0; c < width; ++c) {
            const auto column = static_cast<std::size_t>(firstColumn) + c;
            if (firstColumn >= 0 && column < in.size()) {
                out[c] = in[column];
            }
        }
    }
    return result;
}

} // namespace gridwork
