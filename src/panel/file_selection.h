#pragma once

// The "..." button of a table panel: choose the Calc file of that table.

#include "panel/command_context.h"
#include "panel/table_panel.h"
#include "shell/step_trap.h"

namespace gridwork {

inline constexpr const char* selectFileTitle = "Select Excel File";
inline constexpr const char* calcFileFilter = "All Calc Files (*.ods)";
/// Read-only box ticked, Explorer style, long file names.
inline constexpr unsigned selectFileFlags = 2621441;

/// PushButton4_Click / PushButton6_Click (steps 100 to 124): asks for a file; a chosen file goes
/// into the panel's path field and puts its sheet and range fields back to "1". Cancelling
/// changes nothing.
void selectCalcFile(StepTrap& trap, const CommandContext& context, TablePanel& panel);

} // namespace gridwork
