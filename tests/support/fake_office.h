#pragma once

// The office in memory that every test of the join, the window and the command line uses:
// books stand for files by their URL or path, every call is logged and counted, and any
// operation can be told to fail at its n-th call, or the office to be out of reach.

#include "join/calc_automation.h"
#include "join/join_run.h"

#include <algorithm>
#include <atomic>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace gridwork::test {

enum class Operation {
    Connect,
    Open,
    New,
    SheetByIndex,
    CellText,
    SetCellText,
    RangeTexts,
    SetRangeTexts,
    Close
};

/// Column, row (0-based).
using Position = std::pair<std::int32_t, std::int32_t>;

struct SheetData {
    std::string name;
    std::map<Position, std::string> cells;
    /// Every cell that was written, also with an empty text.
    std::set<Position> written;
};

struct DocumentData {
    std::string url; ///< empty for a new document
    std::vector<SheetData> sheets;
    bool open = true;
    int stores = 0;
};

struct OfficeState {
    /// The "files" the office can open, by URL or by path; opening copies the book, so files
    /// never change.
    std::map<std::string, std::vector<SheetData>> files;
    /// What every other URL opens as; unset, it fails as a missing file does.
    std::optional<std::vector<SheetData>> anyFile;
    /// Whether connect() reaches the office, and newDocument() makes a document.
    bool reachable = true;
    bool makesNewDocuments = true;
    /// Desktops that exist and documents open right now; documents closed so far.
    std::atomic<int> liveDesktops = 0;
    std::atomic<int> openDocuments = 0;
    std::atomic<int> closedDocuments = 0;
    /// The first sheet of every stored document, as rows of the cells written (empty ones too).
    std::vector<CellRows> created;
    /// Documents may be opened on a second thread while another one is read.
    std::mutex mutex;
    /// Every document opened or created, in order.
    std::vector<std::shared_ptr<DocumentData>> documents;
    std::vector<std::string> log;
    std::map<Operation, int> calls;
    /// Whether sheets answer block calls in one go (as the office link does) or cell by cell.
    bool blockCalls = true;
    /// Operation that fails once, and how many of its calls succeed before that one.
    std::optional<std::pair<Operation, int>> failure;

    void call(Operation operation, const std::string& entry) {
        const std::lock_guard lock(mutex);
        log.push_back(entry);
        const int count = calls[operation]++;
        if (failure && failure->first == operation && count == failure->second) {
            throw OfficeError("Simulated failure: " + entry);
        }
    }

    int openSourceDocuments() const {
        int count = 0;
        for (const auto& document : documents) {
            count += document->open && !document->url.empty() ? 1 : 0;
        }
        return count;
    }

    /// The first sheet of the last new document.
    const SheetData& result() const {
        for (auto it = documents.rbegin(); it != documents.rend(); ++it) {
            if ((*it)->url.empty()) {
                return (*it)->sheets.front();
            }
        }
        throw std::logic_error("no result document was created");
    }
};

inline constexpr std::int32_t maxColumn = 16383;
inline constexpr std::int32_t maxRow = 1048575;

class FakeSheet : public Sheet {
public:
    FakeSheet(OfficeState& state, std::shared_ptr<DocumentData> document, std::size_t index)
        : state_(state), document_(std::move(document)), index_(index) {}

    std::string name() override { return data().name; }
    UsedArea usedArea() override {
        UsedArea area;
        for (const auto& [position, text] : data().cells) {
            area.columns = std::max(area.columns, position.first + 1);
            area.rows = std::max(area.rows, position.second + 1);
        }
        return area;
    }
    std::string cellText(std::int32_t column, std::int32_t row) override {
        state_.call(Operation::CellText, "cellText");
        check(column, row);
        const auto it = data().cells.find({column, row});
        return it == data().cells.end() ? std::string() : it->second;
    }
    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override {
        state_.call(Operation::SetCellText, "setCellText");
        check(column, row);
        store(column, row, text);
    }
    CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                        std::int32_t lastRow) override {
        if (!state_.blockCalls) {
            return Sheet::rangeTexts(firstColumn, firstRow, lastColumn, lastRow);
        }
        state_.call(Operation::RangeTexts, "rangeTexts");
        check(firstColumn, firstRow);
        check(lastColumn, lastRow);
        CellRows rows;
        for (auto row = firstRow; row <= lastRow; ++row) {
            auto& texts = rows.emplace_back();
            for (auto column = firstColumn; column <= lastColumn; ++column) {
                const auto it = data().cells.find({column, row});
                texts.push_back(it == data().cells.end() ? std::string() : it->second);
            }
            // Leaves out trailing empty cells, as the interface allows.
            while (!texts.empty() && texts.back().empty()) {
                texts.pop_back();
            }
        }
        return rows;
    }
    void setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) override {
        if (!state_.blockCalls) {
            Sheet::setRangeTexts(column, row, rows);
            return;
        }
        state_.call(Operation::SetRangeTexts, "setRangeTexts");
        for (std::size_t i = 0; i < rows.size(); ++i) {
            for (std::size_t j = 0; j < rows[i].size(); ++j) {
                const auto targetColumn = column + static_cast<std::int32_t>(j);
                const auto targetRow = row + static_cast<std::int32_t>(i);
                check(targetColumn, targetRow);
                store(targetColumn, targetRow, rows[i][j]);
            }
        }
    }

private:
    SheetData& data() {
        if (!document_->open) {
            throw OfficeError("The document is closed");
        }
        return document_->sheets.at(index_);
    }
    void check(std::int32_t column, std::int32_t row) {
        data();
        if (column < 0 || row < 0 || column > maxColumn || row > maxRow) {
            throw OfficeError("Index out of bounds: cell (" + std::to_string(column) + ", " +
                              std::to_string(row) + ")");
        }
    }
    void store(std::int32_t column, std::int32_t row, const std::string& text) {
        auto& sheet = data();
        if (!document_->url.empty()) {
            throw std::logic_error("a source document was written to");
        }
        sheet.written.insert({column, row});
        if (text.empty()) {
            sheet.cells.erase({column, row});
        } else {
            sheet.cells[{column, row}] = text;
        }
    }

    OfficeState& state_;
    std::shared_ptr<DocumentData> document_;
    std::size_t index_;
};

class FakeDocument : public Document {
public:
    FakeDocument(OfficeState& state, std::shared_ptr<DocumentData> data)
        : state_(state), data_(std::move(data)) {}

    std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) override {
        state_.call(Operation::SheetByIndex, "sheet " + std::to_string(index));
        requireOpen();
        if (index < 0 || static_cast<std::size_t>(index) >= data_->sheets.size()) {
            throw OfficeError("Index out of bounds: no sheet " + std::to_string(index));
        }
        return std::make_unique<FakeSheet>(state_, data_, static_cast<std::size_t>(index));
    }
    std::unique_ptr<Sheet> sheetByName(const std::string& name) override {
        requireOpen();
        for (std::size_t i = 0; i < data_->sheets.size(); ++i) {
            if (data_->sheets[i].name == name) {
                return std::make_unique<FakeSheet>(state_, data_, i);
            }
        }
        throw OfficeError("No sheet named " + name);
    }
    std::int32_t sheetCount() override {
        requireOpen();
        return static_cast<std::int32_t>(data_->sheets.size());
    }
    void close() override {
        state_.call(Operation::Close, "close " + data_->url);
        requireOpen();
        data_->open = false;
        --state_.openDocuments;
        ++state_.closedDocuments;
    }
    /// Writes the first sheet's written cells, each followed by '|', a line per row.
    void storeToFile(const std::string& path) override {
        requireOpen();
        ++data_->stores;
        const SheetData& sheet = data_->sheets.front();
        CellRows rows;
        for (const auto& [column, row] : sheet.written) {
            rows.resize(std::max(rows.size(), static_cast<std::size_t>(row) + 1));
            auto& texts = rows[static_cast<std::size_t>(row)];
            texts.resize(std::max(texts.size(), static_cast<std::size_t>(column) + 1));
            const auto it = sheet.cells.find({column, row});
            texts[static_cast<std::size_t>(column)] = it == sheet.cells.end() ? "" : it->second;
        }
        std::ofstream out(path, std::ios::trunc);
        for (const auto& texts : rows) {
            for (const auto& text : texts) {
                out << text << '|';
            }
            out << '\n';
        }
        const std::lock_guard lock(state_.mutex);
        state_.created.push_back(std::move(rows));
    }

private:
    void requireOpen() const {
        if (!data_->open) {
            throw OfficeError("The document is closed");
        }
    }

    OfficeState& state_;
    std::shared_ptr<DocumentData> data_;
};

class FakeDesktop : public Desktop {
public:
    explicit FakeDesktop(OfficeState& state) : state_(state) { ++state_.liveDesktops; }
    ~FakeDesktop() override { --state_.liveDesktops; }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    std::unique_ptr<Document> openDocument(const std::string& url) override {
        state_.call(Operation::Open, "open " + url);
        const std::vector<SheetData>* book = find(url);
        if (book == nullptr && url.starts_with("file:")) {
            book = find(pathFromFileUrl(url));
        }
        if (book == nullptr && state_.anyFile) {
            book = &*state_.anyFile;
        }
        if (book == nullptr) {
            throw OfficeError("Unsupported URL <" + url + ">: \"type detection failed\"");
        }
        return add(std::make_shared<DocumentData>(DocumentData{url, *book}));
    }
    std::unique_ptr<Document> newDocument() override {
        state_.call(Operation::New, "new");
        if (!state_.makesNewDocuments) {
            throw OfficeError("The test office makes no documents.");
        }
        return add(std::make_shared<DocumentData>(DocumentData{"", {SheetData{"Sheet1", {}, {}}}}));
    }

private:
    const std::vector<SheetData>* find(const std::string& name) const {
        const auto file = state_.files.find(name);
        return file == state_.files.end() ? nullptr : &file->second;
    }
    std::unique_ptr<Document> add(std::shared_ptr<DocumentData> data) {
        {
            const std::lock_guard lock(state_.mutex);
            state_.documents.push_back(data);
        }
        ++state_.openDocuments;
        return std::make_unique<FakeDocument>(state_, std::move(data));
    }

    OfficeState& state_;
};

class FakeAutomation : public CalcAutomation {
public:
    std::unique_ptr<Desktop> connect() override {
        state.call(Operation::Connect, "connect");
        if (!state.reachable) {
            throw OfficeError("Cannot start the office: no soffice program was found.");
        }
        return std::make_unique<FakeDesktop>(state);
    }

    OfficeState state;
};

struct Report {
    std::string handler;
    int step = 0;
    std::string description;
};

/// The window as the join run sees it: fields by name, and a record of what the run showed.
class FakeHost : public JoinRunHost {
public:
    std::string fieldText(std::string_view objectName) const override {
        const auto it = fields.find(std::string(objectName));
        return it == fields.end() ? std::string() : it->second;
    }
    void showMessage(const std::string& text) override { messages.push_back(text); }
    void reportError(std::string_view handler, int step, const std::string& description) override {
        reports.push_back({std::string(handler), step, description});
    }
    void setPointerMode(int mode) override { pointerModes.push_back(mode); }
    void processPendingEvents() override {
        ++eventPasses;
        if (onEvents) {
            onEvents();
        }
    }

    std::map<std::string, std::string> fields;
    std::vector<std::string> messages;
    std::vector<Report> reports;
    std::vector<int> pointerModes;
    int eventPasses = 0;
    /// What "the user" does while the run lets events through.
    std::function<void()> onEvents;
};

} // namespace gridwork::test
