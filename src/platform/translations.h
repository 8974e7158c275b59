#pragma once
// The framework's own texts (the standard buttons "Yes", "No", "Cancel", the file and print
// dialogs) in the run's language: Qt's translations as the host installs them.
#include <QLocale>

namespace platform {

// Puts Qt's translation for the locale's language in place of the one installed before (none
// for English, whose texts Qt has built in). False when the host has no translation for it; the
// framework then speaks English.
bool installFrameworkTranslations(const QLocale& locale);

} // namespace platform
