#include "casetables.h"

#include "platform/textcodec.h"

#include <array>

namespace {

struct CaseTables {
    std::array<unsigned char, 256> lower{}, upper{}, swapped{};
    std::array<quint16, 256> type{};
    enum : quint16 { C1_UPPER = 0x1, C1_LOWER = 0x2 };

    CaseTables()
    {
        for (int b = 0; b < 256; ++b) {
            const QChar c(platform::windows1252ToUnicode(static_cast<unsigned char>(b)));
            const int lo = platform::unicodeToWindows1252(c.toLower().unicode());
            const int up = platform::unicodeToWindows1252(c.toUpper().unicode());
            lower[b] = static_cast<unsigned char>(lo >= 0 ? lo : b);
            upper[b] = static_cast<unsigned char>(up >= 0 ? up : b);
            type[b] = (c.isUpper() ? C1_UPPER : 0) | (c.isLower() ? C1_LOWER : 0);
        }
        for (int b = 0; b < 256; ++b) {
            if (type[b] & C1_UPPER) swapped[b] = lower[b];
            else if (type[b] & C1_LOWER) swapped[b] = upper[b];
            else swapped[b] = static_cast<unsigned char>(b);
        }
    }
};

const CaseTables& tables()
{
    static const CaseTables t;
    return t;
}

// Applies a byte table to a character of the code page; other characters use Unicode's mapping.
QChar through(const std::array<unsigned char, 256>& table, QChar c, QChar (*fallback)(QChar))
{
    const int b = platform::unicodeToWindows1252(c.unicode());
    if (b < 0) return fallback(c);
    return QChar(platform::windows1252ToUnicode(table[b]));
}

QChar unicodeLower(QChar c) { return c.toLower(); }
QChar unicodeUpper(QChar c) { return c.toUpper(); }
QChar unicodeSame(QChar c) { return c; }

bool sameIgnoringCase(QChar a, QChar b)
{
    return a == b || CharToLower(a) == CharToLower(b) || CharToUpper(a) == CharToUpper(b);
}

} // namespace

bool CharIsLower(QChar c)
{
    const int b = platform::unicodeToWindows1252(c.unicode());
    return b >= 0 ? (tables().type[b] & CaseTables::C1_LOWER) != 0 : c.isLower();
}

bool CharIsUpper(QChar c)
{
    const int b = platform::unicodeToWindows1252(c.unicode());
    return b >= 0 ? (tables().type[b] & CaseTables::C1_UPPER) != 0 : c.isUpper();
}

QChar CharToLower(QChar c) { return through(tables().lower, c, unicodeLower); }
QChar CharToUpper(QChar c) { return through(tables().upper, c, unicodeUpper); }
QChar CharSwapCase(QChar c) { return through(tables().swapped, c, unicodeSame); }

int StrFind(const QString& sub, const QString& s, int start)
{
    const int subLen = static_cast<int>(sub.size());
    const int len = static_cast<int>(s.size());
    if (subLen == 0 || len == 0 || start <= 0 || start + subLen - 1 > len) return 0;
    const QChar first = CharToLower(sub[0]);
    for (int i = start - 1; i + subLen <= len; ++i) {
        if (CharToLower(s[i]) != first) continue;
        int k = subLen - 1;
        while (k > 0 && sameIgnoringCase(s[i + k], sub[k])) --k;
        if (k == 0) return i + 1;
    }
    return 0;
}

QString StrRestOf(const QString& s, int n)
{
    if (n < 1) n = 1;
    return s.mid(n - 1);
}

QString StrAfter(const QString& sub, const QString& s)
{
    const int p = StrFind(sub, s, 1);
    if (p == 0) return {};
    return StrRestOf(s, p + static_cast<int>(sub.size()));
}

QString StrToken(QString& s, QChar sep)
{
    const qsizetype i = s.indexOf(sep);
    if (i < 0) {
        QString all = s;
        s.clear();
        return all;
    }
    QString token = s.left(i);
    s.remove(0, i + 1);
    return token;
}

void StrToStrings(QString s, QChar sep, QStringList* list)
{
    if (!list) return;
    list->clear();
    while (!s.isEmpty()) list->append(StrToken(s, sep));
}
