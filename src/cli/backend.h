#pragma once

// The installed office for --office (the embedded engine needs no set-up).
//
// The office link needs the office's UNO libraries at start-up, so it lives in a companion
// executable, gridstack-office; gridstack itself then starts on machines without any office.
// `gridstack --office` hands its whole command line over to the companion.

#include "join/calc_automation.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace gridwork::cli {

/// Whether this executable carries the office link (gridstack-office does, gridstack does not).
bool hasOfficeLink();

/// The office over UNO, configured from the environment (GRIDWORK_OFFICE,
/// GRIDWORK_OFFICE_PROFILE, GRIDWORK_OFFICE_HEADLESS, GRIDWORK_OFFICE_TIMEOUT). An office that was
/// started for the run is shut down when the returned object goes, and killed when gridstack is;
/// one the user runs is reused and left running. Every call on a document is bounded by
/// documentTimeout (or GRIDWORK_OFFICE_TIMEOUT seconds); a call that waits on the office ends
/// once `stopRequested` says so. Throws std::logic_error without hasOfficeLink().
std::unique_ptr<CalcAutomation> makeInstalledOffice(std::function<bool()> stopRequested);

/// How long the office may take over each call on a document when GRIDWORK_OFFICE_TIMEOUT does
/// not say: opening a file, reading a block of its cells.
inline constexpr std::chrono::seconds documentTimeout{60};

/// Replaces this process by gridstack-office from the folder of this executable, with the same
/// arguments. Returns only when that fails, with the reason.
std::string runOfficeCompanion(char** argv);

} // namespace gridwork::cli
