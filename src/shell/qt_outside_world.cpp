#include "shell/qt_outside_world.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QStringList>
#include <QTime>
#include <QUrl>

namespace gridwork {

MessageAnswer QtDialogs::showMessage(const MessageRequest& request) {
    QMessageBox box(request.owner);
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
    dialog.selectFile(request.fileName);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? QString() : files.first();
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
