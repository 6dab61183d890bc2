#include "look/pointer_feedback.h"
#include "test_window.h"

#include <QBitmap>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <stdexcept>
#include <utility>
#include <vector>

namespace gridwork {
namespace {

// Records where pointer moves arrive. Offscreen they arrive at once; on a real display (Xvfb) they
// come back from the server later, and a step of a test must wait for its own move.
class MoveLog : public QObject {
public:
    bool arrived(const QWidget* widget, QPoint at) const {
        return std::find(moves_.begin(), moves_.end(), std::pair(widget, at)) != moves_.end();
    }
    void clear() { moves_.clear(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::MouseMove && watched->isWidgetType()) {
            moves_.emplace_back(static_cast<const QWidget*>(watched),
                                static_cast<QMouseEvent*>(event)->position().toPoint());
        }
        return false;
    }

private:
    std::vector<std::pair<const QWidget*, QPoint>> moves_;
};

class PointerFeedbackTest : public ::testing::Test {
protected:
    void SetUp() override {
        feedback = new PointerFeedback(form.window.get());
        for (QPushButton* button : form.buttons()) {
            feedback->watchAsButton(button);
        }
        feedback->watchAsArrowArea(form.window.get());
        for (const test::TablePanel* panel : {&form.table1, &form.table2}) {
            feedback->watchAsArrowArea(panel->frame);
            feedback->watchAsArrowArea(panel->path);
            for (QLabel* label : panel->labels) {
                feedback->watchAsArrowArea(label);
            }
        }
        QCursor::setPos(2000, 2000);
        form.window->move(0, 0);
        form.window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.window.get()));
        QCoreApplication::instance()->installEventFilter(&moves_);
    }

    // Each move ends at a new spot, so the pointer really moves.
    void moveOver(QWidget* widget, QPoint offset = {0, 0}) {
        ++nudge_;
        const QPoint at = QPoint(3 + nudge_ % 4, 3 + nudge_ % 3) + offset;
        moves_.clear();
        QTest::mouseMove(widget, at);
        ASSERT_TRUE(QTest::qWaitFor([&] { return moves_.arrived(widget, at); }))
            << "no pointer move arrived at " << widget->objectName().toStdString();
    }

    static QCursor arrow() { return QCursor(Qt::ArrowCursor); }

    test::TestWindow form = test::buildTestWindow();
    PointerFeedback* feedback = nullptr;

private:
    int nudge_ = 0;
    MoveLog moves_;
};

TEST_F(PointerFeedbackTest, StartsWithTheArrow) {
    EXPECT_EQ(feedback->mode(), ArrowPointer);
    EXPECT_EQ(form.window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_FALSE(feedback->hasCustomPointer());
}

TEST_F(PointerFeedbackTest, ButtonsSetTheHandAndEveryArrowAreaSetsTheArrow) {
    const std::vector<std::pair<const char*, QWidget*>> arrowAreas{
        {"window background", form.window.get()},
        {"frame", form.table2.frame},
        {"path field", form.table1.path},
        {"label", form.table1.labels[3]},
        {"label in table 2", form.table2.labels[0]},
    };
    for (QPushButton* button : form.buttons()) {
        for (const auto& [what, area] : arrowAreas) {
            moveOver(button);
            EXPECT_EQ(feedback->mode(), CustomPointer) << button->objectName().toStdString();
            moveOver(area, area == form.window.get() ? QPoint(0, 24) : QPoint());
            EXPECT_EQ(feedback->mode(), ArrowPointer)
                << what << " after " << button->objectName().toStdString();
        }
    }
}

TEST_F(PointerFeedbackTest, NumberFieldsLeaveTheModeAsItWas) {
    for (QLineEdit* field : form.table1.numbers) {
        moveOver(form.start);
        moveOver(field);
        moveOver(field);
        EXPECT_EQ(feedback->mode(), CustomPointer) << field->objectName().toStdString();
        moveOver(form.table1.labels[0]);
        moveOver(field);
        EXPECT_EQ(feedback->mode(), ArrowPointer) << field->objectName().toStdString();
    }
}

TEST_F(PointerFeedbackTest, MovesChangeNothingWhileBusyAndTheHandReturnsAfter) {
    feedback->setMode(BusyPointer);
    for (QWidget* widget :
         std::vector<QWidget*>{form.help, form.table1.labels[1], form.table1.path,
                               form.table2.frame, form.table2.numbers[2], form.start}) {
        moveOver(widget);
        EXPECT_EQ(feedback->mode(), BusyPointer) << widget->objectName().toStdString();
    }
    feedback->setMode(ArrowPointer);
    EXPECT_EQ(feedback->mode(), ArrowPointer);
    moveOver(form.sample);
    EXPECT_EQ(feedback->mode(), CustomPointer);
}

TEST_F(PointerFeedbackTest, BusyPointerCoversButtonsAndFieldsAndIsTakenBackAfter) {
    feedback->setMode(BusyPointer);
    EXPECT_EQ(form.window->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form.start->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form.table1.labels[0]->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form.table1.path->cursor().shape(), Qt::WaitCursor);
    EXPECT_EQ(form.table2.numbers[4]->cursor().shape(), Qt::WaitCursor);

    feedback->setMode(ArrowPointer);
    EXPECT_EQ(form.window->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(form.start->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(form.table1.path->cursor().shape(), Qt::IBeamCursor);
    EXPECT_EQ(form.table2.numbers[4]->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(PointerFeedbackTest, BusyPointerLeavesDialogsAndLaterCursorChoicesAlone) {
    auto* const dialog = new QWidget(form.window.get(), Qt::Dialog);
    auto* const dialogField = new QLineEdit(dialog);
    feedback->setMode(BusyPointer);
    feedback->setMode(BusyPointer);
    EXPECT_EQ(dialog->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(dialogField->cursor().shape(), Qt::IBeamCursor);
    // A field that picks its own cursor during the run keeps it afterwards.
    form.table1.numbers[0]->setCursor(Qt::ForbiddenCursor);
    feedback->setMode(CustomPointer);
    EXPECT_EQ(form.table1.numbers[0]->cursor().shape(), Qt::ForbiddenCursor);
    EXPECT_EQ(form.table1.numbers[1]->cursor().shape(), Qt::IBeamCursor);
}

TEST_F(PointerFeedbackTest, BusyPointerIsTakenBackWhenTheFeedbackGoes) {
    feedback->setMode(BusyPointer);
    delete feedback;
    EXPECT_EQ(form.table1.path->cursor().shape(), Qt::IBeamCursor);
    EXPECT_NE(form.window->cursor().shape(), Qt::WaitCursor);
}

TEST_F(PointerFeedbackTest, HandModeShowsTheArrowUntilAnImageIsSetAndTheImageAfter) {
    moveOver(form.help);
    EXPECT_EQ(feedback->mode(), CustomPointer);
    EXPECT_EQ(form.window->cursor().shape(), Qt::ArrowCursor);

    QPixmap image(16, 16);
    image.fill(Qt::red);
    feedback->setCustomPointer(QCursor(image, 2, 3));
    EXPECT_TRUE(feedback->hasCustomPointer());
    const QCursor shown = form.help->cursor();
    EXPECT_EQ(shown.shape(), Qt::BitmapCursor);
    EXPECT_EQ(shown.hotSpot(), QPoint(2, 3));
    EXPECT_EQ(shown.pixmap().toImage().pixelColor(5, 5), QColor(Qt::red));

    moveOver(form.table1.labels[2]);
    EXPECT_EQ(form.window->cursor().shape(), Qt::ArrowCursor);
    feedback->setMode(BusyPointer);
    feedback->setMode(CustomPointer);
    EXPECT_EQ(form.start->cursor().shape(), Qt::BitmapCursor);
}

TEST_F(PointerFeedbackTest, UnknownModesAreRefused) {
    moveOver(form.help);
    try {
        feedback->setMode(1);
        FAIL() << "mode 1 was taken";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "The window pointer mode 1 is unknown; the modes are 0 (arrow), "
                               "11 (busy) and 99 (hand).");
    }
    EXPECT_EQ(feedback->mode(), CustomPointer);
}

TEST_F(PointerFeedbackTest, ControlsThatGoAwayAreForgotten) {
    auto* const extra = new QPushButton("extra", form.window.get());
    extra->setGeometry(300, 340, 40, 20);
    extra->show();
    feedback->watchAsButton(extra);
    moveOver(extra);
    EXPECT_EQ(feedback->mode(), CustomPointer);
    delete extra;
    moveOver(form.table2.labels[1]);
    EXPECT_EQ(feedback->mode(), ArrowPointer);
    feedback->watchAsButton(nullptr);
}

} // namespace
} // namespace gridwork
