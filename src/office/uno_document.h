#pragma once

// The desktop, document and sheet objects of the office over UNO. Private to this folder.

#include "join/calc_automation.h"
#include "office/connection_watch.h"
#include "office/uno_support.h"

#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <memory>

namespace gridwork::uno {

namespace css = com::sun::star;

/// What the desktop hands on to its documents and sheets.
struct DocumentHandling {
    /// Documents load with Hidden=true, which a headless office needs.
    bool hidden = false;
    /// Every block read goes through the sheet export, however small.
    bool alwaysExportBlocks = false;
    /// The watch of the connection, which bounds every call below by `callLimit`.
    std::shared_ptr<ConnectionWatch> watch;
    std::chrono::milliseconds callLimit{0};

    /// Runs an office call as officeCall does, bounded by the watch; a call that the watch
    /// ended fails with what ended it (OfficeTimeout saying that the office did not `doing`
    /// in time), not with the lost connection that its ending caused.
    template <class Call> decltype(auto) call(const char* doing, Call&& work) const {
        const ConnectionWatch::Bound bound(watch.get(), callLimit);
        try {
            return officeCall(std::forward<Call>(work));
        } catch (const OfficeError&) {
            failWhenEnded(doing);
            throw;
        }
    }
    /// Throws what ended the connection when the watch did; returns otherwise.
    void failWhenEnded(const char* doing) const;
};

class UnoDesktop final : public Desktop {
public:
    UnoDesktop(css::uno::Reference<css::frame::XComponentLoader> loader, DocumentHandling handling)
        : loader_(std::move(loader)), handling_(handling) {}

    std::unique_ptr<Document> openDocument(const std::string& url) override;
    std::unique_ptr<Document> newDocument() override;

private:
    std::unique_ptr<Document> load(const std::string& url, const std::string& name);

    css::uno::Reference<css::frame::XComponentLoader> loader_;
    DocumentHandling handling_;
};

class UnoDocument final : public Document {
public:
    UnoDocument(css::uno::Reference<css::lang::XComponent> model, DocumentHandling handling)
        : model_(std::move(model)), handling_(handling) {}

    std::unique_ptr<Sheet> sheetByIndex(std::int16_t index) override;
    std::unique_ptr<Sheet> sheetByName(const std::string& name) override;
    std::int32_t sheetCount() override;
    void close() override;
    void storeToFile(const std::string& path) override;

private:
    void failWhenClosed() const;

    css::uno::Reference<css::lang::XComponent> model_;
    DocumentHandling handling_;
    bool closed_ = false;
};

class UnoSheet final : public Sheet {
public:
    UnoSheet(css::uno::Reference<css::lang::XComponent> model,
             css::uno::Reference<css::sheet::XSpreadsheet> sheet, DocumentHandling handling)
        : model_(std::move(model)), sheet_(std::move(sheet)), handling_(handling) {}

    std::string name() override;
    UsedArea usedArea() override;
    std::string cellText(std::int32_t column, std::int32_t row) override;
    void setCellText(std::int32_t column, std::int32_t row, const std::string& text) override;
    CellRows rangeTexts(std::int32_t firstColumn, std::int32_t firstRow, std::int32_t lastColumn,
                        std::int32_t lastRow) override;
    void setRangeTexts(std::int32_t column, std::int32_t row, const CellRows& rows) override;

private:
    css::uno::Reference<css::lang::XComponent> model_;
    css::uno::Reference<css::sheet::XSpreadsheet> sheet_;
    DocumentHandling handling_;
};

} // namespace gridwork::uno
