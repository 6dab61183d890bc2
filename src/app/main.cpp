// gridwork-stacker: the window that stacks two spreadsheet tables into a new one.

#include "office/uno_automation.h"
#include "shell/form1.h"
#include "shell/qt_outside_world.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);

    gridwork::UnoAutomation office;
    gridwork::QtDialogs dialogs(gridwork::QtDialogs::userFolderMemory());
    gridwork::QtDesktopShell shell;
    gridwork::ClockSeededRandom random;
    gridwork::Form1 form1({dialogs, shell, random, office, QApplication::applicationDirPath(), {}});
    if (!form1.formLoad()) {
        return 0;
    }
    form1.show();
    return QApplication::exec();
}
