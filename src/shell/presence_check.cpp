#include "shell/presence_check.h"

#include "shell/maker.h"

namespace gridwork {

namespace {

QString qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool officeReachable(CalcAutomation& office) noexcept {
    try {
        return office.connect() != nullptr;
    } catch (...) {
        // Not reaching the office is how a missing office shows itself; the user gets the
        // question below instead of an error report.
        return false;
    }
}

} // namespace

QString officeMissingText() {
    return QStringLiteral("Error 214878392") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("OpenOffice is required to run this software. It is not installed on "
                          "this computer.") +
           QStringLiteral("\r\r") + QStringLiteral("Woud you like to open this site now?") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("(If you think this error is a mistake and you have OpenOffice "
                          "installed, please email a screenshot of this error message and a "
                          "screenshot of the OpenOffice 'About' window to ") +
           qstring(maker::supportEmail) + QStringLiteral(")");
}

bool checkOpenOffice(CalcAutomation& office, Dialogs& dialogs, DesktopShell& shell, QWidget* owner,
                     const QString& applicationTitle) {
    if (officeReachable(office)) {
        return true;
    }
    try {
        const MessageRequest question{owner, applicationTitle, officeMissingText(),
                                      MessageIcon::None, MessageButtons::YesNo};
        if (dialogs.showMessage(question) == MessageAnswer::Yes) {
            shell.openWebPage(qstring(maker::officeDownloadPage));
        }
    } catch (...) {
        // The program ends either way; a box or browser that fails changes nothing about that.
    }
    return false;
}

} // namespace gridwork
