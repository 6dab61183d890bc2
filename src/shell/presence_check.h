#pragma once

// The check, at the end of start-up, that an office the join run can drive is there.

#include "join/calc_automation.h"
#include "shell/outside_world.h"

#include <QString>

namespace gridwork {

/// The message a user without an office reads.
QString officeMissingText();

/// CheckOpenOffice: true when the office can be reached (the connection is let go at once).
/// Otherwise asks whether to open the office's download page, opens it on Yes, and gives false:
/// the program must then end, whatever the answer. Never throws and never reports an error.
bool checkOpenOffice(CalcAutomation& office, Dialogs& dialogs, DesktopShell& shell, QWidget* owner,
                     const QString& applicationTitle);

} // namespace gridwork
