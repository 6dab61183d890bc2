#include "office/uno_document.h"

#include "office/csv_rows.h"
#include "office/office_messages.h"
#include "office/uno_support.h"

#include <algorithm>
#include <cerrno>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/container/XNamed.hpp>
#include <com/sun/star/frame/XFrame.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/lang/IndexOutOfBoundsException.hpp>
#include <com/sun/star/sheet/CellFlags.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangesQuery.hpp>
#include <com/sun/star/sheet/XSheetCellRanges.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>

namespace gridwork::uno {
namespace {

using css::uno::Any;
using css::uno::Reference;
using css::uno::Sequence;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

// The office's CSV filter: ',' separated, '"' quoted, UTF-8 (76), texts as shown, no formulas,
// spaces kept. A sheet number (1-based) may follow as the twelfth token.
constexpr const char* csvFilter = "Text - txt - csv (StarCalc)";
constexpr const char* csvOptions = "44,34,76,1,,0,false,true,true,false,false";

// Cells per setDataArray call: large blocks are fast, but one huge call holds the office's
// solar mutex (and its window) for long.
constexpr std::size_t cellsPerBlock = 20'000;

// Reading a block cell by cell costs about 0.3 ms a cell; exporting the sheet costs about
// 10 ms plus 1 us for every cell of its used area. Blocks up to 64 cells, or up to one cell per
// 256 cells of the used area, are read cell by cell.
constexpr std::int64_t cellsReadOneByOne = 64;
constexpr std::int64_t exportCellsPerCellRead = 256;

// A private folder for the files the office writes for us; removed with everything in it.
class TempFolder {
public:
    TempFolder() {
        std::error_code error;
        const auto base = std::filesystem::temp_directory_path(error);
        if (error) {
            throw OfficeError("No temporary folder for the office's sheet export: " +
                              error.message() + " (check TMPDIR)");
        }
        std::string pattern = (base / "gridwork-office-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw OfficeError("Cannot create a temporary folder \"" + pattern +
                              "\": " + std::strerror(errno));
        }
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

void storeTo(const Reference<css::lang::XComponent>& model, const std::filesystem::path& path,
             const char* filter, const std::string& options) {
    Reference<css::frame::XStorable> storable(model, UNO_QUERY_THROW);
    std::vector<std::pair<const char*, Any>> values{{"FilterName", Any(toOffice(filter))},
                                                    {"Overwrite", Any(true)}};
    if (!options.empty()) {
        values.emplace_back("FilterOptions", Any(toOffice(options)));
    }
    storable->storeToURL(toOffice(fileUrl(path.string())), properties(values));
}

// The office names a one-sheet export "<name>-<sheet name>.csv": take the one file it wrote.
std::filesystem::path exportedFile(const std::filesystem::path& folder) {
    std::error_code error;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        if (it->is_regular_file(error)) {
            return it->path();
        }
    }
    throw OfficeError("The office wrote no sheet export into \"" + folder.string() + "\"");
}

// The sheet at `sheetNumber` (1-based) as CSV with the texts as shown, in a private folder.
std::filesystem::path exportSheet(const Reference<css::lang::XComponent>& model, int sheetNumber,
                                  const TempFolder& folder) {
    storeTo(model, folder.path() / "sheet.csv", csvFilter,
            std::string(csvOptions) + "," + std::to_string(sheetNumber));
    return exportedFile(folder.path());
}

std::string readWholeFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string describeUrl(const std::string& url) {
    return url.starts_with("file:") ? pathFromFileUrl(url) : url;
}

// The office names only the exception type for a position outside the sheet.
[[noreturn]] void throwOutsideSheet(std::int64_t column, std::int64_t row) {
    throw OfficeError("The cell in column " + std::to_string(column + 1) + ", row " +
                      std::to_string(row + 1) + " (counted from 1) lies outside the sheet");
}

// Any call fails once the connection is gone; a lost office must not pass for a bad file.
void failWhenConnectionLost(const Reference<css::frame::XComponentLoader>& loader) {
    const Reference<css::frame::XFrame> frame(loader, UNO_QUERY);
    if (frame.is()) {
        frame->getName();
    }
}

std::string inSeconds(std::chrono::milliseconds limit) {
    if (limit.count() % 1000 == 0)
        return std::to_string(limit.count() / 1000) +
               (limit.count() == 1000 ? " second" : " seconds");
    char text[32];
    std::snprintf(text, sizeof text, "%.1f seconds", static_cast<double>(limit.count()) / 1000);
    return text;
}

} // namespace

void DocumentHandling::failWhenEnded(const char* doing) const {
    if (!watch)
        return;
    switch (watch->closed()) {
    case ConnectionWatch::Closed::limitPassed:
        throw OfficeTimeout(std::string("the office did not ") + doing + " within " +
                            inSeconds(callLimit));
    case ConnectionWatch::Closed::stopAsked:
        throw OfficeError("Stopped while waiting for the office");
    case ConnectionWatch::Closed::no:
        return;
    }
}

std::unique_ptr<Document> UnoDesktop::openDocument(const std::string& url) {
    return load(url, describeUrl(url));
}

std::unique_ptr<Document> UnoDesktop::newDocument() {
    return load("private:factory/scalc", "A new spreadsheet");
}

std::unique_ptr<Document> UnoDesktop::load(const std::string& url, const std::string& name) {
    const bool isFile = url.starts_with("file:");
    return handling_.call(
        isFile ? "open the file" : "open a new spreadsheet", [&]() -> std::unique_ptr<Document> {
            // A hidden document is never edited, and read-only it needs no lock: several runs may
            // read one file at once, also a file open in someone's office.
            const auto arguments =
                !handling_.hidden ? Sequence<css::beans::PropertyValue>()
                : isFile          ? properties({{"Hidden", Any(true)}, {"ReadOnly", Any(true)}})
                                  : properties({{"Hidden", Any(true)}});
            const Reference<css::lang::XComponent> component =
                loader_->loadComponentFromURL(toOffice(url), toOffice("_blank"), 0, arguments);
            const std::string failure =
                "\"" + name + "\" is not a spreadsheet document the office can open";
            if (!component.is()) {
                failWhenConnectionLost(loader_);
                throw OfficeError(isFile ? noDocumentReason(name, !handling_.hidden) : failure);
            }
            if (!Reference<css::sheet::XSpreadsheetDocument>(component, UNO_QUERY).is()) {
                // Opened by another module of the office: close that window again, then fail.
                try {
                    const Reference<css::util::XCloseable> closeable(component, UNO_QUERY);
                    if (closeable.is()) {
                        closeable->close(true);
                    } else {
                        component->dispose();
                    }
                } catch (const css::uno::Exception&) {
                    // The document is useless to us either way; the failure to report is the type.
                }
                throw OfficeError(failure);
            }
            return std::make_unique<UnoDocument>(component, handling_);
        });
}

void UnoDocument::failWhenClosed() const {
    // The office's own failures on a closed document only name an interface it lacks now.
    if (closed_) {
        throw OfficeError("The document has been closed");
    }
}

std::unique_ptr<Sheet> UnoDocument::sheetByIndex(std::int16_t index) {
    failWhenClosed();
    return handling_.call("finish reading the file", [&] {
        const Reference<css::sheet::XSpreadsheetDocument> document(model_, UNO_QUERY_THROW);
        const Reference<css::container::XIndexAccess> sheets(document->getSheets(),
                                                             UNO_QUERY_THROW);
        if (const sal_Int32 count = sheets->getCount(); index < 0 || index >= count) {
            throw OfficeError("Sheet " + std::to_string(index + 1) +
                              " does not exist: the document has " + std::to_string(count) +
                              (count == 1 ? " sheet" : " sheets") + ", counted from 1");
        }
        const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByIndex(index), UNO_QUERY_THROW);
        return std::make_unique<UnoSheet>(model_, sheet, handling_);
    });
}

std::unique_ptr<Sheet> UnoDocument::sheetByName(const std::string& name) {
    failWhenClosed();
    return handling_.call("finish reading the file", [&] {
        const Reference<css::sheet::XSpreadsheetDocument> document(model_, UNO_QUERY_THROW);
        const Reference<css::container::XNameAccess> sheets(document->getSheets(), UNO_QUERY_THROW);
        if (!sheets->hasByName(toOffice(name))) {
            throw OfficeError("The document has no sheet named \"" + name + "\"");
        }
        const Reference<css::sheet::XSpreadsheet> sheet(sheets->getByName(toOffice(name)),
                                                        UNO_QUERY_THROW);
        return std::make_unique<UnoSheet>(model_, sheet, handling_);
    });
}

std::int32_t UnoDocument::sheetCount() {
    failWhenClosed();
    return handling_.call("finish reading the file", [&] {
        const Reference<css::sheet::XSpreadsheetDocument> document(model_, UNO_QUERY_THROW);
        const Reference<css::container::XIndexAccess> sheets(document->getSheets(),
                                                             UNO_QUERY_THROW);
        return static_cast<std::int32_t>(sheets->getCount());
    });
}

void UnoDocument::close() {
    // The office accepts closing a closed document silently.
    failWhenClosed();
    handling_.call("close the file", [&] {
        const Reference<css::util::XCloseable> closeable(model_, UNO_QUERY_THROW);
        closeable->close(false);
    });
    closed_ = true;
}

void UnoDocument::storeToFile(const std::string& path) {
    failWhenClosed();
    std::error_code error;
    const std::filesystem::path target = std::filesystem::absolute(path, error);
    if (error || !std::filesystem::is_directory(target.parent_path(), error)) {
        // The office would create the missing folders instead.
        throw OfficeError("Cannot store \"" + path + "\": the folder \"" +
                          target.parent_path().string() + "\" does not exist");
    }
    std::string extension = target.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    handling_.call("finish storing the document", [&] {
        if (extension == ".csv") {
            const TempFolder folder;
            if (!std::filesystem::copy_file(exportSheet(model_, 1, folder), target,
                                            std::filesystem::copy_options::overwrite_existing,
                                            error)) {
                throw OfficeError("Cannot store \"" + path + "\": " + error.message());
            }
        } else {
            storeTo(model_, target, "calc8", "");
        }
    });
}

std::string UnoSheet::name() {
    return handling_.call("finish reading the file", [&] {
        const Reference<css::container::XNamed> named(sheet_, UNO_QUERY_THROW);
        return fromOffice(named->getName());
    });
}

UsedArea UnoSheet::usedArea() {
    return handling_.call("finish reading the file", [&] {
        // Content cells only: the office's own used area also counts cells that merely carry
        // a format, which hold no text for us.
        const Reference<css::sheet::XCellRangesQuery> query(sheet_, UNO_QUERY_THROW);
        const Reference<css::sheet::XSheetCellRanges> ranges = query->queryContentCells(
            css::sheet::CellFlags::VALUE | css::sheet::CellFlags::DATETIME |
            css::sheet::CellFlags::STRING | css::sheet::CellFlags::FORMULA);
        UsedArea area;
        if (!ranges.is()) {
            return area;
        }
        for (const auto& range : ranges->getRangeAddresses()) {
            area.columns = std::max(area.columns, range.EndColumn + 1);
            area.rows = std::max(area.rows, range.EndRow + 1);
        }
        return area;
    });
}

std::string UnoSheet::cellText(std::int32_t column, std::int32_t row) {
    return handling_.call("finish reading the file", [&] {
        try {
            const Reference<css::text::XText> text(sheet_->getCellByPosition(column, row),
                                                   UNO_QUERY_THROW);
            return fromOffice(text->getString());
        } catch (const css::lang::IndexOutOfBoundsException&) {
            throwOutsideSheet(column, row);
        }
    });
}

void UnoSheet::setCellText(std::int32_t column, std::int32_t row, const std::string& text) {
    handling_.call("finish writing the document", [&] {
        try {
            const Reference<css::text::XText> cell(sheet_->getCellByPosition(column, row),
                                                   UNO_QUERY_THROW);
            cell->setString(toOffice(text));
        } catch (const css::lang::IndexOutOfBoundsException&) {
            throwOutsideSheet(column, row);
        }
    });
}

CellRows UnoSheet::rangeTexts(std::int32_t firstColumn, std::int32_t firstRow,
                              std::int32_t lastColumn, std::int32_t lastRow) {
    if (lastRow < firstRow) {
        return {};
    }
    const auto width = static_cast<std::size_t>(std::max(lastColumn - firstColumn + 1, 0));
    CellRows result(static_cast<std::size_t>(lastRow - firstRow) + 1,
                    std::vector<std::string>(width));
    if (width == 0) {
        return result;
    }
    return handling_.call("finish reading the file", [&] {
        // Fails like cellText for positions outside the sheet.
        const Reference<css::sheet::XCellRangeAddressable> range(
            sheet_->getCellRangeByPosition(firstColumn, firstRow, lastColumn, lastRow),
            UNO_QUERY_THROW);
        // Cells beyond the last one with content are empty: only the rest needs reading.
        const UsedArea area = usedArea();
        const std::int32_t lastUsedColumn = std::min(lastColumn, area.columns - 1);
        const std::int32_t lastUsedRow = std::min(lastRow, area.rows - 1);
        if (firstColumn > lastUsedColumn || firstRow > lastUsedRow) {
            return result;
        }
        const std::int64_t cells = (std::int64_t{lastUsedColumn} - firstColumn + 1) *
                                   (std::int64_t{lastUsedRow} - firstRow + 1);
        if (!handling_.alwaysExportBlocks &&
            cells <= std::max(cellsReadOneByOne,
                              std::int64_t{area.columns} * area.rows / exportCellsPerCellRead)) {
            for (std::int32_t row = firstRow; row <= lastUsedRow; ++row) {
                for (std::int32_t column = firstColumn; column <= lastUsedColumn; ++column) {
                    result[static_cast<std::size_t>(row - firstRow)]
                          [static_cast<std::size_t>(column - firstColumn)] = cellText(column, row);
                }
            }
            return result;
        }
        // getDataArray gives raw values (dates as serial numbers); the "as shown" export gives
        // the same texts as getString. It always covers the sheet from A1.
        const TempFolder folder;
        const int sheetNumber = range->getRangeAddress().Sheet + 1;
        return cutRectangle(parseCsvRows(readWholeFile(exportSheet(model_, sheetNumber, folder))),
                            firstColumn, firstRow, lastColumn, lastRow);
    });
}

void UnoSheet::setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) {
    handling_.call("finish writing the document", [&] {
        std::size_t first = 0;
        while (first < rows.size()) {
            // setDataArray needs a rectangle: a block is a run of rows of one width. Padding a
            // short row would empty cells that setCellText leaves alone.
            const std::size_t width = rows[first].size();
            const std::size_t blockRows =
                std::max<std::size_t>(1, cellsPerBlock / std::max<std::size_t>(width, 1));
            std::size_t end = first + 1;
            while (end < rows.size() && rows[end].size() == width && end - first < blockRows) {
                ++end;
            }
            if (width > 0) {
                const std::int64_t lastColumn =
                    std::int64_t{column} + static_cast<std::int64_t>(width) - 1;
                const std::int64_t top = std::int64_t{row} + static_cast<std::int64_t>(first);
                const std::int64_t bottom = std::int64_t{row} + static_cast<std::int64_t>(end) - 1;
                constexpr auto limit = std::numeric_limits<std::int32_t>::max();
                if (lastColumn > limit || bottom > limit) {
                    throw OfficeError("The texts to write reach beyond the last cell of a sheet");
                }
                Sequence<Sequence<Any>> data(static_cast<sal_Int32>(end - first));
                auto* out = data.getArray();
                for (std::size_t r = first; r < end; ++r, ++out) {
                    out->realloc(static_cast<sal_Int32>(width));
                    auto* cell = out->getArray();
                    for (const auto& text : rows[r]) {
                        *cell++ <<= toOffice(text);
                    }
                }
                const Reference<css::sheet::XCellRangeData> range(
                    sheet_->getCellRangeByPosition(column, static_cast<std::int32_t>(top),
                                                   static_cast<std::int32_t>(lastColumn),
                                                   static_cast<std::int32_t>(bottom)),
                    UNO_QUERY_THROW);
                range->setDataArray(data);
            }
            first = end;
        }
    });
}

} // namespace gridwork::uno
