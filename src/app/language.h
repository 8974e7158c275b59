#pragma once
// The five-language text table ("Language.ini" in the program directory) and the run's
// language code.
#include <QLocale>
#include <QString>

// "GERMAN", "ENGLISH", "FRANCE", "ITALIAN" or "SPAIN"; set by LoadLanguageTable.
extern QString LanguageCode;

// Reads the stored language from "Generator.ini" and opens "Language.ini" for the rest of the
// run. A missing file is reported in an error box; the run goes on (with "GERMAN", or with
// empty texts).
void LoadLanguageTable();

// The stored code as one of the five codes; a value that names none of them (a hand-edited
// file) gives "GERMAN", the default, rather than a run without any texts.
QString KnownLanguageCode(const QString& stored);

// The text with this number in the current language, with the first "$PRG_NAME$" (any case)
// replaced by the product name; empty when the number is missing.
QString LangText(int number);

// The locale of the run's language: the order in which its lists sort names.
QLocale LanguageLocale();

// The product name that stands in for "$PRG_NAME$".
QString ProductNameForTexts();

// The five language codes, in the order of the flags.
inline constexpr const char* LanguageCodes[] = {"GERMAN", "ENGLISH", "FRANCE", "ITALIAN", "SPAIN"};
