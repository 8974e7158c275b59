#include "texttable.h"

namespace util {

TextTable& TextTable::instance()
{
    static TextTable table;
    return table;
}

void TextTable::setTexts(const QHash<int, QString>& stored, const QString& productName)
{
    static const QString placeholder = QStringLiteral("$PRG_NAME$");
    texts_ = stored;
    for (QString& text : texts_) {
        // Searched without regard to case rather than on an upper-cased copy: upper-casing can
        // change the length of a text ("ß" becomes "SS"), and the position must fit the original.
        const qsizetype p = text.indexOf(placeholder, 0, Qt::CaseInsensitive);
        if (p >= 0) text.replace(p, placeholder.size(), productName);
    }
}

} // namespace util

QString LangText(int number) { return util::TextTable::instance().text(number); }
