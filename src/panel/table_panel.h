#pragma once

// One table panel of the main window: the frame "Table #n" with the file path, sheet number and
// cell range fields, their captions and the browse button, and the behaviour of the fields.

#include <QObject>
#include <QString>
#include <array>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace gridwork {

/// When the sheet field of a panel runs its check: "Table #2" checks on every change.
enum class SheetCheck { OnFocusLoss, OnChange };

/// Shows a field check's message and returns when the user has closed it.
using FieldMessage = std::function<void(const QString& message)>;

class TablePanel : public QObject {
    Q_OBJECT
public:
    /// Builds panel `table` (1 or 2) on `window` with its frame's top at `frameTopTwips`. Its six
    /// captions are elements firstLabelIndex.. of the label array "Label2".
    TablePanel(QWidget& window, int table, int frameTopTwips, int firstLabelIndex,
               SheetCheck sheetCheck, FieldMessage showMessage);

    QGroupBox* frame() const noexcept { return frame_; }
    QLineEdit* pathField() const noexcept { return fields_[0]; }
    QLineEdit* sheetField() const noexcept { return fields_[1]; }
    QPushButton* browseButton() const noexcept { return browse_; }

    /// Path, sheet, row from, row to, column from, column to: the Tab key's order.
    const std::array<QLineEdit*, 6>& fields() const noexcept { return fields_; }
    const std::array<QLabel*, 6>& labels() const noexcept { return labels_; }
    /// The sheet and range fields in the order start-up and a chosen file set them to "1".
    std::array<QLineEdit*, 5> numberFieldsInResetOrder() const;

    /// The field check on one sheet or range field: shows the message of a failing entry and
    /// puts the focus back into the field, its text selected. True when the entry passed.
    bool checkField(QLineEdit* field);
    /// Runs the check of this panel's focused field now, before a click moves the focus to
    /// `target`, as the system does when a click takes the focus. False when the entry failed:
    /// its message has been shown and the click must be dropped.
    bool checkBeforeFocusMovesTo(const QWidget* target);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool checksOnFocusLoss(const QObject* field) const;

    QGroupBox* frame_ = nullptr;
    QPushButton* browse_ = nullptr;
    std::array<QLineEdit*, 6> fields_{};
    std::array<QLabel*, 6> labels_{};
    SheetCheck sheetCheck_;
    FieldMessage showMessage_;
};

} // namespace gridwork
