#pragma once
// The run's language: its code, read from "Generator.ini", and its texts, read from the
// five-language table "Language.ini" in the program directory into the run's text table.
#include "util/texttable.h"

#include <QLocale>
#include <QString>

// "GERMAN", "ENGLISH", "FRANCE", "ITALIAN" or "SPAIN"; set by LoadLanguageTable.
extern QString LanguageCode;

// Reads the stored language from "Generator.ini" and fills the run's text table with its texts
// from "Language.ini" (LangText reads them). A missing file is reported in an error box; the run
// goes on (with "GERMAN", or with empty texts).
void LoadLanguageTable();

// The stored code as one of the five codes; a value that names none of them (a hand-edited
// file) gives "GERMAN", the default, rather than a run without any texts.
QString KnownLanguageCode(const QString& stored);

// The locale of the run's language: the order in which its lists sort names.
QLocale LanguageLocale();

// The product name that stands in for "$PRG_NAME$".
QString ProductNameForTexts();

// The five language codes, in the order of the flags.
inline constexpr const char* LanguageCodes[] = {"GERMAN", "ENGLISH", "FRANCE", "ITALIAN", "SPAIN"};
