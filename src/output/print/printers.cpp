#include "printers.h"

#include <QPrinterInfo>

namespace print {

namespace {

std::function<PrinterList()>& source()
{
    static std::function<PrinterList()> s;
    return s;
}

int& chosen()
{
    static int index = -1;
    return index;
}

} // namespace

PrinterList Printers()
{
    if (source()) return source()();
    PrinterList list;
    list.names = QPrinterInfo::availablePrinterNames();
    list.defaultIndex = int(list.names.indexOf(QPrinterInfo::defaultPrinterName()));
    return list;
}

int PrinterIndex()
{
    const PrinterList list = Printers();
    if (chosen() >= 0 && chosen() < list.names.size()) return chosen();
    if (list.defaultIndex >= 0 && list.defaultIndex < list.names.size()) return list.defaultIndex;
    return list.names.isEmpty() ? -1 : 0;
}

void setPrinterIndex(int index) { chosen() = index; }

QString CurrentPrinterName()
{
    const int index = PrinterIndex();
    if (index <= 0) return {};
    return Printers().names.value(index);
}

void setPrinterSource(std::function<PrinterList()> s)
{
    source() = std::move(s);
    chosen() = -1;
}

} // namespace print
