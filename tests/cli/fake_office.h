#pragma once

// An office in memory for the stacking tests: documents are sheets of texts registered by path,
// so a run's layout, its sheet choice and its closing of documents can be checked without files
// in any spreadsheet format.

#include "join/calc_automation.h"

#include <atomic>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace gridwork::cli::testing {

struct FakeBook {
    std::vector<std::pair<std::string, CellRows>> sheets;
};

// Documents may be opened on a second thread while another is read.
struct FakeState {
    std::map<std::string, FakeBook> files;
    std::atomic<int> openDocuments = 0;
    std::atomic<int> closedDocuments = 0;
    std::vector<CellRows> created;
};

class FakeSheet final : public Sheet {
public:
    FakeSheet(std::string name, CellRows& cells) : name_(std::move(name)), cells_(cells) {}
    std::string name() override { return name_; }
    UsedArea usedArea() override {
        UsedArea used;
        for (std::size_t r = 0; r < cells_.size(); ++r)
            for (std::size_t c = 0; c < cells_[r].size(); ++c)
                if (!cells_[r][c].empty()) {
                    used.rows = static_cast<std::int32_t>(r + 1);
                    used.columns = std::max(used.columns, static_cast<std::int32_t>(c + 1));
                }
        return used;
    }
    std::string cellText(std::int32_t column, std::int32_t row) override {
        if (column < 0 || row < 0)
            throw OfficeError("position outside the sheet");
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(column);
        return r < cells_.size() && c < cells_[r].size() ? cells_[r][c] : std::string();
    }
    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override {
        const auto r = static_cast<std::size_t>(row);
        const auto c = static_cast<std::size_t>(column);
        if (cells_.size() <= r)
            cells_.resize(r + 1);
        if (cells_[r].size() <= c)
            cells_[r].resize(c + 1);
        cells_[r][c] = text;
    }

private:
    std::string name_;
    CellRows& cells_;
};

class FakeDocument final : public Document {
public:
    FakeDocument(FakeBook book, FakeState& state) : book_(std::move(book)), state_(state) {
        ++state_.openDocuments;
    }
    std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) override {
        if (index < 0 || static_cast<std::size_t>(index) >= book_.sheets.size())
            throw OfficeError("IndexOutOfBoundsException");
        auto& [name, cells] = book_.sheets[static_cast<std::size_t>(index)];
        return std::make_unique<FakeSheet>(name, cells);
    }
    std::unique_ptr<Sheet> sheetByName(const std::string& name) override {
        for (auto& [sheetName, cells] : book_.sheets)
            if (sheetName == name)
                return std::make_unique<FakeSheet>(sheetName, cells);
        throw OfficeError("NoSuchElementException");
    }
    std::int32_t sheetCount() override { return static_cast<std::int32_t>(book_.sheets.size()); }
    void close() override {
        if (closed_)
            throw OfficeError("closed twice");
        closed_ = true;
        --state_.openDocuments;
        ++state_.closedDocuments;
    }
    void storeToFile(const std::string& path) override {
        std::ofstream out(path, std::ios::trunc);
        for (const auto& row : book_.sheets.front().second) {
            for (const auto& cell : row)
                out << cell << '|';
            out << '\n';
        }
        state_.created.push_back(book_.sheets.front().second);
    }

private:
    FakeBook book_;
    FakeState& state_;
    bool closed_ = false;
};

class FakeDesktop final : public Desktop {
public:
    explicit FakeDesktop(FakeState& state) : state_(state) {}
    std::unique_ptr<Document> openDocument(const std::string& url) override {
        const auto found = state_.files.find(pathFromFileUrl(url));
        if (found == state_.files.end())
            throw OfficeError("type detection failed");
        return std::make_unique<FakeDocument>(found->second, state_);
    }
    std::unique_ptr<Document> newDocument() override {
        return std::make_unique<FakeDocument>(FakeBook{{{"Sheet1", {}}}}, state_);
    }

private:
    FakeState& state_;
};

class FakeOffice final : public CalcAutomation {
public:
    std::unique_ptr<Desktop> connect() override { return std::make_unique<FakeDesktop>(state); }
    FakeState state;
};

} // namespace gridwork::cli::testing
