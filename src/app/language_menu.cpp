#include "language_menu.h"

#include "productinfo.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/inifile.h"

#include <QCoreApplication>

const LanguageMenuItem* LanguageMenuItems()
{
    static const LanguageMenuItem items[LanguageMenuItemCount] = {
        {"Deutsch1", QStringLiteral("Deutsch"), 1, "GERMAN",
         QStringLiteral("Starten Sie die Software nun neu!\r\rPlease restart the software!")},
        {"English1", QStringLiteral("English"), 2, "ENGLISH", QStringLiteral("Please restart the software!")},
        {"France1", QString::fromUtf8("François"), 3, "FRANCE",
         QStringLiteral("Veuillez remettre en marche le software!\r\rPlease restart the software!")},
        {"Italian1", QStringLiteral("Italiano"), 4, "ITALIAN",
         QStringLiteral("Ricominciare prego il software!\r\rPlease restart the software!")},
        {"Spain1", QString::fromUtf8("Español"), 5, "SPAIN",
         QStringLiteral("Recomenzar por favor el software!\r\rPlease restart the software!")},
    };
    return items;
}

int LanguageMenuTag(const QString& code)
{
    for (int i = 0; i < LanguageMenuItemCount; ++i)
        if (code == QLatin1String(LanguageMenuItems()[i].code)) return LanguageMenuItems()[i].tag;
    return 0;
}

void LanguageMenuClick(int tag)
{
    if (tag < 1 || tag > LanguageMenuItemCount) return;
    const LanguageMenuItem& item = LanguageMenuItems()[tag - 1];
    const QString settings = ExecutableProgramDir() + QStringLiteral("Generator.ini");
    if (!platform::IniFile(settings).writeString(QStringLiteral("SETTINGS"), QStringLiteral("Language"), QLatin1String(item.code))) {
        // Not stored (a full disk, no rights): the run goes on in its language.
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(settings, platform::lastFileError()));
        return;
    }
    platform::showInformation(item.message);
    // exit() rather than quit(): quit() would first ask every window to close, and the main
    // window's closing steps must not run here.
    QCoreApplication::exit(0);
}
