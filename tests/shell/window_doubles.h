#pragma once

// Test doubles of everything the main window reaches outside the program, with scripted answers,
// and a fixture that starts the window on a temporary program folder and settings file.

#include "../support/fake_office.h"
#include "join/calc_automation.h"
#include "shell/form1.h"
#include "shell/outside_world.h"

#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <vector>

namespace gridwork::testing {

class ScriptedDialogs final : public Dialogs {
public:
    enum class Reply { Yes, No, Fail };

    /// Answers of the Yes/No boxes, in order; a question without an answer fails the test.
    std::deque<Reply> replies;
    /// Answers of the file dialog, in order; "" is Cancel.
    std::deque<QString> fileNames;
    bool failFileDialog = false;
    /// Runs while a box is open, e.g. to see where the focus is at that moment.
    std::function<void(const MessageRequest&)> whileShown;

    std::vector<MessageRequest> shown;
    std::vector<OpenFileRequest> fileDialogs;

    MessageAnswer showMessage(const MessageRequest& request) override {
        shown.push_back(request);
        if (whileShown) {
            whileShown(request);
        }
        if (request.buttons == MessageButtons::Ok) {
            return MessageAnswer::Ok;
        }
        if (replies.empty()) {
            ADD_FAILURE() << "unexpected question: " << request.text.toStdString();
            return MessageAnswer::No;
        }
        const Reply reply = replies.front();
        replies.pop_front();
        if (reply == Reply::Fail) {
            throw std::runtime_error("The message box could not be shown.");
        }
        return reply == Reply::Yes ? MessageAnswer::Yes : MessageAnswer::No;
    }

    QString openFileName(const OpenFileRequest& request) override {
        fileDialogs.push_back(request);
        if (failFileDialog) {
            throw std::runtime_error("The file dialog could not be shown.");
        }
        if (fileNames.empty()) {
            ADD_FAILURE() << "unexpected file dialog";
            return {};
        }
        QString name = fileNames.front();
        fileNames.pop_front();
        return name;
    }

    QStringList texts() const {
        QStringList all;
        for (const MessageRequest& request : shown) {
            all << request.text;
        }
        return all;
    }
};

class RecordingShell final : public DesktopShell {
public:
    QStringList webPages;
    QStringList folders;
    bool fail = false;

    void openWebPage(const QString& url) override {
        if (fail) {
            throw std::runtime_error("No browser could be started.");
        }
        webPages << url;
    }
    void openFolder(const QString& path) override {
        if (fail) {
            throw std::runtime_error("No file manager could be started.");
        }
        folders << path;
    }
};

class FixedRandom final : public RandomSource {
public:
    int value = 50;
    bool fail = false;

    int oneToHundred() override {
        if (fail) {
            throw std::runtime_error("Invalid procedure call or argument");
        }
        return value;
    }
};

/// The shared office double as the window's tests use it: every file opens as a one-sheet book
/// whose first cell reads "x", unless the test takes that away; it makes no new documents.
class FakeOffice final : public test::FakeAutomation {
public:
    FakeOffice() {
        state.anyFile = std::vector<test::SheetData>{{"Sheet1", {{{0, 0}, "x"}}, {}}};
        state.makesNewDocuments = false;
    }
    int connects() { return state.calls[test::Operation::Connect]; }
};

/// A fresh window per test: program folder and settings file in a temporary folder.
class WindowTest : public ::testing::Test {
protected:
    QTemporaryDir folder;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    FixedRandom random;
    FakeOffice office;
    QString settingsFile = folder.filePath(QStringLiteral("config/Vendrasol.ini"));

    /// The window as designed, before start-up.
    std::unique_ptr<Form1> makeWindow() {
        return std::make_unique<Form1>(
            Form1::OutsideWorld{dialogs, shell, random, office, folder.path(), settingsFile});
    }

    /// The window after start-up.
    std::unique_ptr<Form1> startWindow() {
        auto window = makeWindow();
        window->formLoad();
        return window;
    }

    static QLineEdit* field(const Form1& window, const char* name) {
        auto* found = window.findChild<QLineEdit*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
};

} // namespace gridwork::testing
