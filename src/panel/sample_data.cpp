#include "panel/sample_data.h"

#include <QDir>
#include <QLineEdit>

namespace gridwork {

QString sampleFilePath(const QString& programFolder, int table) {
    return QDir::toNativeSeparators(programFolder + QStringLiteral("/Samples/sample") +
                                    QString::number(table) + QStringLiteral(".ods"));
}

QString samplesFolderPath(const QString& programFolder) {
    return QDir::toNativeSeparators(programFolder + QStringLiteral("/Samples/"));
}

void loadSampleData(StepTrap& trap, const CommandContext& context, const QString& programFolder,
                    QLineEdit& text1, QLineEdit& text2) {
    trap.step(100, [&] { text1.setText(sampleFilePath(programFolder, 1)); });
    trap.step(102, [&] { text2.setText(sampleFilePath(programFolder, 2)); });
    const MessageRequest question{context.owner, context.applicationTitle,
                                  QString::fromLatin1(openSamplesQuestion), MessageIcon::None,
                                  MessageButtons::YesNo};
    if (trap.test(104,
                  [&] { return context.dialogs.showMessage(question) == MessageAnswer::Yes; })) {
        trap.step(106, [&] { context.shell.openFolder(samplesFolderPath(programFolder)); });
    }
}

} // namespace gridwork
