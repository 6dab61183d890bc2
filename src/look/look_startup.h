#pragma once

// The first start-up steps of the main window: the hand pointer (102, 104) and the skin (106).

#include "look/pointer_feedback.h"
#include "look/window_skin.h"
#include "shell/step_trap.h"

#include <QString>
#include <QWidget>
#include <functional>

namespace gridwork {

/// Runs steps 102 to 106 of the window's start-up inside `trap`: 102 tests with `fileExists`
/// whether "HAND-M.CUR" lies in `programFolder`, 104 loads it as the custom pointer image, 106
/// applies the skin. A failing step is reported with its number and start-up goes on.
void runLookStartup(StepTrap& trap, QWidget& window, const QString& programFolder,
                    PointerFeedback& feedback, SkinFramework& skin,
                    const std::function<bool(const QString&)>& fileExists);

} // namespace gridwork
