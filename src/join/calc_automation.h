#pragma once

// The office operations the join is built on. Two implementations exist: the installed
// LibreOffice/OpenOffice reached over UNO (src/office) and the embedded .ods engine (src/ods).
// The join core only ever talks to these interfaces, so both paths give the same layout.

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace gridwork {

/// A failure of an office operation. what() is the office's own description where it gives one,
/// otherwise a clear one of ours; it is what the user reads in the error report.
class OfficeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The office did not finish a call within the limit set for it, and has been given up: the
/// connection is closed, an office started for the run is ended.
class OfficeTimeout : public OfficeError {
public:
    using OfficeError::OfficeError;
};

/// Texts of a rectangle of cells, row by row; rows may be shorter than the rectangle is wide.
using CellRows = std::vector<std::vector<std::string>>;

/// Size of a sheet's used area counted from A1: the last column and row holding a non-empty
/// cell, 1-based (0 x 0 for an empty sheet).
struct UsedArea {
    std::int32_t columns = 0;
    std::int32_t rows = 0;
};

/// One sheet of an open document. Positions are 0-based; texts are UTF-8.
class Sheet {
public:
    virtual ~Sheet() = default;

    virtual std::string name() = 0;
    virtual UsedArea usedArea() = 0;

    /// The text the office shows for the cell (empty for an empty cell).
    virtual std::string cellText(std::int32_t column, std::int32_t row) = 0;
    /// Writes a text cell; an empty text empties the cell. Never a number, formula or format.
    virtual void setCellText(std::int32_t column, std::int32_t row, const std::string& text) = 0;

    /// The shown texts of columns first..last x rows first..last, exactly what cellText gives for
    /// each cell. Implementations override it when they can read a block faster than cell by cell.
    virtual CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow,
                                std::int32_t lastColumn, std::int32_t lastRow);
    /// Writes the rows as text cells starting at (column, row), exactly as setCellText would.
    virtual void setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows);
};

/// An open spreadsheet document. Destroying the object releases our reference only: a document
/// stays open in the office until close() is called, as the result document of a join must.
class Document {
public:
    virtual ~Document() = default;

    /// The sheet at a 0-based index; fails for an index outside the document's sheets.
    virtual std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) = 0;
    /// The sheet of that name; fails when there is none.
    virtual std::unique_ptr<Sheet> sheetByName(const std::string& name) = 0;
    virtual std::int32_t sheetCount() = 0;
    /// Closes the document without saving it. Any later call on it fails.
    virtual void close() = 0;
    /// Stores the document in the office's own spreadsheet format (.ods) or, for a path ending
    /// in .csv, as UTF-8 CSV. For tests and the command line; the window never stores.
    virtual void storeToFile(const std::string& path) = 0;
};

/// The office's desktop: where documents are opened and created.
class Desktop {
public:
    virtual ~Desktop() = default;

    /// Opens the document at a file URL (see fileUrl) in a new window, visible and editable.
    virtual std::unique_ptr<Document> openDocument(const std::string& url) = 0;
    /// Creates a new, empty, unsaved spreadsheet document.
    virtual std::unique_ptr<Document> newDocument() = 0;
};

/// The entry point: reaching the office.
class CalcAutomation {
public:
    virtual ~CalcAutomation() = default;

    /// Reaches the office and gives its desktop; fails with a description the user can act on.
    virtual std::unique_ptr<Desktop> connect() = 0;
};

/// "file:///" URL of an absolute path, percent-encoded (blanks, '#', '%', non-ASCII, ...).
/// Backslashes of a Windows path become slashes, so "C:\Data\a b.ods" gives
/// "file:///C:/Data/a%20b.ods" and "\\server\share\a.ods" gives "file://///server/share/a.ods";
/// in "/home/u/a\b.ods" the backslash is part of the name and gives "file:///home/u/a%5Cb.ods".
std::string fileUrl(std::string_view path);

/// The path back from a file URL made by fileUrl (for implementations that read files).
std::string pathFromFileUrl(std::string_view url);

} // namespace gridwork
