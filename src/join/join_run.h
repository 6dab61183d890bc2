#pragma once

// "Start Joining": the checks of the job definition and the three phases of a join run.

#include "calc_automation.h"
#include "shell/step_trap.h"

#include <string>
#include <string_view>

namespace gridwork {

/// What the join run needs of the window. The run reads a field's current text each time a step
/// needs it, because the user may edit fields while the run lets events through.
class JoinRunHost {
public:
    virtual ~JoinRunHost() = default;

    /// Current text of a field by its designer name ("Text1", "txtSheet1", "txtRowFrom2", ...).
    virtual std::string fieldText(std::string_view objectName) const = 0;
    /// A plain message box: OK button, no icon, the application title ("Done.", check messages).
    virtual void showMessage(const std::string& text) = 0;
    /// The error report, with the failing step's number.
    virtual void reportError(std::string_view handler, int step, const std::string& description) = 0;
    /// Window pointer mode: 0 arrow, 11 busy.
    virtual void setPointerMode(int mode) = 0;
    /// Lets pending window events run once (a second click on the button may arrive here).
    virtual void processPendingEvents() = 0;
};

/// The join run of the main window; owns the busy flag.
class JoinRun {
public:
    JoinRun(JoinRunHost& host, CalcAutomation& office) : host_(host), office_(office) {}

    /// The click handler of "Start Joining" (steps 100 to 228).
    void pushButton5Click();
    bool joinBusy() const noexcept { return joinBusy_; }

private:
    JoinRunHost& host_;
    CalcAutomation& office_;
    bool joinBusy_ = false;
};

} // namespace gridwork
