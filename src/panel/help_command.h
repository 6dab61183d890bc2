#pragma once

// "Help": where to send questions.

#include "panel/command_context.h"
#include "shell/step_trap.h"

#include <QString>

namespace gridwork {

/// The help message, ending with the maker's contact page.
QString helpText();

/// PushButton3_Click (step 100): shows the help message.
void showHelp(StepTrap& trap, const CommandContext& context);

} // namespace gridwork
