#include "printwindows.h"

#include "printers.h"
#include "qrlistform.h"

#include "app/startup.h"

namespace print {

QString ReportWindows::CurrentPrinterName() const { return print::CurrentPrinterName(); }

void ReportWindows::UseRunWindow(TQRListForm* report) { report_ = report; }

void ReportWindows::PrintReport(QWidget* owner, int printSize, std::function<show::ShowContext()> show)
{
    // Without the start-up's window, one of the owner's, gone with it and kept until then.
    if (!report_) report_ = new TQRListForm(owner, texts_);
    TQRListForm* report = report_;
    report->PrintSize = printSize;
    report->ShowContext = std::move(show);
    report->Preview();
    report->FinishPrint();
    report->ShowContext = nullptr;
}

} // namespace print

void RegisterPrintWindows(print::ReportWindows& windows, const util::TextTable& texts)
{
    RegisterWindowMaker(QStringLiteral("QRListForm"), [&windows, &texts] {
        auto report = std::make_unique<print::TQRListForm>(nullptr, texts);
        windows.UseRunWindow(report.get());
        return report;
    });
}
