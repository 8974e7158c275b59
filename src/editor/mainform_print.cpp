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
    if (TPrintSizeWizard* f = runWindows.printSizeWizard) return *f;
    if (!ownPrintSizeWizard_) ownPrintSizeWizard_ = new TPrintSizeWizard(this, texts_); // the window's own, gone with it
    return *ownPrintSizeWizard_;
}

TPrintSelectForm& TMainForm::printSelectForm()
{
    TPrintSelectForm* f = runWindows.printSelectForm;
    if (!f && !ownPrintSelectForm_) ownPrintSelectForm_ = new TPrintSelectForm(this, texts_); // the window's own, gone with it
    if (!f) f = ownPrintSelectForm_;
    f->Offer = printSelectionOffer();
    return *f;
}

PrintSelectionOffer TMainForm::printSelectionOffer() const
{
    return {QuorbelListBox->Items().toStringList(), windowTitle(), ProgramDir};
}

show::PrintWindows& TMainForm::printWindows() const { return outputs_.print; }

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
