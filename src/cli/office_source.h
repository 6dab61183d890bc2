#pragma once

// The office as the reader of a stack plan: with --office, the tables of a stack with headers,
// sources, every sheet or CSV inputs are read through the installed office (which reads .xlsx
// and .xls too) and laid out by the same plan as the engine's.

#include "cli/arguments.h"
#include "cli/engine_stack.h"
#include "join/calc_automation.h"

namespace gridwork::cli {

/// Whether the run needs the stack plan rather than the window's own join.
bool needsStackPlan(const Arguments& arguments);

/// Reads tables through the office, reached on first use and one file at a time; CSV inputs are
/// read as the engine reads them. The returned reader refers to office, which must outlive it.
SourceReader officeSourceReader(CalcAutomation& office);

} // namespace gridwork::cli
