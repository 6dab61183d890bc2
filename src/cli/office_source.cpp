#include "cli/office_source.h"

#include "join/range_copy.h"

#include <algorithm>
#include <filesystem>
#include <mutex>

namespace gridwork::cli {

namespace {

/// An office document that is closed, unsaved, when this object goes, however the read ends.
class ClosingDocument {
public:
    explicit ClosingDocument(std::unique_ptr<Document> document) : document_(std::move(document)) {}
    ~ClosingDocument() {
        if (!document_)
            return;
        try {
            document_->close();
        } catch (...) {
            // Already failing or already gone; the run's own error is the one worth reading.
        }
    }
    ClosingDocument(const ClosingDocument&) = delete;
    ClosingDocument& operator=(const ClosingDocument&) = delete;

    Document* operator->() const { return document_.get(); }
    /// Closes it now; throws what the office throws.
    void close() {
        const std::unique_ptr<Document> document = std::move(document_);
        if (document)
            document->close();
    }

private:
    std::unique_ptr<Document> document_;
};

/// The office's texts of a sheet's range, as an engine sheet holding them at their own places.
ods::Sheet copiedSheet(Sheet& sheet, const TableSource& table) {
    ods::Sheet copy(sheet.name());
    const std::optional<CellRange> range = tableRange(table, sheet.usedArea());
    if (!range)
        return copy;
    const std::int32_t width = range->lastColumn - range->firstColumn + 1;
    // The office hands over every cell of the range, empty or not: a range that alone passes
    // the limit of a stack is refused before the first of them is asked for.
    checkStackCells(table.path, (std::int64_t{range->lastRow} - range->firstRow + 1) * width);
    const auto rowsPerBlock =
        static_cast<std::int32_t>(std::max<std::int64_t>(1, CellsPerBlock / width));
    for (std::int32_t first = range->firstRow - 1; first < range->lastRow;) {
        const std::int32_t last = std::min(range->lastRow, first + rowsPerBlock) - 1;
        const CellRows block =
            sheet.rangeTexts(range->firstColumn - 1, first, range->lastColumn - 1, last);
        for (std::size_t r = 0; r < block.size(); ++r) {
            ods::RowRun run{first + static_cast<std::int32_t>(r), 1, {}};
            for (std::size_t c = 0; c < block[r].size(); ++c)
                if (!block[r][c].empty())
                    run.cells.push_back(ods::CellRun{
                        range->firstColumn - 1 + static_cast<std::int32_t>(c), 1, block[r][c]});
            if (!run.cells.empty())
                copy.appendRow(std::move(run));
        }
        first = last + 1;
    }
    return copy;
}

ReadSource readThroughOffice(Desktop& desktop, const TableSource& table) {
    const std::string absolute = std::filesystem::absolute(table.path).lexically_normal().string();
    std::unique_ptr<Document> opened;
    try {
        opened = desktop.openDocument(fileUrl(absolute));
    } catch (const OfficeTimeout& e) {
        throw StackError(table.path + ": " + e.what());
    } catch (const OfficeError& e) {
        throw unreadableTable(table.path, absolute, e.what());
    }
    ClosingDocument document(std::move(opened));
    try {
        const std::int32_t count = document->sheetCount();
        const auto sheetAt = [&](std::int32_t i) {
            return document->sheetByIndex(static_cast<std::int16_t>(i));
        };
        ReadSource read;
        if (table.allSheets) {
            for (std::int32_t i = 0; i < count; ++i)
                read.sheets.push_back(static_cast<std::size_t>(i));
        } else {
            read.sheets.push_back(static_cast<std::size_t>(chosenSheetIndex(
                table, count, [&](std::int32_t i) { return sheetAt(i)->name(); })));
        }
        auto workbook = std::make_shared<ods::Workbook>();
        for (std::int32_t i = 0; i < count; ++i) {
            const bool wanted = std::find(read.sheets.begin(), read.sheets.end(),
                                          static_cast<std::size_t>(i)) != read.sheets.end();
            const std::unique_ptr<Sheet> sheet = sheetAt(i);
            workbook->sheets().push_back(wanted ? copiedSheet(*sheet, table)
                                                : ods::Sheet(sheet->name()));
        }
        document.close();
        read.workbook = std::move(workbook);
        return read;
    } catch (const OfficeError& e) {
        throw StackError(table.path + ": " + e.what());
    }
}

} // namespace

SourceReader officeSourceReader(CalcAutomation& office, Checkpoint checkpoint) {
    // One connection for the run, used by one reader at a time.
    struct Connection {
        std::mutex mutex;
        std::unique_ptr<Desktop> desktop;
    };
    auto connection = std::make_shared<Connection>();
    return [&office, connection, checkpoint = std::move(checkpoint)](const TableSource& table) {
        if (isCsvInput(table.path))
            return readSourceFile(table, false, checkpoint);
        const std::lock_guard lock(connection->mutex);
        if (!connection->desktop) {
            try {
                connection->desktop = office.connect();
            } catch (const OfficeError& e) {
                throw StackError(std::string("cannot reach the office: ") + e.what());
            }
        }
        return readThroughOffice(*connection->desktop, table);
    };
}

} // namespace gridwork::cli
