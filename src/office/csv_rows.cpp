#include "office/csv_rows.h"

#include "ods/csv.h"

namespace gridwork {

CellRows parseCsvRows(std::string_view text) {
    CellRows rows;
    ods::readCsv(text,
                 [&rows](std::vector<std::string>& fields) { rows.push_back(std::move(fields)); });
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
