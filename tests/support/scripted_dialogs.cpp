#include "scripted_dialogs.h"

#include <QDialog>
#include <QPrinter>
#include <gtest/gtest.h>

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() { platform::installDialogService(this); }

ScriptedDialogs::~ScriptedDialogs() { platform::installDialogService(nullptr); }

QStringList ScriptedDialogs::messageTexts() const
{
    QStringList out;
    for (const auto& m : messages) out.append(m.text);
    return out;
}

void ScriptedDialogs::clear()
{
    messages.clear();
    modalForms.clear();
    fileRequests.clear();
}

int ScriptedDialogs::showMessage(platform::MessageKind kind, const QString& text, const QString& caption,
                                 Qt::TextFormat format)
{
    messages.append({kind, text, caption, format});
    if (kind != platform::MessageKind::Confirmation) return platform::mrOk;
    if (confirmAnswers.empty()) {
        ADD_FAILURE() << "unscripted confirmation: " << text.toStdString();
        return platform::mrNo;
    }
    const int a = confirmAnswers.front();
    confirmAnswers.pop_front();
    return a;
}

int ScriptedDialogs::showModal(QDialog& form)
{
    const QString name = form.objectName().isEmpty() ? QString::fromLatin1(form.metaObject()->className()) : form.objectName();
    modalForms.append(name);
    if (modalScript.empty()) {
        ADD_FAILURE() << "unscripted modal form: " << name.toStdString();
        return platform::mrCancel;
    }
    auto step = std::move(modalScript.front());
    modalScript.pop_front();
    return step(form);
}

platform::FileDialogResult ScriptedDialogs::chooseFiles(const platform::FileDialogRequest& request)
{
    fileRequests.append(request);
    if (fileAnswers.empty()) {
        ADD_FAILURE() << "unscripted file dialog: " << request.title.toStdString();
        return {};
    }
    auto a = fileAnswers.front();
    fileAnswers.pop_front();
    return a;
}

std::optional<platform::ColorRef> ScriptedDialogs::chooseColor(platform::ColorRef)
{
    if (colorAnswers.empty()) {
        ADD_FAILURE() << "unscripted colour dialog";
        return std::nullopt;
    }
    auto a = colorAnswers.front();
    colorAnswers.pop_front();
    return a;
}

bool ScriptedDialogs::choosePrinter(QPrinter&)
{
    if (printerAnswers.empty()) {
        ADD_FAILURE() << "unscripted printer dialog";
        return false;
    }
    const bool a = printerAnswers.front();
    printerAnswers.pop_front();
    return a;
}

QString ScriptedDialogs::chooseFolder(const QString& title, const QString&)
{
    if (folderAnswers.empty()) {
        ADD_FAILURE() << "unscripted folder dialog: " << title.toStdString();
        return {};
    }
    const QString a = folderAnswers.front();
    folderAnswers.pop_front();
    return a;
}

bool PdfPrinterDialogs::choosePrinter(QPrinter& printer)
{
    if (!ScriptedDialogs::choosePrinter(printer)) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
}

} // namespace testsupport
