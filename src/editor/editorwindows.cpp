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

void RegisterEditorWindows(show::OutputWindows outputs, const util::TextTable& texts)
{
    RegisterWindowMaker(QStringLiteral("MainForm"), [outputs, &texts] { return std::make_unique<TMainForm>(outputs, nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("AboutBox"), [&texts] { return std::make_unique<TAboutBox>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("OpenForm"), [&texts] { return std::make_unique<TOpenForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("NewForm"), [&texts] { return std::make_unique<TNewForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("TipForm"), [&texts] { return std::make_unique<TTipForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("MakeWizzard"), [&texts] { return std::make_unique<TMakeWizzard>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("ExportForm"), [&texts] { return std::make_unique<TExportForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("AnweisungForm"), [&texts] { return std::make_unique<TAnweisungForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("PrintSizeWizard"), [&texts] { return std::make_unique<TPrintSizeWizard>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("PrintSelectForm"), [&texts] { return std::make_unique<TPrintSelectForm>(nullptr, texts); });
    RegisterWindowMaker(QStringLiteral("NoDriverForm"), [&texts] { return std::make_unique<TNoDriverForm>(nullptr, texts); });
}
