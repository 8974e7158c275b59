#include "language.h"

#include "productinfo.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/translations.h"
#include "util/windowtexts.h"

#include <memory>

QString LanguageCode = QStringLiteral("GERMAN");

namespace {

// The text table, opened once at start-up and only read afterwards.
std::unique_ptr<platform::IniFile>& table()
{
    static std::unique_ptr<platform::IniFile> t;
    return t;
}

const QString placeholder = QStringLiteral("$PRG_NAME$");

} // namespace

QLocale LanguageLocale()
{
    if (LanguageCode == QLatin1String("ENGLISH")) return QLocale(QLocale::English, QLocale::UnitedKingdom);
    if (LanguageCode == QLatin1String("FRANCE")) return QLocale(QLocale::French, QLocale::France);
    if (LanguageCode == QLatin1String("ITALIAN")) return QLocale(QLocale::Italian, QLocale::Italy);
    if (LanguageCode == QLatin1String("SPAIN")) return QLocale(QLocale::Spanish, QLocale::Spain);
    return QLocale(QLocale::German, QLocale::Germany);
}

QString KnownLanguageCode(const QString& stored)
{
    const QString code = stored.trimmed();
    for (const char* known : LanguageCodes)
        if (code.compare(QLatin1String(known), Qt::CaseInsensitive) == 0) return QLatin1String(known);
    return QStringLiteral("GERMAN");
}

void LoadLanguageTable()
{
    const QString dir = ExecutableProgramDir();

    const QString generator = dir + QStringLiteral("Generator.ini");
    if (!platform::fileExists(generator)) platform::showError(generator + QStringLiteral(" nicht gefunden!"));
    LanguageCode = KnownLanguageCode(platform::IniFile(generator).readString(QStringLiteral("SETTINGS"), QStringLiteral("Language"),
                                                                             QStringLiteral("GERMAN")));

    const QString language = dir + QStringLiteral("Language.ini");
    if (!platform::fileExists(language)) platform::showError(language + QStringLiteral(" nicht gefunden!"));
    table() = std::make_unique<platform::IniFile>(language);
    util::setTextLookup(&LangText); // the windows beneath the start read their texts through it
    // The framework's standard buttons and dialogs in the same language as the texts; without
    // the host's translation they stay English.
    platform::installFrameworkTranslations(LanguageLocale());
}

QString ProductNameForTexts()
{
    return ProductInfo.EnglishProduct ? QStringLiteral("Quorbelix pro") : QStringLiteral("Quorbel pro");
}

QString LangText(int number)
{
    if (!table()) return {};
    QString text = table()->readString(LanguageCode, QString::number(number));
    // Searched without regard to case rather than on an upper-cased copy: upper-casing can change
    // the length of a text ("ß" becomes "SS"), and the position must fit the original.
    const qsizetype p = text.indexOf(placeholder, 0, Qt::CaseInsensitive);
    if (p >= 0) text.replace(p, placeholder.size(), ProductNameForTexts());
    return text;
}
