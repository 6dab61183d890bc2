#pragma once

// Geometry and fonts of the main window. Geometry is given in twips and laid out at 15 twips per
// pixel.

#include <QFont>
#include <QRect>
#include <QString>

namespace gridwork {

inline constexpr int twipsPerPixel = 15;

constexpr int pixels(int twips) {
    return twips / twipsPerPixel;
}

constexpr QRect twipRect(int left, int top, int width, int height) {
    return {pixels(left), pixels(top), pixels(width), pixels(height)};
}

/// The window's own font, used by its frames, captions and fields: Arial 9 pt bold.
inline QFont windowFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(9.0);
    font.setBold(true);
    return font;
}

/// The push buttons' font: Arial 11.25 pt bold.
inline QFont buttonFont() {
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(11.25);
    font.setBold(true);
    return font;
}

} // namespace gridwork
