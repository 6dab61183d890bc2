#include "panel/file_selection.h"

#include <QLineEdit>

namespace gridwork {

void selectCalcFile(StepTrap& trap, const CommandContext& context, TablePanel& panel) {
    OpenFileRequest commonDialog1;
    commonDialog1.owner = context.owner;
    QString chosen;
    trap.step(100, [&] { commonDialog1.fileName.clear(); });
    trap.step(102, [&] { commonDialog1.flags = selectFileFlags; });
    trap.step(104, [&] { commonDialog1.title = QString::fromLatin1(selectFileTitle); });
    trap.step(106, [&] { commonDialog1.filter = QString::fromLatin1(calcFileFilter); });
    trap.step(108, [&] { chosen = context.dialogs.openFileName(commonDialog1); });
    if (trap.test(110, [&] { return chosen.isEmpty(); })) {
        return;
    }
    trap.step(112, [&] { panel.pathField()->setText(chosen); });
    const auto numbers = panel.numberFieldsInResetOrder();
    trap.step(116, [&] { numbers[0]->setText(QStringLiteral("1")); });
    trap.step(118, [&] { numbers[1]->setText(QStringLiteral("1")); });
    trap.step(120, [&] { numbers[2]->setText(QStringLiteral("1")); });
    trap.step(122, [&] { numbers[3]->setText(QStringLiteral("1")); });
    trap.step(124, [&] { numbers[4]->setText(QStringLiteral("1")); });
}

} // namespace gridwork
