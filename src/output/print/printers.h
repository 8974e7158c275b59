#pragma once
// The printers the host offers: the name of the one a print goes to by default. Tests put a
// source of their own in place (CI machines have no printer).
#include <QString>
#include <functional>

namespace print {

// The default printer's name; "" when the host has none.
QString DefaultPrinterName();
// Replaces where the name comes from; an empty function puts the host's back.
void setPrinterNameSource(std::function<QString()> source);

} // namespace print
