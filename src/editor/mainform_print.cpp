// The print of the show's pictures: the printer check, the size, the selection, then the report's
// preview, from which the user prints.
#include "mainform.h"
#include "printselectform.h"
#include "printsizewizard.h"

#include "app/language.h"
#include "controls/htmlistbox.h"
#include "platform/dialogs.h"
#include "show/outputwindows.h"

#include <QLineEdit>

void TMainForm::connectPrintHandlers()
{
    connect(this, &TMainForm::PrintPicturesRequested, this, &TMainForm::PrintPictures);
}

QString TMainForm::CurrentPrinterName() const { return printWindows().CurrentPrinterName(); }

TPrintSizeWizard& TMainForm::printSizeWizard()
{
    if (TPrintSizeWizard* f = TPrintSizeWizard::instance()) return *f;
    return *new TPrintSizeWizard(this); // the window's own, gone with it
}

TPrintSelectForm& TMainForm::printSelectForm()
{
    if (TPrintSelectForm* f = TPrintSelectForm::instance()) return *f;
    return *new TPrintSelectForm(this);
}

show::PrintWindows& TMainForm::printWindows() const
{
    // Installed by the print output at start-up (or by a caller that builds the window alone).
    show::PrintWindows* windows = show::printWindows();
    // A program assembled without its output windows stops here with a message, not a crash.
    if (!windows) qFatal("The %s was not installed before the main window used it", "print report");
    return *windows;
}

void TMainForm::PrintPictures()
{
    const QString name = CurrentPrinterName();
    if (name.toUpper().contains(QLatin1String("KEIN STANDARD-DRUCKER"))) {
        platform::showInformation(name);
        platform::showInformation(QStringLiteral("Der Ausdruck kann nicht gestartet werden."));
        return;
    }
    if (printSizeWizard().Execute() != platform::mrOk) return;
    if (!PrintAll && printSelectForm().Execute() != platform::mrOk) return;
    printWindows().PrintReport(this, PrintWidth, [this] { return CurrentShow(); });
}
