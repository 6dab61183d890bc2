#include "join/join_run.h"

#include "join/field_number.h"
#include "join/intermediate_file.h"
#include "join/range_copy.h"

#include <array>
#include <exception>
#include <memory>
#include <string>
#include <utility>

namespace gridwork {

namespace {

constexpr const char* handlerName = "PushButton5_Click";
constexpr int pointerArrow = 0;
constexpr int pointerBusy = 11;

/// Thrown once a failure of the copy has been reported: it unwinds the run to its end, so that
/// the guards below close what the run opened and remove the intermediate file.
struct RunStopped {};

/// The steps after the checks. Going on after a failure only repeats it for every dependent step
/// and cell and then claims success, so a failure is reported once and stops the run.
class StoppingSteps {
public:
    explicit StoppingSteps(JoinRunHost& host) : host_(host) {}

    template <class Step> decltype(auto) step(int number, Step&& body) {
        try {
            return std::forward<Step>(body)();
        } catch (const std::exception& e) {
            fail(number, e.what());
        }
    }

    [[noreturn]] void fail(int number, const std::string& description) {
        host_.reportError(handlerName, number, description);
        throw RunStopped{};
    }

private:
    JoinRunHost& host_;
};

/// A source document: closed (never saved) when the run is done with it or stops early.
class SourceDocument {
public:
    explicit SourceDocument(std::unique_ptr<Document> document) : document_(std::move(document)) {}
    SourceDocument(const SourceDocument&) = delete;
    SourceDocument& operator=(const SourceDocument&) = delete;
    ~SourceDocument() {
        if (document_) {
            try {
                document_->close();
            } catch (...) {
                // The run is already stopping with its own report; one more would only confuse.
            }
        }
    }

    Document* operator->() const { return document_.get(); }

    void close() {
        document_->close();
        document_.reset();
    }

private:
    std::unique_ptr<Document> document_;
};

class BusyFlag {
public:
    explicit BusyFlag(bool& flag) : flag_(flag) { flag_ = true; }
    BusyFlag(const BusyFlag&) = delete;
    BusyFlag& operator=(const BusyFlag&) = delete;
    ~BusyFlag() { flag_ = false; }

private:
    bool& flag_;
};

struct OrderCheck {
    int step;
    const char* fromField;
    const char* toField;
    const char* message;
};

constexpr std::array<OrderCheck, 4> orderChecks{{
    {108, "txtRowFrom1", "txtRowTo1", "Table #1: Row From must be less than Row To."},
    {112, "txtRowFrom2", "txtRowTo2", "Table #2: Row From must be less than Row To."},
    {116, "txtColumnFrom1", "txtColumnTo1", "Table #1: Column From must be less than Column To."},
    {120, "txtColumnFrom2", "txtColumnTo2", "Table #2: Column From must be less than Column To."},
}};

constexpr std::array<const char*, 10> numberFields{
    "txtSheet1", "txtSheet2",      "txtRowFrom1",    "txtRowFrom2",  "txtRowTo1",
    "txtRowTo2", "txtColumnFrom1", "txtColumnFrom2", "txtColumnTo1", "txtColumnTo2"};

/// One source table: its fields and the number of its first step (the Connect).
struct TableSteps {
    const char* path;
    const char* sheet;
    const char* rowFrom;
    const char* rowTo;
    const char* columnFrom;
    const char* columnTo;
    int first;
};

constexpr TableSteps table1{
    "Text1", "txtSheet1", "txtRowFrom1", "txtRowTo1", "txtColumnFrom1", "txtColumnTo1", 130};
constexpr TableSteps table2{
    "Text2", "txtSheet2", "txtRowFrom2", "txtRowTo2", "txtColumnFrom2", "txtColumnTo2", 162};

bool blankText(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

/// Steps 104 to 122; true when the definition may be run.
bool definitionPasses(JoinRunHost& host, StepTrap& trap) {
    if (trap.test(104, [&] {
            for (const char* field : numberFields) {
                if (blankText(host.fieldText(field))) {
                    return true;
                }
            }
            return false;
        })) {
        trap.step(106, [&] { host.showMessage("You must input all entries."); });
        return false;
    }
    for (const auto& check : orderChecks) {
        // A text that is no number fails the test, which counts as passed: report, then message.
        if (trap.test(check.step, [&] {
                return fieldInt16(host.fieldText(check.fromField)) >
                       fieldInt16(host.fieldText(check.toField));
            })) {
            trap.step(check.step + 2, [&] { host.showMessage(check.message); });
            return false;
        }
    }
    return true;
}

/// Steps 130 to 156 for table 1, 162 to 188 for table 2.
void copyTable(JoinRunHost& host, CalcAutomation& office, StoppingSteps& steps,
               const TableSteps& table, IntermediateFile& file) {
    // Connect is one call here: it makes the service manager (first step) and the desktop
    // (first + 2) together, so a failure is charged to the first.
    const auto desktop = steps.step(table.first, [&] { return office.connect(); });
    SourceDocument document(steps.step(table.first + 4, [&] {
        return desktop->openDocument(fileUrl(host.fieldText(table.path)));
    }));
    const auto sheet = steps.step(table.first + 6, [&] {
        const std::int16_t number = fieldInt16(host.fieldText(table.sheet));
        return document->sheetByIndex(checkedDifference16(number, 1));
    });
    CellRange range;
    steps.step(table.first + 8, [&] {
        range.firstRow = fieldInt32(host.fieldText(table.rowFrom));
        range.lastRow = fieldInt32(host.fieldText(table.rowTo));
        checkedDifference32(range.lastRow, range.firstRow);
    });
    steps.step(table.first + 10, [&] {
        range.firstColumn = fieldInt32(host.fieldText(table.columnFrom));
        range.lastColumn = fieldInt32(host.fieldText(table.columnTo));
        checkedDifference32(range.lastColumn, range.firstColumn);
    });
    try {
        AppendRangeLines(*sheet, range, file);
    } catch (const IntermediateFileError& e) {
        steps.fail(table.first + 22, e.what());
    } catch (const std::exception& e) {
        steps.fail(table.first + 18, e.what());
    }
    steps.step(table.first + 26, [&] { document.close(); });
}

/// Steps 124 to 226.
void joinTables(JoinRunHost& host, CalcAutomation& office) {
    StoppingSteps steps(host);
    steps.step(124, [&] { host.setPointerMode(pointerBusy); });
    try {
        auto file = steps.step(128, [] { return IntermediateFile(); });
        copyTable(host, office, steps, table1, file);
        steps.step(158, [&] { host.processPendingEvents(); });
        steps.step(160, [&] { host.processPendingEvents(); });
        copyTable(host, office, steps, table2, file);
        steps.step(190, [&] { host.processPendingEvents(); });
        steps.step(192, [&] { host.processPendingEvents(); });
        steps.step(194, [&] { file.finishWriting(); });
        const auto desktop = steps.step(196, [&] { return office.connect(); });
        // The result document is the user's from here on: it stays open, even after a failure.
        const auto result = steps.step(200, [&] { return desktop->newDocument(); });
        const auto sheet = steps.step(202, [&] { return result->sheetByIndex(0); });
        steps.step(204, [&] { file.startReading(); });
        try {
            WriteResultRows(*sheet, file);
        } catch (const IntermediateFileError& e) {
            steps.fail(206, e.what());
        } catch (const std::exception& e) {
            steps.fail(216, e.what());
        }
        // Removing the file lets pending events run first, like every removal of the window.
        steps.step(222, [&] {
            host.processPendingEvents();
            file.remove();
        });
    } catch (const RunStopped&) {
        host.setPointerMode(pointerArrow);
        return;
    }
    steps.step(224, [&] { host.setPointerMode(pointerArrow); });
    steps.step(226, [&] { host.showMessage("Done."); });
}

} // namespace

void JoinRun::pushButton5Click() {
    // 100: a click that arrives while a run lets events through finds the run busy.
    if (joinBusy_) {
        return;
    }
    // 102 sets the flag; 228 clears it on every way out.
    const BusyFlag busy(joinBusy_);
    StepTrap trap(handlerName,
                  [this](std::string_view handler, int step, const std::string& description) {
                      host_.reportError(handler, step, description);
                  });
    if (!definitionPasses(host_, trap)) {
        return;
    }
    try {
        joinTables(host_, office_);
    } catch (const RunStopped&) {
        // Only a failure of step 224 or 226 lands here; the report has been shown.
    }
}

} // namespace gridwork
