#include "look/pointer_feedback.h"

#include <QEvent>
#include <QSinglePointEvent>
#include <stdexcept>
#include <string>

namespace gridwork {

BusyCursorHold::BusyCursorHold(QWidget& window) {
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    widgets.prepend(&window);
    for (QWidget* widget : widgets) {
        // A message box or dialog parented to the window keeps its own pointer.
        if (widget->window() != &window) {
            continue;
        }
        const bool hasOwn = widget->testAttribute(Qt::WA_SetCursor);
        if (widget != &window && !hasOwn) {
            continue; // inherits the window's cursor
        }
        saved_.push_back(
            {widget, hasOwn ? std::optional<QCursor>(widget->cursor()) : std::nullopt});
        widget->setCursor(Qt::WaitCursor);
    }
}

BusyCursorHold::~BusyCursorHold() {
    for (const Saved& saved : saved_) {
        QWidget* const widget = saved.widget.data();
        // A control that chose another cursor meanwhile keeps it.
        if (widget == nullptr || widget->cursor().shape() != Qt::WaitCursor) {
            continue;
        }
        if (saved.own) {
            widget->setCursor(*saved.own);
        } else {
            widget->unsetCursor();
        }
    }
}

PointerFeedback::PointerFeedback(QWidget* window) : QObject(window), window_(window) {
    showMode();
}

void PointerFeedback::setMode(int mode) {
    if (mode != ArrowPointer && mode != BusyPointer && mode != CustomPointer) {
        throw std::runtime_error("The window pointer mode " + std::to_string(mode) +
                                 " is unknown; the modes are 0 (arrow), 11 (busy) and 99 (hand).");
    }
    mode_ = mode;
    showMode();
}

void PointerFeedback::setCustomPointer(const QCursor& cursor) {
    custom_ = cursor;
    hasCustom_ = true;
    showMode();
}

void PointerFeedback::watchAsButton(QWidget* widget) {
    watch(widget, CustomPointer);
}

void PointerFeedback::watchAsArrowArea(QWidget* widget) {
    watch(widget, ArrowPointer);
}

void PointerFeedback::watch(QWidget* widget, int targetMode) {
    if (widget == nullptr) {
        return;
    }
    if (!targets_.contains(widget)) {
        widget->installEventFilter(this);
        connect(widget, &QObject::destroyed, this,
                [this](QObject* gone) { targets_.remove(gone); });
    }
    targets_.insert(widget, targetMode);
    // Without tracking, Qt delivers pointer moves only while a mouse button is held.
    widget->setMouseTracking(true);
}

bool PointerFeedback::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::HoverMove && type != QEvent::Enter) {
        return false;
    }
    const auto target = targets_.constFind(watched);
    const auto* pointer = dynamic_cast<const QSinglePointEvent*>(event);
    if (target == targets_.cend() || pointer == nullptr) {
        return false;
    }
    // Pointer events travel up to the parents of the control under the pointer, so a frame also
    // sees the moves over the number fields inside it; those fields must change nothing, so a
    // control answers only for its own area.
    const auto* widget = static_cast<const QWidget*>(watched);
    if (widget->childAt(pointer->position().toPoint()) != nullptr) {
        return false;
    }
    if (mode_ != BusyPointer) {
        setMode(target.value());
    }
    return false;
}

void PointerFeedback::showMode() {
    if (mode_ == BusyPointer) {
        if (!busy_ && window_ != nullptr) {
            busy_.emplace(*window_);
        }
        return;
    }
    busy_.reset();
    if (window_ != nullptr) {
        window_->setCursor(mode_ == CustomPointer && hasCustom_ ? custom_
                                                                : QCursor(Qt::ArrowCursor));
    }
}

} // namespace gridwork
