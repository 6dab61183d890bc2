#pragma once

// The office operations over UNO, against the installed LibreOffice or OpenOffice.

#include "join/calc_automation.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace gridwork {

/// How UnoAutomation finds, starts and reaches the office.
struct OfficeOptions {
    /// The soffice program; when set it is the only one tried. Unset: searched for.
    std::optional<std::string> program;
    /// A profile folder of our own (-env:UserInstallation); empty: the user's own profile, so an
    /// office the user already runs is reused, or, when keepStartedOffice is false, a private
    /// profile kept in the user's cache folder (see CachedProfile).
    std::string profileFolder;
    /// TMPDIR of an office we start; empty: inherited.
    std::string officeTempFolder;
    /// No windows: --headless --invisible, and documents load hidden.
    bool headless = false;
    /// The pipe the office listens on; empty: defaultPipeName(profileFolder).
    std::string pipeName;
    /// How long a started office may take to accept the connection.
    std::chrono::milliseconds startTimeout{30'000};
    /// How long an office that accepted the connection may take to hand over its desktop; one
    /// that takes longer (stopped, or hanging) counts as not reachable.
    std::chrono::milliseconds answerTimeout{20'000};
    /// How long one call on a document may take: opening it, reading or writing it; zero: no
    /// limit. Past it the connection is given up (the call fails with OfficeTimeout), and an
    /// office we started is killed, since it may be stuck or growing without end.
    std::chrono::milliseconds documentTimeout{0};
    /// Asked while a call waits on the office and while it starts; true gives the office up as
    /// documentTimeout does, so a stopped program need not wait for it. Asked from other threads.
    std::function<bool()> stopRequested;
    /// Whether an office we started may run on after this object is gone, to show the user a
    /// result document: it then ends with this object only when it shows no document. When
    /// false the destructor always shuts it down, and it is killed when this program ends in
    /// any other way, even killed itself.
    bool keepStartedOffice = true;
    /// Reads every block of cells through the sheet export, even where reading cell by cell is
    /// faster (lets tests compare both ways of reading).
    bool alwaysExportBlocks = false;

    /// GRIDWORK_OFFICE (program), GRIDWORK_OFFICE_PROFILE (profile folder) and
    /// GRIDWORK_OFFICE_HEADLESS=1 (headless).
    static OfficeOptions fromEnvironment();
};

/// "gridwork-stacker-<uid>", with a hash of the profile folder appended when one is given, so
/// every user and every private profile has its own office.
std::string defaultPipeName(const std::string& profileFolder);

/// CalcAutomation through the C++ UNO runtime. connect() reaches an office listening on the
/// pipe or starts one. Failures of the office come out as OfficeError carrying the office's own
/// message (or the UNO exception's type name when the office gives no message).
///
/// Beyond the single-cell operations, sheets read a block of shown texts through the office's
/// "as shown" CSV export of that sheet (LibreOffice 7.2 or newer) and write blocks with
/// setDataArray, which stores texts exactly as setString does. storeToFile writes .csv from
/// the first sheet. Document::close() is XCloseable::close(false): the document closes unsaved
/// unless a listener vetoes, which fails.
class UnoAutomation final : public CalcAutomation {
public:
    explicit UnoAutomation(OfficeOptions options = OfficeOptions::fromEnvironment());
    ~UnoAutomation() override;
    UnoAutomation(const UnoAutomation&) = delete;
    UnoAutomation& operator=(const UnoAutomation&) = delete;

    std::unique_ptr<Desktop> connect() override;

    /// Whether the last connect() had to start the office.
    bool startedOffice() const;
    /// The process (and process group) id of the office this object started, which its
    /// destructor ends (see keepStartedOffice); none when it reached a running office.
    std::optional<int> startedOfficeId() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace gridwork
