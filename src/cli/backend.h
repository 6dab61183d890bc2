#pragma once

// Which office does the work: the embedded engine, or the installed office for --office.

#include "join/calc_automation.h"

#include <memory>

namespace gridwork::cli {

/// The embedded .ods engine, or with useInstalledOffice the office over UNO, configured from the
/// environment (GRIDWORK_OFFICE, GRIDWORK_OFFICE_PROFILE, GRIDWORK_OFFICE_HEADLESS). An office
/// that gridstack had to start is shut down when the returned object goes; one the user runs is
/// reused and left running. Throws std::runtime_error when this build has no office link.
std::unique_ptr<CalcAutomation> makeOffice(bool useInstalledOffice);

} // namespace gridwork::cli
