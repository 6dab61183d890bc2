#include "shell/qt_outside_world.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QStringList>
#include <QTime>
#include <QUrl>
#include <algorithm>

namespace gridwork {

namespace {

// Qt wraps every text wider than 500 pixels. A message of one line (the help's address) keeps
// its line while it fits on the screen, as the system's own message boxes keep it.
class MessageBox final : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        auto* label = findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        if (label == nullptr || !label->wordWrap() || label->text().contains(QLatin1Char('\n'))) {
            return;
        }
        label->setWordWrap(false);
        layout()->activate();
        const QSize oneLine = layout()->totalMinimumSize();
        if (oneLine.width() > screen()->availableGeometry().width()) {
            label->setWordWrap(true);
            return;
        }
        setFixedSize(std::max(width(), oneLine.width()), oneLine.height());
    }
};

} // namespace

MessageAnswer QtDialogs::showMessage(const MessageRequest& request) {
    MessageBox box(request.owner);
    box.setWindowTitle(request.title);
    box.setText(displayLineBreaks(request.text));
    box.setTextFormat(Qt::PlainText);
    box.setIcon(request.icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon);
    if (request.buttons == MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        // Closing the box any other way means No.
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
    return MessageAnswer::Ok;
}

QString QtDialogs::openFileName(const OpenFileRequest& request) {
    QFileDialog dialog(request.owner, request.title);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // AnyFile: a typed name of a file that does not exist yet is accepted, as users expect from
    // this dialog; the join run reports a missing file later.
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(request.filter);
    dialog.setOption(QFileDialog::ReadOnly, (request.flags & openReadOnly) != 0);
    // With no folder of its own the dialog opens where the user last chose a file, as the
    // Windows dialog does.
    if (!lastFolder_.isEmpty()) {
        dialog.setDirectory(lastFolder_);
    }
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    if (files.isEmpty()) {
        return {};
    }
    lastFolder_ = QFileInfo(files.first()).absolutePath();
    return files.first();
}

void QtDesktopShell::openWebPage(const QString& url) {
    QDesktopServices::openUrl(QUrl(url, QUrl::StrictMode));
}

void QtDesktopShell::openFolder(const QString& path) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

ClockSeededRandom::ClockSeededRandom()
    : engine_(static_cast<std::mt19937::result_type>(QTime::currentTime().msecsSinceStartOfDay())) {
}

int ClockSeededRandom::oneToHundred() {
    std::uniform_int_distribution<int> draw(1, 100);
    return draw(engine_);
}

QString displayLineBreaks(const QString& text) {
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return shown;
}

} // namespace gridwork
