#include "shell/qt_outside_world.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QStringList>
#include <QTime>
#include <QUrl>
#include <utility>

namespace gridwork {

namespace {

const QString lastFolderKey = QStringLiteral("File Dialog/Last Folder");

} // namespace

QtDialogs::QtDialogs(QString folderMemory) : folderMemory_(std::move(folderMemory)) {
    if (!folderMemory_.isEmpty()) {
        lastFolder_ =
            QSettings(folderMemory_, QSettings::IniFormat).value(lastFolderKey).toString();
    }
}

QString QtDialogs::userFolderMemory() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Vendrasol"),
                     QStringLiteral("File Dialog"))
        .fileName();
}

MessageAnswer QtDialogs::showMessage(const MessageRequest& request) {
    QMessageBox box(request.owner);
    box.setWindowTitle(request.title);
    if (request.text.contains(QLatin1Char('\r')) || request.text.contains(QLatin1Char('\n'))) {
        box.setTextFormat(Qt::PlainText);
        box.setText(displayLineBreaks(request.text));
    } else {
        // Qt wraps every text wider than 500 pixels, even inside a web address; a message of
        // one line keeps its line while the screen is wide enough, as the system's boxes do.
        box.setTextFormat(Qt::RichText);
        box.setText(QStringLiteral("<p style=\"white-space:nowrap\">") +
                    request.text.toHtmlEscaped() + QStringLiteral("</p>"));
    }
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
    if (!folderMemory_.isEmpty()) {
        // Losing the remembered folder costs a click next time, never the chosen file.
        QSettings(folderMemory_, QSettings::IniFormat).setValue(lastFolderKey, lastFolder_);
    }
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
