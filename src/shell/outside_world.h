#pragma once

// Everything the main window needs from outside the program: message boxes and the file dialog,
// the browser and file manager, and the chance of the home-page visit. The window only ever uses
// these interfaces, so each of its commands can run with scripted answers.

#include <QString>

class QWidget;

namespace gridwork {

enum class MessageIcon { None, Warning };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

/// One modal message box. Texts are given exactly as the program words them, CR and LF included.
struct MessageRequest {
    QWidget* owner = nullptr;
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    /// Yes/No boxes have Yes as their default button.
    MessageButtons buttons = MessageButtons::Ok;
};

/// Flag of the file-open dialog: the user may look but not change the file system (no new
/// folders, no renaming) from inside the dialog.
inline constexpr unsigned openReadOnly = 0x1;
/// Explorer-style dialog with long file names: what every dialog of ours is anyway.
inline constexpr unsigned openExplorerLongNames = 0x280000;

/// The file-open dialog. It accepts a typed name of a file that does not exist.
struct OpenFileRequest {
    QWidget* owner = nullptr;
    /// The name the dialog's file-name box starts with.
    QString fileName;
    unsigned flags = 0;
    QString title;
    /// One file type, written as "Description (*.ext)".
    QString filter;
};

class Dialogs {
public:
    virtual ~Dialogs() = default;

    /// Shows the box and waits for the user's answer.
    virtual MessageAnswer showMessage(const MessageRequest& request) = 0;
    /// The chosen file's full path, or "" when the user cancelled.
    virtual QString openFileName(const OpenFileRequest& request) = 0;
};

class DesktopShell {
public:
    virtual ~DesktopShell() = default;

    /// Opens a web page in the user's browser without waiting for it.
    virtual void openWebPage(const QString& url) = 0;
    /// Shows a folder in the user's file manager without waiting for it.
    virtual void openFolder(const QString& path) = 0;
};

/// The draw of the occasional home-page visit.
class RandomSource {
public:
    virtual ~RandomSource() = default;

    /// A whole number from 1 to 100, each equally likely.
    virtual int oneToHundred() = 0;
};

} // namespace gridwork
