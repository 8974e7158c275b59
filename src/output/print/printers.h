#pragma once
// The printers the host offers and the printer object's current index, as the framework's printer
// object keeps them: the index starts at the default printer's place in the list and follows a
// choice made later. Tests put a list of their own in place (CI machines have no printer).
#include <QString>
#include <QStringList>
#include <functional>

namespace print {

struct PrinterList {
    QStringList names;
    int defaultIndex = -1; // the default printer's place in names; -1 when there is none
};

// The host's printers (or the test's list).
PrinterList Printers();
// The current index: the one chosen with setPrinterIndex while it is in the list, else the
// default printer's place; -1 when there are no printers.
int PrinterIndex();
void setPrinterIndex(int index);
// The name of the printer at the current index; "" when that index is 0 or below.
QString CurrentPrinterName();
// Replaces where the list comes from; an empty function puts the host's back. The choice made
// with setPrinterIndex is forgotten.
void setPrinterSource(std::function<PrinterList()> source);

} // namespace print
