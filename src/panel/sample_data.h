#pragma once

// "Load Sample/Example Data": the two sample spreadsheets that ship beside the program.

#include "panel/command_context.h"
#include "shell/step_trap.h"

#include <QString>

class QLineEdit;

namespace gridwork {

/// The question asked once the sample paths are in place.
inline constexpr const char* openSamplesQuestion =
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?";

/// The sample file of table 1 or 2 below the program folder.
QString sampleFilePath(const QString& programFolder, int table);
/// The samples folder, with its trailing separator.
QString samplesFolderPath(const QString& programFolder);

/// PushButton1_Click (steps 100 to 106): puts the sample paths into the path fields, then offers
/// to show the samples folder. Sheet and range fields stay as they are.
void loadSampleData(StepTrap& trap, const CommandContext& context, const QString& programFolder,
                    QLineEdit& text1, QLineEdit& text2);

} // namespace gridwork
