#include "printers.h"

#include <QPrinterInfo>

namespace print {

namespace {
std::function<QString()>& source()
{
    static std::function<QString()> s;
    return s;
}
} // namespace

QString DefaultPrinterName()
{
    if (source()) return source()();
    return QPrinterInfo::defaultPrinterName();
}

void setPrinterNameSource(std::function<QString()> s) { source() = std::move(s); }

} // namespace print
