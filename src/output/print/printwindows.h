#pragma once
// The print windows the main window opens: the report, registered for the start-up and handed
// to the main window as show::PrintWindows.
#include "show/outputwindows.h"
#include "util/texttable.h"

#include <QPointer>

namespace print {

class TQRListForm;

class ReportWindows final : public show::PrintWindows {
public:
    // texts: what a report window made here shows.
    explicit ReportWindows(const util::TextTable& texts = util::TextTable::instance()) : texts_(texts) {}

    QString CurrentPrinterName() const override;
    // The run's report window when the start-up made one, else one made as owner's child at the
    // first report and used for the later ones.
    void PrintReport(QWidget* owner, int printSize, std::function<show::ShowContext()> show) override;

    // The report window the start-up made; one that is gone is not used.
    void UseRunWindow(TQRListForm* report);

private:
    const util::TextTable& texts_;
    QPointer<TQRListForm> report_; // gone with its owner
};

} // namespace print

// Registers the report's maker for the start-up; the report it makes shows texts and is the run
// window of windows. Both must live as long as the maker is registered.
void RegisterPrintWindows(print::ReportWindows& windows, const util::TextTable& texts);
