#include "itemtext.h"

namespace show {

namespace {

const QString FilePrefix = QStringLiteral("file://");
// Ends a run of text without showing anything: a tag the renderer passes over.
const QString Breaker = QStringLiteral("<!>");

bool isAsciiLetter(QChar c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }

qsizetype tagEnd(const QString& item) { return item.indexOf(u'>'); }

} // namespace

QString EscapeItemText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'<') out += QLatin1String("&lt;");
        else if (c == u'>') out += QLatin1String("&gt;");
        else if (c == u'&') {
            out += QLatin1String("&amp;");
            if (i + 1 < text.size() && isAsciiLetter(text[i + 1])) out += Breaker;
        } else out += c;
    }
    return out;
}

QString UnescapeItemText(const QString& markup)
{
    static const std::pair<QLatin1String, QChar> entities[] = {
        {QLatin1String("&lt;"), u'<'},
        {QLatin1String("&gt;"), u'>'},
        {QLatin1String("&amp;"), u'&'},
    };
    QString out;
    out.reserve(markup.size());
    qsizetype i = 0;
    while (i < markup.size()) {
        const QStringView rest = QStringView(markup).mid(i);
        if (rest.startsWith(Breaker)) {
            i += Breaker.size();
            continue;
        }
        bool decoded = false;
        if (markup[i] == u'&') {
            for (const auto& [entity, c] : entities) {
                if (rest.startsWith(entity)) {
                    out += c;
                    i += entity.size();
                    decoded = true;
                    break;
                }
            }
        }
        if (!decoded) out += markup[i++];
    }
    return out;
}

QString PictureItem(const QString& thumbnailPath, const QString& text)
{
    return QStringLiteral("<IMG src=\"") + FilePrefix + thumbnailPath + QStringLiteral("\" align=\"top\">") + EscapeItemText(text);
}

QString PictureItemText(const QString& item)
{
    const qsizetype end = tagEnd(item);
    return UnescapeItemText(end < 0 ? item : item.mid(end + 1));
}

QString PictureItemThumbnail(const QString& item)
{
    const qsizetype end = tagEnd(item);
    const QString tag = end < 0 ? QString() : item.left(end);
    const qsizetype src = tag.indexOf(QLatin1String("src=\""), 0, Qt::CaseInsensitive);
    if (src < 0) return {};
    const qsizetype start = src + 5;
    const qsizetype close = tag.indexOf(u'"', start);
    if (close < 0) return {};
    QString path = tag.mid(start, close - start);
    if (path.startsWith(FilePrefix, Qt::CaseInsensitive)) path = path.mid(FilePrefix.size());
    return path;
}

QString PictureItemWithText(const QString& item, const QString& text)
{
    const qsizetype end = tagEnd(item);
    return (end < 0 ? QString() : item.left(end + 1)) + EscapeItemText(text);
}

} // namespace show
