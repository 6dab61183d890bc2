#include "panel/table_panel.h"

#include "panel/field_check.h"
#include "shell/form_metrics.h"

#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <limits>

namespace gridwork {

namespace {

struct FieldPlace {
    const char* name; // designer name without the table number
    const char* caption;
    QRect field;      // twips, inside the frame
    int captionLeft;  // twips
    int captionRight; // twips: where the caption must end to leave the field clear
};

// Path, sheet, row from, row to, column from, column to: the Tab key's order.
const std::array<FieldPlace, 6> places{{
    {"Text", "Calc File:", {1560, 240, 5280, 330}, 225, 1530},
    {"txtSheet", "Sheet Number:", {1560, 720, 1140, 330}, 225, 1530},
    {"txtRowFrom", "Row From:", {1560, 1200, 1140, 330}, 225, 1530},
    {"txtRowTo", "Row To:", {3960, 1200, 1140, 330}, 2925, 3930},
    {"txtColumnFrom", "Column From:", {1560, 1680, 1140, 330}, 225, 1530},
    {"txtColumnTo", "Column To:", {3960, 1680, 1140, 330}, 2925, 3930},
}};

constexpr int captionHeightTwips = 225;

// A frame as the window was designed: its caption sits on the top line, so the path field below
// it stays clear of the line. A skinned window draws its frames as the skin's style sheet says.
class FrameBox final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!window()->styleSheet().isEmpty() || !styleSheet().isEmpty()) {
            QGroupBox::paintEvent(event);
            return;
        }
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int lineTop = metrics.height() / 2;
        const QRect border = rect().adjusted(0, lineTop, -1, -1);
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(border);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(border.adjusted(1, 1, 1, 1));
        const int captionLeft = 8;
        const QRect caption(captionLeft, 0, metrics.horizontalAdvance(title()) + 4,
                            metrics.height());
        painter.fillRect(caption, palette().color(QPalette::Window));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(caption, Qt::AlignCenter, title());
    }
};

void setWhiteBackground(QWidget& widget) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget.setPalette(palette);
}

// Window activation and pop-ups move the focus too, but only a move between the window's own
// controls counts as entering or leaving a field.
bool focusMovedWithinWindow(const QEvent* event) {
    if (event->type() != QEvent::FocusIn && event->type() != QEvent::FocusOut) {
        return false;
    }
    const auto reason = static_cast<const QFocusEvent*>(event)->reason();
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

TablePanel::TablePanel(QWidget& window, int table, int frameTopTwips, int firstLabelIndex,
                       SheetCheck sheetCheck, FieldMessage showMessage)
    : QObject(&window), sheetCheck_(sheetCheck), showMessage_(std::move(showMessage)) {
    const QString number = QString::number(table);
    frame_ = new FrameBox(QStringLiteral("Table #") + number, &window);
    frame_->setObjectName(QStringLiteral("Frame") + number);
    frame_->setGeometry(twipRect(120, frameTopTwips, 7800, 2145));
    frame_->setFont(windowFont());
    setWhiteBackground(*frame_);
    frame_->setAutoFillBackground(true);

    for (std::size_t i = 0; i < places.size(); ++i) {
        const FieldPlace& place = places[i];
        auto* field = new QLineEdit(frame_);
        field->setObjectName(QString::fromLatin1(place.name) + number);
        field->setGeometry(
            twipRect(place.field.x(), place.field.y(), place.field.width(), place.field.height()));
        field->setFont(windowFont());
        // Qt stops a field at 32,767 characters; a path or an entry may be any length.
        field->setMaxLength(std::numeric_limits<int>::max());
        field->installEventFilter(this);
        fields_[i] = field;

        auto* label = new QLabel(QString::fromLatin1(place.caption), frame_);
        label->setObjectName(QStringLiteral("Label2"));
        label->setProperty("index", firstLabelIndex + static_cast<int>(i));
        const int captionTop = place.field.y() + (place.field.height() - captionHeightTwips) / 2;
        label->setGeometry(twipRect(place.captionLeft, captionTop,
                                    place.captionRight - place.captionLeft, captionHeightTwips));
        label->setFont(windowFont());
        // Captions show their frame's background rather than painting a box of their own, so
        // they match the frame whatever shade the style gives its inside.
        setWhiteBackground(*label);
        // Screen readers announce a field by its caption, and say which table it belongs to;
        // without a buddy they would name every field after its frame only.
        label->setBuddy(field);
        field->setAccessibleName(QString::fromLatin1(place.caption).chopped(1));
        field->setAccessibleDescription(frame_->title());
        labels_[i] = label;
    }

    browse_ = new QPushButton(QStringLiteral("..."), frame_);
    browse_->setObjectName(table == 1 ? QStringLiteral("PushButton4")
                                      : QStringLiteral("PushButton6"));
    browse_->setGeometry(twipRect(6960, 240, 555, 345));
    browse_->setFont(buttonFont());
    browse_->setAutoDefault(true);
    browse_->setAccessibleName(QStringLiteral("Browse for the Calc file of ") + frame_->title());

    if (sheetCheck_ == SheetCheck::OnChange) {
        connect(sheetField(), &QLineEdit::textChanged, this, [this] { checkField(sheetField()); });
    }
}

std::array<QLineEdit*, 5> TablePanel::numberFieldsInResetOrder() const {
    return {fields_[1], fields_[3], fields_[2], fields_[5], fields_[4]};
}

bool TablePanel::checkField(QLineEdit* field) {
    const QString message = fieldCheckMessage(field->text(), QLocale());
    if (message.isEmpty()) {
        return true;
    }
    showMessage_(message);
    field->setFocus(Qt::OtherFocusReason);
    // Under a window manager the focus comes back only when the window is activated again after
    // the box, as an activation, which enters no field; the text must be selected all the same.
    // A field keeps its selection across activations, so selecting it now is enough.
    field->selectAll();
    return false;
}

bool TablePanel::checkBeforeFocusMovesTo(const QWidget* target) {
    auto* const focused = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    if (focused == nullptr || focused == target ||
        std::find(fields_.begin(), fields_.end(), focused) == fields_.end() ||
        !checksOnFocusLoss(focused)) {
        return true;
    }
    return checkField(focused);
}

bool TablePanel::checksOnFocusLoss(const QObject* field) const {
    if (field == pathField()) {
        return false;
    }
    return field != sheetField() || sheetCheck_ == SheetCheck::OnFocusLoss;
}

bool TablePanel::eventFilter(QObject* watched, QEvent* event) {
    auto* field = qobject_cast<QLineEdit*>(watched);
    if (field == nullptr || !focusMovedWithinWindow(event)) {
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::FocusIn) {
        field->selectAll();
    } else if (event->type() == QEvent::FocusOut && checksOnFocusLoss(field)) {
        // The check runs once the focus has arrived where the user sent it, so that its message
        // box and the focus moving back do not interleave with that move.
        QTimer::singleShot(0, field, [this, field] { checkField(field); });
    }
    return QObject::eventFilter(watched, event);
}

} // namespace gridwork
