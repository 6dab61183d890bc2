#pragma once

// Where the reader pushes what it finds: sheets in document order, each with its non-empty row
// runs in ascending order.

#include "ods/workbook.h"

#include <string_view>

namespace ods {

class SheetOutput {
public:
    virtual ~SheetOutput() = default;
    /// A sheet begins; sheets the reader was not asked for come with no rows.
    virtual void startSheet(std::string_view name) = 0;
    virtual void row(RowRun&& row) = 0;
    virtual void endSheet() = 0;
};

/// Collects everything into a Workbook.
class WorkbookBuilder : public SheetOutput {
public:
    void startSheet(std::string_view name) override {
        workbook_.sheets().emplace_back(std::string(name));
    }
    void row(RowRun&& row) override { workbook_.sheets().back().appendRow(std::move(row)); }
    void endSheet() override {}
    Workbook take() { return std::move(workbook_); }

private:
    Workbook workbook_;
};

} // namespace ods
