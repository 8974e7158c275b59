#include "printwindows.h"

#include "printers.h"
#include "qrlistform.h"

#include "app/startup.h"
#include "show/outputwindows.h"

namespace {

class ReportWindows final : public show::PrintWindows {
public:
    QString CurrentPrinterName() const override { return print::CurrentPrinterName(); }

    void PrintReport(QWidget* owner, int printSize, std::function<show::ShowContext()> show) override
    {
        print::TQRListForm* report = print::TQRListForm::instance();
        if (!report) report = new print::TQRListForm(owner); // the owner's, gone with it
        report->PrintSize = printSize;
        report->ShowContext = std::move(show);
        report->Preview();
        report->FinishPrint();
        report->ShowContext = nullptr;
    }
};

} // namespace

void InstallPrintWindows()
{
    static ReportWindows windows;
    show::setPrintWindows(&windows);
}

void RegisterPrintWindows()
{
    RegisterWindowMaker(QStringLiteral("QRListForm"), [] { return std::make_unique<print::TQRListForm>(); });
    InstallPrintWindows();
}
