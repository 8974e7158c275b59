#include "textcodec.h"

#include "files.h"

namespace platform {

namespace {

// 0x80..0x9F of Windows-1252; the undefined bytes keep their own number.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

} // namespace

char16_t windows1252ToUnicode(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F) return kHigh[byte - 0x80];
    return byte;
}

int unicodeToWindows1252(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return c;
    for (int i = 0; i < 32; ++i)
        if (kHigh[i] == c) return 0x80 + i;
    return -1;
}

QString fromWindows1252(const QByteArray& bytes)
{
    QString out;
    out.resize(bytes.size());
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) d[i] = QChar(windows1252ToUnicode(static_cast<unsigned char>(bytes[i])));
    return out;
}

QByteArray toWindows1252(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const int b = unicodeToWindows1252(c);
        if (b >= 0) {
            out.append(static_cast<char>(b));
        } else {
            out.append('?');
            // A surrogate pair is one character: one "?".
            if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
        }
    }
    return out;
}

bool fitsWindows1252(const QString& text)
{
    for (QChar c : text)
        if (unicodeToWindows1252(c.unicode()) < 0) return false;
    return true;
}

QStringList splitLines(const QString& text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.append(text.mid(start, i - start));
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n') ++i;
            start = i + 1;
        }
    }
    if (start < n) lines.append(text.mid(start));
    return lines;
}

std::optional<QStringList> readTextLines(const QString& path)
{
    auto bytes = readFile(path);
    if (!bytes) return std::nullopt;
    return splitLines(fromWindows1252(*bytes));
}

bool writeTextLines(const QString& path, const QStringList& lines, FileAccess access)
{
    QByteArray out;
    for (const QString& l : lines) {
        out += toWindows1252(l);
        out += "\r\n";
    }
    return writeFileReplacing(path, out, access);
}

bool appendTextLine(const QString& path, const QString& line)
{
    auto dev = openFile(path, QIODevice::WriteOnly | QIODevice::Append);
    if (!dev) return false;
    const QByteArray bytes = toWindows1252(line) + "\r\n";
    return dev->write(bytes) == bytes.size();
}

} // namespace platform
