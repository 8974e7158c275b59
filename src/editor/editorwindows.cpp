#include "editorwindows.h"

#include "aboutbox.h"
#include "anweisungform.h"
#include "exportform.h"
#include "makewizard.h"
#include "mainform.h"
#include "newform.h"
#include "nodriverform.h"
#include "openform.h"
#include "printselectform.h"
#include "printsizewizard.h"
#include "tipform.h"

#include "app/startup.h"

#include <QPointer>

#include <memory>

namespace {

// The maker of a dialog the main window opens: the dialog shows texts and is handed to the main
// window, made first, as it is made.
template <typename Dialog>
WindowMaker handedToMain(const std::shared_ptr<QPointer<TMainForm>>& main, QPointer<Dialog> TMainForm::RunWindows::*slot,
                         const util::TextTable& texts)
{
    return [main, slot, &texts] {
        auto dialog = std::make_unique<Dialog>(nullptr, texts);
        if (TMainForm* form = *main) form->runWindows.*slot = dialog.get();
        return dialog;
    };
}

} // namespace

void RegisterEditorWindows(show::OutputWindows outputs, const util::TextTable& texts)
{
    const auto main = std::make_shared<QPointer<TMainForm>>();
    RegisterWindowMaker(QStringLiteral("MainForm"), [outputs, &texts, main] {
        auto form = std::make_unique<TMainForm>(outputs, nullptr, texts);
        *main = form.get();
        return form;
    });
    using Windows = TMainForm::RunWindows;
    RegisterWindowMaker(QStringLiteral("AboutBox"), handedToMain(main, &Windows::aboutBox, texts));
    RegisterWindowMaker(QStringLiteral("OpenForm"), handedToMain(main, &Windows::openForm, texts));
    RegisterWindowMaker(QStringLiteral("NewForm"), handedToMain(main, &Windows::newForm, texts));
    RegisterWindowMaker(QStringLiteral("TipForm"), handedToMain(main, &Windows::tipForm, texts));
    RegisterWindowMaker(QStringLiteral("MakeWizzard"), handedToMain(main, &Windows::makeWizard, texts));
    RegisterWindowMaker(QStringLiteral("ExportForm"), handedToMain(main, &Windows::exportForm, texts));
    RegisterWindowMaker(QStringLiteral("AnweisungForm"), handedToMain(main, &Windows::instructions, texts));
    RegisterWindowMaker(QStringLiteral("PrintSizeWizard"), handedToMain(main, &Windows::printSizeWizard, texts));
    RegisterWindowMaker(QStringLiteral("PrintSelectForm"), handedToMain(main, &Windows::printSelectForm, texts));
    RegisterWindowMaker(QStringLiteral("NoDriverForm"), handedToMain(main, &Windows::noDriverForm, texts));
}
