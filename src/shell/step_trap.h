#pragma once

// The trap of the window's command handlers. A handler is written as numbered steps; a step that
// fails is reported with its number and the handler goes on with the next step. The step number
// is what the user quotes to support, so the numbers in the handlers must never drift.

#include <exception>
#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace gridwork {

/// Shows one failure: the handler's name, the number of the failing step and its description.
using ErrorReporter =
    std::function<void(std::string_view handler, int step, const std::string& description)>;

class StepTrap {
public:
    StepTrap(std::string handler, ErrorReporter report)
        : handler_(std::move(handler)), report_(std::move(report)) {}

    /// Runs one numbered step; a failure is reported and swallowed.
    template <class Step> void step(int number, Step&& body) {
        try {
            std::forward<Step>(body)();
        } catch (const std::exception& e) {
            report_(handler_, number, e.what());
        }
    }

    /// Runs the test of an if-statement. A failing test counts as passed, so the statements it
    /// guards run, as they did in the program this one replaces.
    template <class Test> bool test(int number, Test&& condition) {
        try {
            return static_cast<bool>(std::forward<Test>(condition)());
        } catch (const std::exception& e) {
            report_(handler_, number, e.what());
            return true;
        }
    }

    const std::string& handler() const noexcept { return handler_; }

private:
    std::string handler_;
    ErrorReporter report_;
};

} // namespace gridwork
