#pragma once

// The real outside world: Qt's message boxes and file dialog, the desktop's browser and file
// manager, and a random draw seeded from the clock.

#include "shell/outside_world.h"

#include <random>

namespace gridwork {

class QtDialogs final : public Dialogs {
public:
    /// `folderMemory`: an INI file that keeps the folder of the last chosen file between runs;
    /// empty: the folder is kept for this run only.
    explicit QtDialogs(QString folderMemory = {});

    /// The user's own folder memory, beside the settings of the program's maker.
    static QString userFolderMemory();

    MessageAnswer showMessage(const MessageRequest& request) override;
    QString openFileName(const OpenFileRequest& request) override;

private:
    QString folderMemory_;
    /// Folder of the file the user chose last; empty until a file has been chosen.
    QString lastFolder_;
};

class QtDesktopShell final : public DesktopShell {
public:
    void openWebPage(const QString& url) override;
    void openFolder(const QString& path) override;
};

class ClockSeededRandom final : public RandomSource {
public:
    ClockSeededRandom();
    int oneToHundred() override;

private:
    std::mt19937 engine_;
};

/// The text as a message box shows it: the program's texts break lines with CR LF and with a
/// lone CR, which a Qt label would not break at.
QString displayLineBreaks(const QString& text);

} // namespace gridwork
