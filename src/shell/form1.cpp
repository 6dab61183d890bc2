#include "shell/form1.h"

#include "look/hand_pointer.h"
#include "look/pointer_feedback.h"
#include "look/window_skin.h"
#include "panel/command_context.h"
#include "panel/field_check.h"
#include "panel/file_selection.h"
#include "panel/help_command.h"
#include "panel/sample_data.h"
#include "panel/table_panel.h"
#include "shell/app_title.h"
#include "shell/error_report.h"
#include "shell/file_utils.h"
#include "shell/form_metrics.h"
#include "shell/maker.h"
#include "shell/presence_check.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMouseEvent>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QWindow>
#include <stdexcept>

namespace gridwork {

namespace {

QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The icon of the menu entry, at each size it is drawn in, so that no size is scaled from another.
QIcon programIcon() {
    QIcon icon;
    QDirIterator sizes(QStringLiteral(":/gridwork/icon"), {QStringLiteral("*.png")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (sizes.hasNext()) {
        icon.addFile(sizes.next());
    }
    return icon;
}

QPushButton* makeButton(QWidget& window, const char* name, const QString& caption,
                        const QRect& place) {
    auto* button = new QPushButton(caption, &window);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(place);
    button->setFont(buttonFont());
    // Enter presses the focused button, as on Windows; Qt does that only inside dialogs.
    button->setAutoDefault(true);
    return button;
}

// A fixed window with a minimise button but no maximise button.
constexpr Qt::WindowFlags fixedWindowFlags =
    Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
    Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

} // namespace

Form1::Form1(OutsideWorld world)
    : QWidget(nullptr, fixedWindowFlags), world_(std::move(world)), settings_(world_.settingsFile),
      joinRun_(*this, world_.office) {
    setObjectName(QStringLiteral("Form1"));
    setFixedSize(pixels(8040), pixels(5520));
    setFont(windowFont());
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);
    if (const QScreen* screen = this->screen()) {
        setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                        screen->availableGeometry()));
    }
    buildControls();
    setTabOrder();
    watchPointer();
    connectHandlers();
}

Form1::~Form1() = default;

void Form1::buildControls() {
    pushButton3_ =
        makeButton(*this, "PushButton3", QStringLiteral("Help"), twipRect(120, 120, 3840, 405));
    pushButton1_ = makeButton(*this, "PushButton1", QStringLiteral("Load Sample/Example Data"),
                              twipRect(4080, 120, 3840, 405));
    const FieldMessage fieldMessage = [this](const QString& message) { showPlainMessage(message); };
    table1_ = new TablePanel(*this, 1, 570, 0, SheetCheck::OnFocusLoss, fieldMessage);
    table2_ = new TablePanel(*this, 2, 2745, 6, SheetCheck::OnChange, fieldMessage);
    pushButton5_ = makeButton(*this, "PushButton5", QStringLiteral("Start Joining"),
                              twipRect(120, 4995, 7800, 405));
    pointer_ = new PointerFeedback(this);
    skinFramework1_ = new SkinFramework(this);
    skinFramework1_->setObjectName(QStringLiteral("SkinFramework1"));
}

void Form1::setTabOrder() {
    QList<QWidget*> order;
    for (QLineEdit* field : table1_->fields()) {
        order.append(field);
    }
    for (QLineEdit* field : table2_->fields()) {
        order.append(field);
    }
    order << pushButton3_ << pushButton1_ << table1_->browseButton() << table2_->browseButton()
          << pushButton5_;
    for (qsizetype i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void Form1::watchPointer() {
    for (QPushButton* button : {pushButton1_, pushButton3_, table1_->browseButton(), pushButton5_,
                                table2_->browseButton()}) {
        pointer_->watchAsButton(button);
    }
    pointer_->watchAsArrowArea(this);
    for (const TablePanel* panel : {table1_, table2_}) {
        for (QLabel* label : panel->labels()) {
            pointer_->watchAsArrowArea(label);
        }
    }
    pointer_->watchAsArrowArea(table1_->pathField());
    pointer_->watchAsArrowArea(table2_->pathField());
    pointer_->watchAsArrowArea(table1_->frame());
    pointer_->watchAsArrowArea(table2_->frame());
}

void Form1::connectHandlers() {
    connect(pushButton1_, &QPushButton::clicked, this, &Form1::pushButton1Click);
    connect(pushButton3_, &QPushButton::clicked, this, &Form1::pushButton3Click);
    connect(table1_->browseButton(), &QPushButton::clicked, this, &Form1::pushButton4Click);
    connect(pushButton5_, &QPushButton::clicked, this, &Form1::pushButton5Click);
    connect(table2_->browseButton(), &QPushButton::clicked, this, &Form1::pushButton6Click);
    connect(table1_->pathField(), &QLineEdit::textChanged, this,
            [this](const QString& path) { savePath(settingsKeyFile1, path); });
    connect(table2_->pathField(), &QLineEdit::textChanged, this,
            [this](const QString& path) { savePath(settingsKeyFile2, path); });
}

bool Form1::formLoad() {
    StepTrap trap = makeTrap("Form_Load");
    const QString handPointerFile =
        QDir::toNativeSeparators(world_.programFolder + QStringLiteral("/HAND-M.CUR"));
    if (trap.test(102, [&] { return fileExists(handPointerFile.toStdString()); })) {
        trap.step(104, [&] { loadHandPointer(handPointerFile, *pointer_); });
    }
    trap.step(106, [&] { applySkin(*this, world_.programFolder, *skinFramework1_); });
    trap.step(108, [&] {
        if (world_.random.oneToHundred() == 7) {
            world_.shell.openWebPage(qstring(maker::homePage));
        }
    });
    trap.step(126, [&] {
        setWindowTitle(qstring(maker::productTitle));
        setWindowIcon(programIcon());
        applicationTitle_ = QString::fromStdString(gridwork::applicationTitle(maker::productTitle));
    });
    const auto putOne = [&](int step, std::string_view name) {
        trap.step(step, [&] { field(name).setText(QStringLiteral("1")); });
    };
    trap.step(128, [&] { field("Text1").setText(settings_.read(settingsKeyFile1)); });
    trap.step(130, [&] { field("Text2").setText(settings_.read(settingsKeyFile2)); });
    putOne(132, "txtSheet1");
    putOne(134, "txtRowTo1");
    putOne(136, "txtRowFrom1");
    putOne(138, "txtColumnTo1");
    putOne(140, "txtColumnFrom1");
    putOne(142, "txtSheet2");
    putOne(144, "txtRowTo2");
    putOne(146, "txtRowFrom2");
    putOne(148, "txtColumnTo2");
    putOne(150, "txtColumnFrom2");
    trap.step(156, [&] {
        if (!checkOpenOffice(world_.office, world_.dialogs, world_.shell, this,
                             applicationTitle_)) {
            endProgram();
        }
    });
    return !ended_;
}

void Form1::pushButton1Click() {
    StepTrap trap = makeTrap("PushButton1_Click");
    loadSampleData(trap, {world_.dialogs, world_.shell, this, applicationTitle_},
                   world_.programFolder, *table1_->pathField(), *table2_->pathField());
}

void Form1::pushButton3Click() {
    StepTrap trap = makeTrap("PushButton3_Click");
    showHelp(trap, {world_.dialogs, world_.shell, this, applicationTitle_});
}

void Form1::pushButton4Click() {
    StepTrap trap = makeTrap("PushButton4_Click");
    selectCalcFile(trap, {world_.dialogs, world_.shell, this, applicationTitle_}, *table1_);
}

void Form1::pushButton5Click() {
    try {
        joinRun_.pushButton5Click();
    } catch (const ProgramEnded&) {
        // The window was closed while the run let events through: the run stops where it was.
    }
}

void Form1::pushButton6Click() {
    StepTrap trap = makeTrap("PushButton6_Click");
    selectCalcFile(trap, {world_.dialogs, world_.shell, this, applicationTitle_}, *table2_);
}

QLineEdit& Form1::field(std::string_view objectName) const {
    auto* found = findChild<QLineEdit*>(qstring(objectName));
    if (found == nullptr) {
        throw std::invalid_argument("The window has no field named " + std::string(objectName) +
                                    ".");
    }
    return *found;
}

std::string Form1::fieldText(std::string_view objectName) const {
    const QString text = field(objectName).text();
    // The field check reads numbers in the user's locale ("2,5" in German); the join must read
    // them the same way, so it is handed a number field's value in the one notation it parses.
    if (objectName != "Text1" && objectName != "Text2") {
        if (const auto number = localeNumber(text, QLocale())) {
            return QString::number(*number, 'g', 17).toStdString();
        }
    }
    return text.toStdString();
}

void Form1::showMessage(const std::string& text) {
    showPlainMessage(QString::fromStdString(text));
}

void Form1::reportError(std::string_view handler, int step, const std::string& description) {
    if (ended_) {
        return;
    }
    world_.dialogs.showMessage({this, qstring(errorReportTitle),
                                QString::fromStdString(errorReportText(description, handler, step)),
                                MessageIcon::Warning, MessageButtons::Ok});
}

void Form1::setPointerMode(int mode) {
    pointer_->setMode(mode);
}

void Form1::processPendingEvents() {
    QCoreApplication::processEvents();
    if (ended_) {
        throw ProgramEnded{};
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    StepTrap trap = makeTrap("Form_QueryUnload");
    trap.step(100, [&] { endProgram(); });
    event->accept();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shownBefore_) {
        shownBefore_ = true;
        // Presses reach the window before Qt moves the focus to the control under the pointer.
        windowHandle()->installEventFilter(this);
        // The first field takes the focus with its text selected, ready to be typed over.
        table1_->pathField()->setFocus(Qt::OtherFocusReason);
        table1_->pathField()->selectAll();
    }
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched != windowHandle() || event->type() != QEvent::MouseButtonPress) {
        return QWidget::eventFilter(watched, event);
    }
    // A click that takes the focus from a sheet or range field runs that field's check first;
    // a failing entry's message takes the click, which then does nothing else.
    const auto* press = static_cast<const QMouseEvent*>(event);
    QWidget* const target = childAt(mapFromGlobal(press->globalPosition().toPoint()));
    if (target == nullptr || (target->focusPolicy() & Qt::ClickFocus) == 0 ||
        !target->isEnabled()) {
        return QWidget::eventFilter(watched, event);
    }
    if (!table1_->checkBeforeFocusMovesTo(target) || !table2_->checkBeforeFocusMovesTo(target)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

StepTrap Form1::makeTrap(const char* handler) {
    return StepTrap(handler, [this](std::string_view name, int step, const std::string& text) {
        reportError(name, step, text);
    });
}

void Form1::showPlainMessage(const QString& text) {
    if (ended_) {
        return;
    }
    world_.dialogs.showMessage(
        {this, applicationTitle_, text, MessageIcon::None, MessageButtons::Ok});
}

void Form1::savePath(const char* key, const QString& path) {
    try {
        settings_.write(QString::fromLatin1(key), path);
    } catch (const std::exception&) {
        // An unwritable store costs the remembered path, never the window or the typing: a
        // message here would interrupt every keystroke.
    }
}

void Form1::endProgram() {
    ended_ = true;
    hide();
    // Leaves every running event loop, the nested ones of open boxes included; nothing else of
    // the window runs after this.
    QCoreApplication::exit(0);
}

} // namespace gridwork
