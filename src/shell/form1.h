#pragma once

// The main window: start-up, the commands behind its buttons, and shutdown.

#include "join/calc_automation.h"
#include "join/join_run.h"
#include "shell/outside_world.h"
#include "shell/settings_store.h"
#include "shell/step_trap.h"

#include <QString>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

class QLineEdit;
class QPushButton;

namespace gridwork {

class PointerFeedback;
class SkinFramework;
class TablePanel;

/// Thrown by processPendingEvents when the window was closed while events ran: it unwinds the
/// join run at once. Deliberately no std::exception, so that no step trap takes it for a failure
/// of a step.
struct ProgramEnded {};

class Form1 : public QWidget, public JoinRunHost {
    Q_OBJECT
public:
    /// What the window reaches outside the program.
    struct OutsideWorld {
        Dialogs& dialogs;
        DesktopShell& shell;
        RandomSource& random;
        CalcAutomation& office;
        /// Folder of the program file: HAND-M.CUR, x/o.cjs and Samples/ are looked for there.
        QString programFolder;
        /// INI file of the settings; empty for the user's own settings store.
        QString settingsFile;
    };

    /// The window as designed, hidden; formLoad() then starts it up.
    explicit Form1(OutsideWorld world);
    ~Form1() override;

    /// Form_Load (steps 102 to 156). False when the program ended instead (no office): the
    /// window must then not be shown.
    bool formLoad();
    /// True once the program has ended (window closed, or no office at start-up).
    bool ended() const noexcept { return ended_; }
    /// Title of the boxes that name no title of their own; set by start-up.
    const QString& applicationTitle() const noexcept { return applicationTitle_; }

    /// PushButton1_Click: "Load Sample/Example Data".
    void pushButton1Click();
    /// PushButton3_Click: "Help".
    void pushButton3Click();
    /// PushButton4_Click: "..." of "Table #1".
    void pushButton4Click();
    /// PushButton5_Click: "Start Joining".
    void pushButton5Click();
    /// PushButton6_Click: "..." of "Table #2".
    void pushButton6Click();

    std::string fieldText(std::string_view objectName) const override;
    void showMessage(const std::string& text) override;
    void reportError(std::string_view handler, int step, const std::string& description) override;
    void setPointerMode(int mode) override;
    void processPendingEvents() override;

protected:
    /// Form_QueryUnload: closing the window ends the program at once.
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void setTabOrder();
    void watchPointer();
    void connectHandlers();

    /// A text field by its designer name; throws std::invalid_argument for an unknown name.
    QLineEdit& field(std::string_view objectName) const;
    StepTrap makeTrap(const char* handler);
    void showPlainMessage(const QString& text);
    void savePath(const char* key, const QString& path);
    void endProgram();

    OutsideWorld world_;
    SettingsStore settings_;
    QString applicationTitle_;
    bool ended_ = false;
    bool shownBefore_ = false;

    QPushButton* pushButton1_ = nullptr;
    QPushButton* pushButton3_ = nullptr;
    QPushButton* pushButton5_ = nullptr;
    TablePanel* table1_ = nullptr;
    TablePanel* table2_ = nullptr;
    PointerFeedback* pointer_ = nullptr;
    SkinFramework* skinFramework1_ = nullptr;

    JoinRun joinRun_;
};

} // namespace gridwork
