#pragma once

// Where the reader pushes what it finds: sheets in document order, each with its non-empty row
// runs in ascending order.

#include "ods/workbook.h"

#include <algorithm>
#include <string_view>

namespace ods {

class SheetOutput {
public:
    virtual ~SheetOutput() = default;
    /// A sheet begins; sheets the reader was not asked for come with no rows.
    virtual void startSheet(std::string_view name) = 0;
    virtual void row(RowRun&& row) = 0;
    virtual void endSheet() = 0;
    /// A value of the current sheet that cells of later rows point at (asked for with values
    /// kept); gives its CellRun::value. Outputs that need only texts keep nothing.
    virtual std::uint32_t value(CellValueData&& /*value*/) { return 0; }
    /// A format of the current sheet's values; gives its CellValueData::format.
    virtual std::uint32_t format(ValueFormat&& /*format*/) { return 0; }
    /// Cells of the current sheet whose texts the office works out anew (see
    /// Sheet::recalculated); in row order.
    virtual void recalculated(const CellArea& /*cells*/) {}
    /// The data styles of the document's values, once read.
    virtual void dataStyles(std::map<std::string, std::string>&& /*styles*/) {}
    /// The document's null date (see Workbook::nullDate), once read.
    virtual void nullDate(long long /*days*/) {}
};

/// Collects everything into a Workbook.
class WorkbookBuilder : public SheetOutput {
public:
    void startSheet(std::string_view name) override {
        workbook_.sheets().emplace_back(std::string(name));
    }
    void row(RowRun&& row) override { workbook_.sheets().back().appendRow(std::move(row)); }
    void endSheet() override {}
    std::uint32_t value(CellValueData&& value) override {
        auto& values = workbook_.sheets().back().values();
        values.push_back(std::move(value));
        return static_cast<std::uint32_t>(values.size());
    }
    std::uint32_t format(ValueFormat&& format) override {
        auto& formats = workbook_.sheets().back().formats();
        const auto known = std::find(formats.begin(), formats.end(), format);
        if (known != formats.end())
            return static_cast<std::uint32_t>(known - formats.begin());
        formats.push_back(std::move(format));
        return static_cast<std::uint32_t>(formats.size() - 1);
    }
    void recalculated(const CellArea& cells) override {
        // Side by side in a row they are one area: a row of formulas costs one entry.
        auto& areas = workbook_.sheets().back().recalculated();
        if (!areas.empty() && areas.back().row == cells.row && areas.back().rows == cells.rows &&
            areas.back().column + areas.back().columns == cells.column) {
            areas.back().columns += cells.columns;
            return;
        }
        areas.push_back(cells);
    }
    void dataStyles(std::map<std::string, std::string>&& styles) override {
        workbook_.dataStyles() = std::move(styles);
    }
    void nullDate(long long days) override { workbook_.setNullDate(days); }
    Workbook take() { return std::move(workbook_); }

private:
    Workbook workbook_;
};

} // namespace ods
