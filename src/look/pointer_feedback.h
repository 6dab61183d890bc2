#pragma once

// The window pointer mode and the hover rule: a hand over push buttons, the arrow over the
// window background, labels, path fields and frames, and the busy pointer left alone.
//
// How the modes show: 0 and 99 are the main window's own cursor, which every control without a
// cursor of its own inherits (buttons, labels, frames). Text fields keep their I-beam in those
// modes, as text fields do everywhere. Mode 11 must win over everything in the window, the
// I-beam of the fields included, yet not over a message box shown during a run, so it is set on
// the window and on every control in it that has a cursor of its own, and taken back after.

#include <QCursor>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QWidget>
#include <optional>
#include <vector>

namespace gridwork {

/// Pointer modes of the main window.
enum PointerMode : int { ArrowPointer = 0, BusyPointer = 11, CustomPointer = 99 };

/// Shows the busy cursor over a window and all its controls for as long as it lives.
class BusyCursorHold {
public:
    explicit BusyCursorHold(QWidget& window);
    ~BusyCursorHold();
    BusyCursorHold(const BusyCursorHold&) = delete;
    BusyCursorHold& operator=(const BusyCursorHold&) = delete;

private:
    struct Saved {
        QPointer<QWidget> widget;
        std::optional<QCursor> own;
    };
    std::vector<Saved> saved_;
};

class PointerFeedback : public QObject {
    Q_OBJECT
public:
    /// window: the main window whose pointer this object drives; it becomes the parent.
    explicit PointerFeedback(QWidget* window);

    int mode() const noexcept { return mode_; }
    /// Sets the window's pointer mode and shows it (the busy pointer over the whole window).
    /// Throws std::runtime_error for a mode other than 0, 11 and 99.
    void setMode(int mode);

    /// The image of mode 99; until it is set, mode 99 shows the arrow.
    void setCustomPointer(const QCursor& cursor);
    bool hasCustomPointer() const noexcept { return hasCustom_; }

    /// Pointer movement over `widget` sets mode 99 (push buttons).
    void watchAsButton(QWidget* widget);
    /// Pointer movement over `widget` sets mode 0 (background, labels, path fields, frames).
    void watchAsArrowArea(QWidget* widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* widget, int targetMode);
    void showMode();

    QPointer<QWidget> window_;
    int mode_ = ArrowPointer;
    QCursor custom_;
    bool hasCustom_ = false;
    QHash<const QObject*, int> targets_;
    std::optional<BusyCursorHold> busy_;
};

} // namespace gridwork
