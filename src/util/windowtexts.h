#pragma once
// The texts the windows show in the chosen language, and the product's title, for windows that
// sit beneath the program's start: the start (src/app) installs the lookups when it loads the
// text table and determines the product; until then both give empty texts.
#include <QString>

namespace util {

using TextLookup = QString (*)(int number);
using TitleLookup = QString (*)();

// Installs the lookups (nullptr removes one).
void setTextLookup(TextLookup lookup);
void setTitleLookup(TitleLookup lookup);

// The text of the given number in the chosen language, or an empty text.
QString WindowText(int number);
// The product's title, or an empty text.
QString ProductTitle();

} // namespace util
