#include "dialogs.h"

#include "drives.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>

namespace platform {

namespace {

class RealDialogs final : public DialogService {
public:
    int showMessage(MessageKind kind, const QString& message, const QString& caption, Qt::TextFormat format) override
    {
        const std::unique_ptr<QMessageBox> box = makeMessageBox(kind, message, caption, format, QApplication::activeWindow());
        const int answer = box->exec();
        if (kind != MessageKind::Confirmation) return mrOk;
        return answer == QMessageBox::Yes ? mrYes : mrNo;
    }

    int showModal(QDialog& form) override
    {
        form.setWindowModality(Qt::ApplicationModal);
        const int r = form.exec();
        // QDialog answers Accepted (1) or Rejected (0); forms that set a modal result of their
        // own with done(mr...) come through unchanged, a plain rejection is a cancel.
        return r == QDialog::Rejected ? mrCancel : r;
    }

    FileDialogResult chooseFiles(const FileDialogRequest& request) override
    {
        QFileDialog dlg(QApplication::activeWindow(), request.title);
        dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(request.save ? QFileDialog::AnyFile : (request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile));
        const HostFileDialogStart start = hostFileDialogStart(request);
        if (!start.directory.isEmpty()) dlg.setDirectory(start.directory);
        if (!start.selection.isEmpty()) dlg.selectFile(start.selection);
        if (!request.filter.isEmpty()) {
            const QStringList filters = toQtFilter(request.filter).split(QStringLiteral(";;"));
            dlg.setNameFilters(filters);
            if (request.filterIndex >= 1 && request.filterIndex <= filters.size()) dlg.selectNameFilter(filters[request.filterIndex - 1]);
        }
        if (!request.defaultExt.isEmpty()) dlg.setDefaultSuffix(request.defaultExt);
        FileDialogResult result;
        if (dlg.exec() != QDialog::Accepted) return result;
        for (const QString& f : dlg.selectedFiles()) {
            const QString w = toWindowsPath(f);
            if (!w.isEmpty()) result.files.append(w);
        }
        result.accepted = !result.files.isEmpty();
        return result;
    }

    std::optional<ColorRef> chooseColor(ColorRef initial) override
    {
        const QColor c = QColorDialog::getColor(colorToQColor(initial), QApplication::activeWindow());
        if (!c.isValid()) return std::nullopt;
        return qcolorToColor(c);
    }

    bool choosePrinter(QPrinter& printer) override
    {
        QPrintDialog dlg(&printer, QApplication::activeWindow());
        return dlg.exec() == QDialog::Accepted;
    }

    QString chooseFolder(const QString& title, const QString& initialDir) override
    {
        const QString host = QFileDialog::getExistingDirectory(QApplication::activeWindow(), title, toHostPath(initialDir));
        return host.isEmpty() ? QString() : toWindowsPath(host);
    }
};

RealDialogs& realDialogs()
{
    static RealDialogs real;
    return real;
}

DialogService* g_service = nullptr;
QString g_caption;

} // namespace

DialogService& dialogs() { return g_service ? *g_service : realDialogs(); }

void installDialogService(DialogService* service) { g_service = service; }

void setMessageCaption(const QString& caption) { g_caption = caption; }
QString messageCaption() { return g_caption.isEmpty() ? QApplication::applicationDisplayName() : g_caption; }

void showInformation(const QString& text) { dialogs().showMessage(MessageKind::Information, text, messageCaption(), Qt::PlainText); }
void showError(const QString& text) { dialogs().showMessage(MessageKind::Error, text, messageCaption(), Qt::PlainText); }
bool confirm(const QString& text)
{
    return dialogs().showMessage(MessageKind::Confirmation, text, messageCaption(), Qt::PlainText) == mrYes;
}
void showErrorCaptioned(const QString& text, const QString& caption)
{
    dialogs().showMessage(MessageKind::Error, text, caption, Qt::PlainText);
}

std::unique_ptr<QMessageBox> makeMessageBox(MessageKind kind, const QString& message, const QString& caption,
                                            Qt::TextFormat format, QWidget* parent)
{
    // Messages break lines with a carriage return alone ("...\r\rPlease restart"), which a
    // message box of the framework would not show as a line break.
    QString text = message;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox::Icon icon = QMessageBox::Information;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (kind) {
    case MessageKind::Information: break;
    case MessageKind::Warning: icon = QMessageBox::Warning; break;
    case MessageKind::Error: icon = QMessageBox::Critical; break;
    case MessageKind::Confirmation:
        icon = QMessageBox::Question;
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    }
    auto box = std::make_unique<QMessageBox>(icon, caption, QString(), buttons, parent);
    box->setTextFormat(format);
    box->setText(text);
    return box;
}

HostFileDialogStart hostFileDialogStart(const FileDialogRequest& request)
{
    HostFileDialogStart start;
    start.directory = request.initialDir.isEmpty() ? QString() : toHostPath(request.initialDir);
    const QString& name = request.fileName;
    const bool isPath = name.contains(u'\\') || name.contains(u'/') || (name.size() >= 2 && name[1] == u':');
    if (!isPath) {
        start.selection = name;
    } else if (const QString host = toHostPath(name); !host.isEmpty()) {
        start.selection = host;
        if (start.directory.isEmpty()) start.directory = QFileInfo(host).absolutePath();
    }
    return start;
}

QString toQtFilter(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList out;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts[i].trimmed();
        QString patterns = parts[i + 1].trimmed();
        patterns.replace(u';', u' ');
        // Qt reads the patterns from the parentheses; drop the ones the name already shows.
        const qsizetype paren = name.indexOf(u'(');
        if (paren >= 0) name = name.left(paren).trimmed();
        out.append(name + QStringLiteral(" (") + patterns + u')');
    }
    return out.join(QStringLiteral(";;"));
}

} // namespace platform
