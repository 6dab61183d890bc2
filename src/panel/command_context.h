#pragma once

#include "shell/outside_world.h"

#include <QString>

class QWidget;

namespace gridwork {

/// What the panel's commands use of the window's outside world.
struct CommandContext {
    Dialogs& dialogs;
    DesktopShell& shell;
    /// The main window: owner of every box and dialog.
    QWidget* owner;
    /// Title of the boxes that name no title of their own.
    QString applicationTitle;
};

} // namespace gridwork
