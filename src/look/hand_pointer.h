#pragma once

#include "look/pointer_feedback.h"

#include <QCursor>
#include <QString>

namespace gridwork {

/// Reads a Windows cursor file (.cur): its first image and the hotspot from its directory entry.
/// Throws std::runtime_error naming the file when it cannot be read or is no cursor.
QCursor readCursorFile(const QString& path);

/// Loads a Windows cursor file (.cur) as the custom pointer image of `feedback`.
/// Throws std::runtime_error naming the file when it is no cursor that can be loaded.
void loadHandPointer(const QString& path, PointerFeedback& feedback);

} // namespace gridwork
