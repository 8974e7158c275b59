#include "inifile.h"

#include "drives.h"
#include "files.h"
#include "numbers.h"
#include "textcodec.h"

#include <QFile>
#include <QHash>

#include <sys/stat.h>

namespace platform {

namespace {

// What tells one version of a file from the next: a replacing write gives a new inode, an
// edit in place a new modification time (to the nanosecond) or size.
struct Signature {
    bool present = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    timespec changed{};
    bool operator==(const Signature& o) const
    {
        return present == o.present && device == o.device && inode == o.inode && size == o.size
            && modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec
            && changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
    }
};

Signature signatureOf(const QString& host)
{
    Signature s;
    struct stat st;
    if (host.isEmpty() || ::stat(QFile::encodeName(host).constData(), &st) != 0 || S_ISDIR(st.st_mode)) return s;
    s.present = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.modified = st.st_mtim;
    s.changed = st.st_ctim;
    return s;
}

// A file's lines, decoded, beside the bytes each line had on disk (with its line end). A line the
// program changed or added has no bytes and is encoded on the next write; every other line is
// written back exactly as it was read, so a hand-edited file keeps its line ends and any
// character the program could not decode.
struct Lines {
    QStringList text;
    QList<QByteArray> raw;
    bool utf8 = false; // read as UTF-8 (with its byte-order mark) and so written back

    void set(qsizetype i, const QString& line)
    {
        text[i] = line;
        raw[i].clear();
    }
    void insert(qsizetype i, const QString& line)
    {
        text.insert(i, line);
        raw.insert(i, QByteArray());
    }
    void append(const QString& line) { insert(text.size(), line); }
    void remove(qsizetype from, qsizetype to)
    {
        text.erase(text.begin() + from, text.begin() + to);
        raw.erase(raw.begin() + from, raw.begin() + to);
    }
};

Lines parseLines(const QByteArray& bytes)
{
    Lines out;
    qsizetype start = 0;
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        out.utf8 = true;
        start = 3;
    }
    const qsizetype n = bytes.size();
    qsizetype i = start;
    while (start < n) {
        while (i < n && bytes[i] != '\r' && bytes[i] != '\n') ++i;
        const qsizetype textEnd = i;
        if (i < n && bytes[i] == '\r') ++i;
        if (i < n && bytes[i] == '\n' && (i == textEnd || bytes[i - 1] == '\r')) ++i;
        const QByteArray line = bytes.mid(start, textEnd - start);
        out.text.append(out.utf8 ? QString::fromUtf8(line) : fromWindows1252(line));
        out.raw.append(bytes.mid(start, i - start));
        start = i;
    }
    return out;
}

QByteArray joinLines(const Lines& lines)
{
    QByteArray out;
    if (lines.utf8) out += "\xEF\xBB\xBF";
    for (qsizetype i = 0; i < lines.text.size(); ++i) {
        if (!out.isEmpty() && !out.endsWith('\n') && !out.endsWith('\r') && !(lines.utf8 && out.size() == 3))
            out += "\r\n"; // the old last line had no line end; one goes between it and the next
        if (!lines.raw[i].isEmpty()) {
            out += lines.raw[i];
            continue;
        }
        out += lines.utf8 ? lines.text[i].toUtf8() : toWindows1252(lines.text[i]);
        out += "\r\n";
    }
    return out;
}

struct CachedFile {
    Lines lines;
    Signature signature;
};

// One parsed copy per file for the whole process, checked against the disk on every use.
QHash<QString, CachedFile>& cache()
{
    static QHash<QString, CachedFile> c;
    return c;
}

QString cacheKey(const QString& path) { return toHostPath(path); }

const CachedFile& load(const QString& path)
{
    const QString host = cacheKey(path);
    CachedFile& entry = cache()[host];
    const Signature now = signatureOf(host);
    if (now == entry.signature) return entry;
    entry = CachedFile();
    if (now.present) {
        if (auto bytes = readFile(path)) {
            entry.lines = parseLines(*bytes);
            entry.signature = now;
        }
    }
    return entry;
}

bool store(const QString& path, const Lines& lines, FileAccess access)
{
    const QByteArray bytes = joinLines(lines);
    if (!writeFileReplacing(path, bytes, access)) return false;
    const QString host = cacheKey(path);
    CachedFile& entry = cache()[host];
    entry.lines = parseLines(bytes); // what the next read would find
    entry.signature = signatureOf(host);
    return true;
}

// The section name of a header line, or a null string for any other line.
QString sectionOf(const QString& line)
{
    const QString t = line.trimmed();
    if (!t.startsWith(u'[')) return {};
    const qsizetype end = t.indexOf(u']');
    const QString name = (end < 0 ? t.mid(1) : t.mid(1, end - 1)).trimmed();
    return name.isNull() ? QString(u""_qs) : name;
}

bool isComment(const QString& line)
{
    const QString t = line.trimmed();
    return t.startsWith(u';');
}

// Key and raw value of a key line; false for lines that hold no key.
bool splitKeyLine(const QString& line, QString& key, QString& value)
{
    if (isComment(line)) return false;
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0) return false;
    key = line.left(eq).trimmed();
    if (key.isEmpty()) return false;
    value = line.mid(eq + 1);
    return true;
}

QString cleanValue(QString value)
{
    value = value.trimmed();
    if (value.size() >= 2) {
        const QChar f = value.front();
        if ((f == u'"' || f == u'\'') && value.back() == f) value = value.mid(1, value.size() - 2);
    }
    return value;
}

struct SectionRange {
    qsizetype header = -1; // line of the header
    qsizetype end = -1;    // one past the last line of the section
};

SectionRange findSection(const QStringList& lines, const QString& section)
{
    SectionRange r;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString s = sectionOf(lines[i]);
        if (s.isNull()) continue;
        if (r.header >= 0) {
            r.end = i;
            return r;
        }
        if (sameName(s, section)) r.header = i;
    }
    if (r.header >= 0) r.end = lines.size();
    return r;
}

qsizetype findKey(const QStringList& lines, const SectionRange& r, const QString& key)
{
    if (r.header < 0) return -1;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        QString k, v;
        if (splitKeyLine(lines[i], k, v) && sameName(k, key)) return i;
    }
    return -1;
}

QString oneLine(QString s)
{
    s.replace(u'\r', u' ');
    s.replace(u'\n', u' ');
    return s;
}

} // namespace

IniFile::IniFile(const QString& path, FileAccess access) : path_(path), access_(access) {}

bool IniFile::exists() const { return fileExists(path_); }

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const
{
    const CachedFile& f = load(path_);
    const SectionRange r = findSection(f.lines.text, section);
    const qsizetype i = findKey(f.lines.text, r, key);
    if (i < 0) return defaultValue;
    QString k, v;
    splitKeyLine(f.lines.text[i], k, v);
    return cleanValue(v);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    return parseIntegerOr(readString(section, key), defaultValue);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    Lines lines = load(path_).lines;
    const QString sectionName = oneLine(section).trimmed();
    const QString keyName = oneLine(key).trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty()) return false;
    const QString v = oneLine(value);
    SectionRange r = findSection(lines.text, sectionName);
    if (r.header < 0) {
        lines.append(u'[' + sectionName + u']');
        lines.append(keyName + u'=' + v);
        return store(path_, lines, access_);
    }
    const qsizetype i = findKey(lines.text, r, keyName);
    if (i >= 0) {
        QString k, old;
        splitKeyLine(lines.text[i], k, old);
        lines.set(i, k + u'=' + v);
    } else {
        // After the section's last non-blank line.
        qsizetype at = r.end;
        while (at > r.header + 1 && lines.text[at - 1].trimmed().isEmpty()) --at;
        lines.insert(at, keyName + u'=' + v);
    }
    return store(path_, lines, access_);
}

bool IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    return writeString(section, key, QString::number(value));
}

bool IniFile::sectionExists(const QString& section) const
{
    return findSection(load(path_).lines.text, section).header >= 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    const CachedFile& f = load(path_);
    return findKey(f.lines.text, findSection(f.lines.text, section), key) >= 0;
}

QStringList IniFile::readSections() const
{
    QStringList out;
    for (const QString& l : load(path_).lines.text) {
        const QString s = sectionOf(l);
        if (!s.isNull() && !out.contains(s, Qt::CaseInsensitive)) out.append(s);
    }
    return out;
}

QStringList IniFile::readSection(const QString& section) const
{
    const CachedFile& f = load(path_);
    const SectionRange r = findSection(f.lines.text, section);
    QStringList out;
    if (r.header < 0) return out;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        QString k, v;
        if (splitKeyLine(f.lines.text[i], k, v) && !out.contains(k, Qt::CaseInsensitive)) out.append(k);
    }
    return out;
}

QStringList IniFile::readSectionValues(const QString& section) const
{
    QStringList out;
    for (const QString& k : readSection(section)) out.append(k + u'=' + readString(section, k));
    return out;
}

bool IniFile::eraseSection(const QString& section)
{
    Lines lines = load(path_).lines;
    const SectionRange r = findSection(lines.text, section);
    if (r.header < 0) return true;
    lines.remove(r.header, r.end);
    return store(path_, lines, access_);
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    Lines lines = load(path_).lines;
    const qsizetype i = findKey(lines.text, findSection(lines.text, section), key);
    if (i < 0) return true;
    lines.remove(i, i + 1);
    return store(path_, lines, access_);
}

} // namespace platform
