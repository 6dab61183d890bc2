#include "panel/help_command.h"

#include "shell/maker.h"

namespace gridwork {

QString helpText() {
    return QStringLiteral("Questions? Please contact Team Vendrasol at ") +
           QString::fromUtf8(maker::contactPage.data(),
                             static_cast<qsizetype>(maker::contactPage.size()));
}

void showHelp(StepTrap& trap, const CommandContext& context) {
    trap.step(100, [&] {
        context.dialogs.showMessage({context.owner, context.applicationTitle, helpText(),
                                     MessageIcon::None, MessageButtons::Ok});
    });
}

} // namespace gridwork
