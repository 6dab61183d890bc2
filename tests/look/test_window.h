#pragma once

// A small stand-in for the main window: the same kinds of controls, names and places, built
// without the rest of the program.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <memory>
#include <vector>

namespace gridwork::test {

struct TablePanel {
    QGroupBox* frame = nullptr;
    QPushButton* browse = nullptr;
    QLineEdit* path = nullptr;
    std::vector<QLabel*> labels;
    std::vector<QLineEdit*> numbers;
};

struct TestWindow {
    std::unique_ptr<QWidget> window;
    QPushButton* help = nullptr;
    QPushButton* sample = nullptr;
    QPushButton* start = nullptr;
    TablePanel table1;
    TablePanel table2;

    std::vector<QPushButton*> buttons() const {
        return {help, sample, table1.browse, start, table2.browse};
    }
};

inline TablePanel buildPanel(QWidget& window, int number, int top) {
    TablePanel panel;
    panel.frame = new QGroupBox(QString("Table #%1").arg(number), &window);
    panel.frame->setObjectName(QString("Frame%1").arg(number));
    panel.frame->setGeometry(8, top, 520, 143);
    auto* const pathLabel = new QLabel("Calc File:", panel.frame);
    pathLabel->setGeometry(10, 24, 90, 20);
    panel.labels.push_back(pathLabel);
    panel.path = new QLineEdit(panel.frame);
    panel.path->setObjectName(QString("Text%1").arg(number));
    panel.path->setGeometry(104, 24, 360, 22);
    panel.browse = new QPushButton("...", panel.frame);
    panel.browse->setObjectName(number == 1 ? "PushButton4" : "PushButton6");
    panel.browse->setGeometry(470, 23, 40, 24);
    const char* const captions[] = {
        "Sheet Number:", "Row From:", "Row To:", "Column From:", "Column To:"};
    const char* const names[] = {"txtSheet", "txtRowFrom", "txtRowTo", "txtColumnFrom",
                                 "txtColumnTo"};
    for (int i = 0; i < 5; ++i) {
        const int left = i == 0 ? 10 : 10 + 170 * ((i - 1) / 2);
        const int row = i == 0 ? 56 : 84 + 28 * ((i - 1) % 2);
        auto* const label = new QLabel(captions[i], panel.frame);
        label->setGeometry(left, row, 90, 20);
        panel.labels.push_back(label);
        auto* const field = new QLineEdit("1", panel.frame);
        field->setObjectName(QString("%1%2").arg(names[i]).arg(number));
        field->setGeometry(left + 94, row, 60, 22);
        panel.numbers.push_back(field);
    }
    return panel;
}

inline QPushButton* buildButton(QWidget& window, const char* name, const char* caption,
                                const QRect& place) {
    auto* const button = new QPushButton(caption, &window);
    button->setObjectName(name);
    button->setGeometry(place);
    return button;
}

/// The window with its design-time white background.
inline TestWindow buildTestWindow() {
    TestWindow built;
    built.window = std::make_unique<QWidget>();
    QWidget& window = *built.window;
    window.setObjectName("Form1");
    window.setFixedSize(536, 368);
    QPalette white = window.palette();
    white.setColor(QPalette::Window, Qt::white);
    window.setPalette(white);
    window.setAutoFillBackground(true);
    built.help = buildButton(window, "PushButton3", "Help", {8, 8, 256, 27});
    built.sample =
        buildButton(window, "PushButton1", "Load Sample/Example Data", {272, 8, 256, 27});
    built.table1 = buildPanel(window, 1, 38);
    built.table2 = buildPanel(window, 2, 183);
    built.start = buildButton(window, "PushButton5", "Start Joining", {8, 333, 520, 27});
    return built;
}

} // namespace gridwork::test
