// The print of the show's pictures: the printer check, the size, the selection, then the report's
// preview, from which the user prints.
#include "mainform.h"
#include "printselectform.h"
#include "printsizewizard.h"

#include "app/language.h"
#include "controls/htmlistbox.h"
#include "output/print/printers.h"
#include "output/print/qrlistform.h"
#include "platform/dialogs.h"

#include <QLineEdit>

void TMainForm::connectPrintHandlers()
{
    connect(this, &TMainForm::PrintPicturesRequested, this, &TMainForm::PrintPictures);
}

QString TMainForm::CurrentPrinterName() const { return print::DefaultPrinterName(); }

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

print::TQRListForm& TMainForm::qrListForm()
{
    if (print::TQRListForm* f = print::TQRListForm::instance()) return *f;
    return *new print::TQRListForm(this);
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
    print::TQRListForm& report = qrListForm();
    report.PrintSize = PrintWidth;
    report.ShowContext = [this] { return CurrentShow(); };
    report.Preview();
    report.FinishPrint();
    report.ShowContext = nullptr;
}
