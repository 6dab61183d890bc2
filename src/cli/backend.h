#pragma once

// The installed office for --office (the embedded engine needs no set-up).
//
// The office link needs the office's UNO libraries at start-up, so it lives in a companion
// executable, gridstack-office; gridstack itself then starts on machines without any office.
// `gridstack --office` hands its whole command line over to the companion.

#include "join/calc_automation.h"

#include <memory>
#include <string>

namespace gridwork::cli {

/// Whether this executable carries the office link (gridstack-office does, gridstack does not).
bool hasOfficeLink();

/// The office over UNO, configured from the environment (GRIDWORK_OFFICE,
/// GRIDWORK_OFFICE_PROFILE, GRIDWORK_OFFICE_HEADLESS). An office that was started for the run is
/// shut down when the returned object goes; one the user runs is reused and left running. Throws
/// std::logic_error without hasOfficeLink().
std::unique_ptr<CalcAutomation> makeInstalledOffice();

/// Replaces this process by gridstack-office from the folder of this executable, with the same
/// arguments. Returns only when that fails, with the reason.
std::string runOfficeCompanion(char** argv);

} // namespace gridwork::cli
