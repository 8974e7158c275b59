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

void RegisterEditorWindows()
{
    RegisterWindowMaker(QStringLiteral("MainForm"), [] { return std::make_unique<TMainForm>(); });
    RegisterWindowMaker(QStringLiteral("AboutBox"), [] { return std::make_unique<TAboutBox>(); });
    RegisterWindowMaker(QStringLiteral("OpenForm"), [] { return std::make_unique<TOpenForm>(); });
    RegisterWindowMaker(QStringLiteral("NewForm"), [] { return std::make_unique<TNewForm>(); });
    RegisterWindowMaker(QStringLiteral("TipForm"), [] { return std::make_unique<TTipForm>(); });
    RegisterWindowMaker(QStringLiteral("MakeWizzard"), [] { return std::make_unique<TMakeWizzard>(); });
    RegisterWindowMaker(QStringLiteral("ExportForm"), [] { return std::make_unique<TExportForm>(); });
    RegisterWindowMaker(QStringLiteral("AnweisungForm"), [] { return std::make_unique<TAnweisungForm>(); });
    RegisterWindowMaker(QStringLiteral("PrintSizeWizard"), [] { return std::make_unique<TPrintSizeWizard>(); });
    RegisterWindowMaker(QStringLiteral("PrintSelectForm"), [] { return std::make_unique<TPrintSelectForm>(); });
    RegisterWindowMaker(QStringLiteral("NoDriverForm"), [] { return std::make_unique<TNoDriverForm>(); });
}
