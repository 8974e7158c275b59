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
    TPrintSelectForm* f = TPrintSelectForm::instance();
    if (!f) f = new TPrintSelectForm(this); // the window's own, gone with it
    f->Offer = printSelectionOffer();
    return *f;
}

PrintSelectionOffer TMainForm::printSelectionOffer() const
{
    return {QuorbelListBox->Items().toStringList(), windowTitle(), ProgramDir};
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
    TPrintSizeWizard& size = printSizeWizard();
    const int sized = size.Execute();
    // The width of the last choice and the captions of the last OK, as the dialog keeps them.
    PrintWidth = size.PrintWidth;
    PrintCaptions = size.PrintCaptions;
    if (sized != platform::mrOk) return;
    if (!PrintAll && printSelectForm().Execute() != platform::mrOk) return;
    printWindows().PrintReport(this, PrintWidth, [this] { return CurrentShow(); });
}
