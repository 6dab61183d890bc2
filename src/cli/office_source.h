#pragma once

// The office as the reader of a stack plan: with --office, every table is read through the
// installed office (which reads .xlsx and .xls too) and laid out by the same plan as the
// engine's.

#include "cli/arguments.h"
#include "cli/engine_stack.h"
#include "join/calc_automation.h"

namespace gridwork::cli {

/// Reads tables through the office, reached on first use and one file at a time; CSV inputs are
/// read as the engine reads them, asking `checkpoint` as it does. The returned reader refers to
/// office, which must outlive it.
SourceReader officeSourceReader(CalcAutomation& office, Checkpoint checkpoint = {});

} // namespace gridwork::cli
