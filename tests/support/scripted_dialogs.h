#pragma once
// The dialog service for tests: answers come from scripts in order, every message is recorded.
// Installed for its lifetime. A dialog that is shown without a scripted answer fails the test
// (and is answered "No" / "Cancel"), so no test ever blocks in a real modal loop.
#include "platform/dialogs.h"

#include <QList>
#include <deque>
#include <functional>

class QDialog;

namespace testsupport {

struct ShownMessage {
    platform::MessageKind kind;
    QString text;
    QString caption;
    Qt::TextFormat format;
};

class ScriptedDialogs : public platform::DialogService {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // Answers to confirmations (mrYes / mrNo), in order. Information and error boxes need none.
    std::deque<int> confirmAnswers;
    // Modal forms: each callback gets the form, may fill it and call its handlers, and returns
    // the modal result.
    std::deque<std::function<int(QDialog&)>> modalScript;
    std::deque<platform::FileDialogResult> fileAnswers;
    std::deque<std::optional<platform::ColorRef>> colorAnswers;
    std::deque<bool> printerAnswers;
    std::deque<QString> folderAnswers;

    QList<ShownMessage> messages;
    QStringList modalForms;              // objectName (or class name) of every form shown
    QList<platform::FileDialogRequest> fileRequests;

    QStringList messageTexts() const;
    void clear();

    int showMessage(platform::MessageKind kind, const QString& text, const QString& caption, Qt::TextFormat format) override;
    int showModal(QDialog& form) override;
    platform::FileDialogResult chooseFiles(const platform::FileDialogRequest& request) override;
    std::optional<platform::ColorRef> chooseColor(platform::ColorRef initial) override;
    bool choosePrinter(QPrinter& printer) override;
    QString chooseFolder(const QString& title, const QString& initialDir) override;
};

// The same, with a printer dialog that chooses a PDF file (as a user picking "print to file"
// does): when the scripted answer accepts, the printer writes `file`.
class PdfPrinterDialogs : public ScriptedDialogs {
public:
    QString file;
    bool choosePrinter(QPrinter& printer) override;
};

} // namespace testsupport
