#pragma once

// A CalcAutomation in front of another one that keeps hold of every document the join opens or
// creates, so tests can check that the sources were closed and read the result back, and that
// can hide the block calls, so the join goes cell by cell as the old program did.

#include "join/calc_automation.h"

#include <memory>
#include <vector>

namespace gridwork::test {

/// Forwards the single-cell calls only; the block calls are the interface's cell-by-cell ones.
class PerCellSheet : public Sheet {
public:
    explicit PerCellSheet(std::unique_ptr<Sheet> inner) : inner_(std::move(inner)) {}

    std::string name() override { return inner_->name(); }
    UsedArea usedArea() override { return inner_->usedArea(); }
    std::string cellText(std::int32_t column, std::int32_t row) override {
        return inner_->cellText(column, row);
    }
    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override {
        inner_->setCellText(column, row, text);
    }

private:
    std::unique_ptr<Sheet> inner_;
};

struct TrackedDocument {
    std::shared_ptr<Document> document;
    std::string url; ///< empty for a new document
    bool closedByTheRun = false;
};

struct Tracking {
    bool perCell = false;
    std::vector<std::shared_ptr<TrackedDocument>> documents;
};

class TrackingDocument : public Document {
public:
    TrackingDocument(const Tracking& tracking, std::shared_ptr<TrackedDocument> tracked)
        : tracking_(tracking), tracked_(std::move(tracked)) {}

    std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) override {
        return wrapped(tracked_->document->sheetByIndex(index));
    }
    std::unique_ptr<Sheet> sheetByName(const std::string& name) override {
        return wrapped(tracked_->document->sheetByName(name));
    }
    std::int32_t sheetCount() override { return tracked_->document->sheetCount(); }
    void close() override {
        tracked_->document->close();
        tracked_->closedByTheRun = true;
    }
    void storeToFile(const std::string& path) override { tracked_->document->storeToFile(path); }

private:
    std::unique_ptr<Sheet> wrapped(std::unique_ptr<Sheet> sheet) const {
        if (tracking_.perCell) {
            return std::make_unique<PerCellSheet>(std::move(sheet));
        }
        return sheet;
    }

    const Tracking& tracking_;
    std::shared_ptr<TrackedDocument> tracked_;
};

class TrackingDesktop : public Desktop {
public:
    TrackingDesktop(Tracking& tracking, std::unique_ptr<Desktop> inner)
        : tracking_(tracking), inner_(std::move(inner)) {}

    std::unique_ptr<Document> openDocument(const std::string& url) override {
        return tracked(inner_->openDocument(url), url);
    }
    std::unique_ptr<Document> newDocument() override { return tracked(inner_->newDocument(), ""); }

private:
    std::unique_ptr<Document> tracked(std::unique_ptr<Document> document, const std::string& url) {
        auto entry = std::make_shared<TrackedDocument>(
            TrackedDocument{std::shared_ptr<Document>(std::move(document)), url, false});
        tracking_.documents.push_back(entry);
        return std::make_unique<TrackingDocument>(tracking_, entry);
    }

    Tracking& tracking_;
    std::unique_ptr<Desktop> inner_;
};

class TrackingAutomation : public CalcAutomation {
public:
    explicit TrackingAutomation(CalcAutomation& inner) : inner_(inner) {}

    std::unique_ptr<Desktop> connect() override {
        return std::make_unique<TrackingDesktop>(tracking, inner_.connect());
    }

    Tracking tracking;

private:
    CalcAutomation& inner_;
};

} // namespace gridwork::test
