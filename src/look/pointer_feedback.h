#pragma once

// The window pointer mode and the hover rule: a hand over push buttons, the arrow over the
// window background, labels, path fields and frames, and the busy pointer left alone.

#include <QCursor>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace gridwork {

/// Pointer modes of the main window.
enum PointerMode : int { ArrowPointer = 0, BusyPointer = 11, CustomPointer = 99 };

class PointerFeedback : public QObject {
    Q_OBJECT
public:
    /// window: the main window whose pointer this object drives; it becomes the parent.
    explicit PointerFeedback(QWidget* window);

    int mode() const noexcept { return mode_; }
    /// Sets the window's pointer mode and shows it (the busy pointer over the whole window).
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
    QPointer<QWidget> window_;
    int mode_ = ArrowPointer;
    QCursor custom_;
    bool hasCustom_ = false;
};

} // namespace gridwork
