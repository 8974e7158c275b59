#pragma once
// Every message box, modal form and common dialog (files, colour, printer, folder) goes
// through one service, so that tests can script the answers and read back every message.
#include "colors.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <qnamespace.h>

class QDialog;
class QMessageBox;
class QPrinter;
class QWidget;

namespace platform {

enum class MessageKind { Information, Warning, Error, Confirmation };

// The framework's modal results.
enum ModalResult : int {
    mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7,
};

struct FileDialogRequest {
    QString title;
    QString initialDir;     // Windows path
    QString fileName;       // proposed name (save) or preselection
    // Filters as the framework writes them: "JPEG files (*.jpg)|*.jpg|All files (*.*)|*.*".
    QString filter;
    int filterIndex = 1;
    QString defaultExt;
    bool save = false;
    bool multiSelect = false;
};

// Where a host file dialog opens and what it preselects: the request's Windows paths as host
// paths (a host dialog shown "Z:\\home\\..." would offer a name no host folder has).
struct HostFileDialogStart {
    QString directory;      // host folder, empty for the dialog's own choice
    QString selection;      // host path or bare name to preselect, empty for none
};
HostFileDialogStart hostFileDialogStart(const FileDialogRequest& request);

struct FileDialogResult {
    bool accepted = false;
    QStringList files;      // Windows paths
};

class DialogService {
public:
    virtual ~DialogService() = default;
    // Information and error boxes answer mrOk; a confirmation answers mrYes or mrNo. The text
    // is shown in the given format; plain text shows every character as it stands, so that a
    // server's reply, a file name or a caption can never become a heading or load a picture.
    virtual int showMessage(MessageKind kind, const QString& text, const QString& caption, Qt::TextFormat format) = 0;
    // Shows a form modally and returns its modal result.
    virtual int showModal(QDialog& form) = 0;
    virtual FileDialogResult chooseFiles(const FileDialogRequest& request) = 0;
    virtual std::optional<ColorRef> chooseColor(ColorRef initial) = 0;
    virtual bool choosePrinter(QPrinter& printer) = 0;
    virtual QString chooseFolder(const QString& title, const QString& initialDir) = 0; // Windows path or empty
};

// The service in force: the real one unless a test installed another.
DialogService& dialogs();
// Installs a service (nullptr puts the real one back). The caller keeps ownership.
void installDialogService(DialogService* service);

// Shortcuts for the three kinds of message boxes; the caption is the application's title.
// Their texts hold names, captions and replies from outside: they are always plain text.
void showInformation(const QString& text);
void showError(const QString& text);
bool confirm(const QString& text);
// An error box with a caption of its own, plain text too.
void showErrorCaptioned(const QString& text, const QString& caption);

// The message box the real service shows: line breaks made of carriage returns turned into
// ones the box shows, the text in the format given.
std::unique_ptr<QMessageBox> makeMessageBox(MessageKind kind, const QString& text, const QString& caption,
                                            Qt::TextFormat format, QWidget* parent = nullptr);

// The caption of message boxes (the product title, set at start-up).
void setMessageCaption(const QString& caption);
QString messageCaption();

// Converts a framework filter text ("Name|*.a;*.b|Other|*.c") to Qt's form ("Name (*.a *.b);;Other (*.c)").
QString toQtFilter(const QString& filter);

} // namespace platform
