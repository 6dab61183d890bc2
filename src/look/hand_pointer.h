#pragma once

#include "pointer_feedback.h"

#include <QString>

namespace gridwork {

/// Loads a Windows cursor file (.cur) as the custom pointer image of `feedback`.
/// Throws std::runtime_error naming the file when it is no cursor that can be loaded.
void loadHandPointer(const QString& path, PointerFeedback& feedback);

} // namespace gridwork
