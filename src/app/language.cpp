#include "language.h"

#include "productinfo.h"

#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/translations.h"
#include "util/texttable.h"

QString LanguageCode = QStringLiteral("GERMAN");

namespace {

// The texts of one language of the table, by number. A key counts as the number it spells
// ("0518" is no number); of a repeated key the first wins, as the INI rules have it.
QHash<int, QString> StoredTexts(const platform::IniFile& table, const QString& section)
{
    QHash<int, QString> texts;
    for (const QString& key : table.readSection(section)) {
        bool ok = false;
        const int number = key.toInt(&ok);
        if (ok && QString::number(number) == key) texts.insert(number, table.readString(section, key));
    }
    return texts;
}

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
    // Read once here: the texts stay as they were at the start for the rest of the run.
    util::TextTable::instance().setTexts(StoredTexts(platform::IniFile(language), LanguageCode), ProductNameForTexts());
    // The framework's standard buttons and dialogs in the same language as the texts; without
    // the host's translation they stay English.
    platform::installFrameworkTranslations(LanguageLocale());
}

QString ProductNameForTexts()
{
    return ProductInfo.EnglishProduct ? QStringLiteral("Quorbelix pro") : QStringLiteral("Quorbel pro");
}
