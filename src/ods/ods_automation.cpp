#include "ods/ods_automation.h"

#include "ods/error.h"
#include "ods/reader.h"
#include "ods/writer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <limits>
#include <system_error>

namespace gridwork {

namespace {

struct DocumentState {
    std::string label; ///< the file, or "Untitled N" for a new document
    ods::Workbook workbook;
    bool closed = false;

    void checkOpen() const {
        if (closed) {
            throw OfficeError(label + ": the document is closed");
        }
    }
};

bool hasCsvExtension(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".csv";
}

std::string positionText(std::int32_t column, std::int32_t row) {
    return "(column " + std::to_string(column) + ", row " + std::to_string(row) + ")";
}

class OdsSheet : public Sheet {
public:
    OdsSheet(std::shared_ptr<DocumentState> document, std::size_t index)
        : document_(std::move(document)), index_(index) {}

    std::string name() override { return sheet().name(); }

    UsedArea usedArea() override {
        const ods::Extent extent = sheet().extent();
        return {extent.columns, extent.rows};
    }

    std::string cellText(std::int32_t column, std::int32_t row) override {
        const ods::Sheet& found = sheet();
        checkPosition(column, row);
        return std::string(found.text(column, row));
    }

    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override {
        ods::Sheet& found = sheet();
        checkPosition(column, row);
        found.setText(column, row, text);
    }

    CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                        std::int32_t lastRow) override {
        const ods::Sheet& found = sheet();
        checkPosition(firstColumn, firstRow);
        checkPosition(lastColumn, lastRow);
        CellRows rows;
        if (lastRow < firstRow || lastColumn < firstColumn) {
            return rows;
        }
        const auto width = static_cast<std::size_t>(lastColumn - firstColumn + 1);
        rows.resize(static_cast<std::size_t>(lastRow - firstRow + 1));
        const auto& runs = found.rows();
        auto run = std::partition_point(runs.begin(), runs.end(), [&](const ods::RowRun& r) {
            return r.row + r.repeat <= firstRow;
        });
        for (std::int32_t row = firstRow; row <= lastRow; ++row) {
            auto& texts = rows[static_cast<std::size_t>(row - firstRow)];
            texts.resize(width);
            while (run != runs.end() && run->row + run->repeat <= row) {
                ++run;
            }
            if (run == runs.end() || run->row > row) {
                continue;
            }
            auto cell = std::partition_point(
                run->cells.begin(), run->cells.end(),
                [&](const ods::CellRun& c) { return c.column + c.repeat <= firstColumn; });
            for (; cell != run->cells.end() && cell->column <= lastColumn; ++cell) {
                const std::int32_t from = std::max(cell->column, firstColumn);
                const std::int32_t to = std::min(cell->column + cell->repeat - 1, lastColumn);
                for (std::int32_t column = from; column <= to; ++column) {
                    texts[static_cast<std::size_t>(column - firstColumn)] = cell->text;
                }
            }
        }
        return rows;
    }

    void setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) override {
        ods::Sheet& found = sheet();
        if (rows.empty()) {
            return;
        }
        std::size_t widest = 0;
        for (const auto& texts : rows) {
            widest = std::max(widest, texts.size());
        }
        checkPosition(column, row);
        const std::int64_t lastColumn = column + static_cast<std::int64_t>(widest) - 1;
        const std::int64_t lastRow = row + static_cast<std::int64_t>(rows.size()) - 1;
        if (widest > 0 && (lastColumn >= ods::kMaxColumns || lastRow >= ods::kMaxRows)) {
            throw OfficeError(document_->label + ": the range from " + positionText(column, row) +
                              " reaches beyond the sheet");
        }
        for (std::size_t r = 0; r < rows.size(); ++r) {
            const auto& texts = rows[r];
            for (std::size_t c = 0; c < texts.size(); ++c) {
                found.setText(column + static_cast<std::int32_t>(c),
                              row + static_cast<std::int32_t>(r), texts[c]);
            }
        }
    }

private:
    ods::Sheet& sheet() {
        document_->checkOpen();
        return document_->workbook.sheets()[index_];
    }

    void checkPosition(std::int32_t column, std::int32_t row) const {
        if (column < 0 || column >= ods::kMaxColumns || row < 0 || row >= ods::kMaxRows) {
            throw OfficeError(document_->label + ": the cell position " +
                              positionText(column, row) +
                              " lies outside the sheet (columns 0 to 16383, rows 0 to 1048575)");
        }
    }

    std::shared_ptr<DocumentState> document_;
    std::size_t index_;
};

class OdsDocument : public Document {
public:
    explicit OdsDocument(std::shared_ptr<DocumentState> state) : state_(std::move(state)) {}

    std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) override {
        state_->checkOpen();
        const auto count = state_->workbook.sheets().size();
        if (index < 0 || static_cast<std::size_t>(index) >= count) {
            throw OfficeError(state_->label + ": there is no sheet at index " +
                              std::to_string(index) + " (the document has " +
                              std::to_string(count) + " sheets)");
        }
        return std::make_unique<OdsSheet>(state_, static_cast<std::size_t>(index));
    }

    std::unique_ptr<Sheet> sheetByName(const std::string& name) override {
        state_->checkOpen();
        const auto& sheets = state_->workbook.sheets();
        const auto it = std::find_if(sheets.begin(), sheets.end(),
                                     [&](const ods::Sheet& s) { return s.name() == name; });
        if (it == sheets.end()) {
            throw OfficeError(state_->label + ": there is no sheet named \"" + name + "\"");
        }
        return std::make_unique<OdsSheet>(state_, static_cast<std::size_t>(it - sheets.begin()));
    }

    std::int32_t sheetCount() override {
        state_->checkOpen();
        return static_cast<std::int32_t>(state_->workbook.sheets().size());
    }

    void close() override {
        state_->checkOpen();
        state_->closed = true;
        state_->workbook = ods::Workbook();
    }

    void storeToFile(const std::string& path) override {
        state_->checkOpen();
        try {
            if (hasCsvExtension(path)) {
                ods::writeCsv(state_->workbook.sheets().front(), path);
            } else {
                ods::writeWorkbook(state_->workbook, path);
            }
        } catch (const ods::Error& error) {
            throw OfficeError(error.what());
        }
    }

private:
    std::shared_ptr<DocumentState> state_;
};

ods::Workbook withOneSheet() {
    ods::Workbook workbook;
    workbook.sheets().emplace_back("Sheet1");
    return workbook;
}

class OdsDesktop : public Desktop {
public:
    std::unique_ptr<Document> openDocument(const std::string& url) override {
        auto state = std::make_shared<DocumentState>();
        state->label = pathFromFileUrl(url);
        state->workbook = readSpreadsheet(state->label);
        return std::make_unique<OdsDocument>(std::move(state));
    }

    std::unique_ptr<Document> newDocument() override {
        auto state = std::make_shared<DocumentState>();
        state->label = "Untitled " + std::to_string(++untitled_);
        state->workbook = withOneSheet();
        return std::make_unique<OdsDocument>(std::move(state));
    }

private:
    int untitled_ = 0;
};

bool isFlatSpreadsheet(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension == ".fods";
}

ods::Workbook readAsTheOffice(const std::string& path, const ods::ReadOptions& options) {
    std::error_code ec;
    // The office opens an empty file as an empty spreadsheet.
    if (std::filesystem::is_regular_file(path, ec) && std::filesystem::file_size(path, ec) == 0 &&
        !ec) {
        return withOneSheet();
    }
    ods::Workbook workbook;
    try {
        workbook = isFlatSpreadsheet(path) ? ods::readFlatWorkbook(path, options)
                                           : ods::readWorkbook(path, options);
    } catch (const ods::Error& error) {
        throw OfficeError(error.what());
    } catch (const std::bad_alloc&) {
        throw OfficeError("cannot read " + path + ": not enough memory");
    } catch (const std::exception& error) {
        throw OfficeError("cannot read " + path + ": " + error.what());
    }
    if (workbook.sheets().empty()) {
        workbook = withOneSheet();
    }
    return workbook;
}

} // namespace

ods::Workbook readSpreadsheet(const std::string& path, bool keepValues,
                              const std::function<bool()>& stop) {
    // Shown as the office started by this user would show it.
    ods::ReadOptions options;
    options.officeLocale = ods::environmentLocale();
    options.keepValues = keepValues;
    options.stop = stop;
    return readAsTheOffice(path, options);
}

std::vector<std::string> spreadsheetSheetNames(const std::string& path) {
    // Asking for a sheet past any document's last one gives every sheet by its name alone: no
    // cell is kept, so this stays quick on large files.
    ods::ReadOptions options;
    options.onlySheet = std::numeric_limits<std::size_t>::max();
    const ods::Workbook workbook = readAsTheOffice(path, options);
    std::vector<std::string> names;
    for (const ods::Sheet& sheet : workbook.sheets())
        names.push_back(sheet.name());
    return names;
}

std::unique_ptr<Desktop> OdsAutomation::connect() {
    return std::make_unique<OdsDesktop>();
}

} // namespace gridwork
