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

struct CachedFile {
    QStringList lines;
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
            QString text;
            if (bytes->startsWith("\xEF\xBB\xBF")) text = QString::fromUtf8(bytes->mid(3));
            else text = fromWindows1252(*bytes);
            entry.lines = splitLines(text);
            entry.signature = now;
        }
    }
    return entry;
}

bool store(const QString& path, const QStringList& lines, FileAccess access)
{
    if (!writeTextLines(path, lines, access)) return false;
    const QString host = cacheKey(path);
    CachedFile& entry = cache()[host];
    entry.lines = lines;
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
    const SectionRange r = findSection(f.lines, section);
    const qsizetype i = findKey(f.lines, r, key);
    if (i < 0) return defaultValue;
    QString k, v;
    splitKeyLine(f.lines[i], k, v);
    return cleanValue(v);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const
{
    return parseIntegerOr(readString(section, key), defaultValue);
}

bool IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    QStringList lines = load(path_).lines;
    const QString sectionName = oneLine(section).trimmed();
    const QString keyName = oneLine(key).trimmed();
    if (sectionName.isEmpty() || keyName.isEmpty()) return false;
    const QString v = oneLine(value);
    SectionRange r = findSection(lines, sectionName);
    if (r.header < 0) {
        lines.append(u'[' + sectionName + u']');
        lines.append(keyName + u'=' + v);
        return store(path_, lines, access_);
    }
    const qsizetype i = findKey(lines, r, keyName);
    if (i >= 0) {
        QString k, old;
        splitKeyLine(lines[i], k, old);
        lines[i] = k + u'=' + v;
    } else {
        // After the section's last non-blank line.
        qsizetype at = r.end;
        while (at > r.header + 1 && lines[at - 1].trimmed().isEmpty()) --at;
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
    return findSection(load(path_).lines, section).header >= 0;
}

bool IniFile::valueExists(const QString& section, const QString& key) const
{
    const CachedFile& f = load(path_);
    return findKey(f.lines, findSection(f.lines, section), key) >= 0;
}

QStringList IniFile::readSections() const
{
    QStringList out;
    for (const QString& l : load(path_).lines) {
        const QString s = sectionOf(l);
        if (!s.isNull() && !out.contains(s, Qt::CaseInsensitive)) out.append(s);
    }
    return out;
}

QStringList IniFile::readSection(const QString& section) const
{
    const CachedFile& f = load(path_);
    const SectionRange r = findSection(f.lines, section);
    QStringList out;
    if (r.header < 0) return out;
    for (qsizetype i = r.header + 1; i < r.end; ++i) {
        QString k, v;
        if (splitKeyLine(f.lines[i], k, v) && !out.contains(k, Qt::CaseInsensitive)) out.append(k);
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
    QStringList lines = load(path_).lines;
    const SectionRange r = findSection(lines, section);
    if (r.header < 0) return true;
    lines.erase(lines.begin() + r.header, lines.begin() + r.end);
    return store(path_, lines, access_);
}

bool IniFile::deleteKey(const QString& section, const QString& key)
{
    QStringList lines = load(path_).lines;
    const qsizetype i = findKey(lines, findSection(lines, section), key);
    if (i < 0) return true;
    lines.removeAt(i);
    return store(path_, lines, access_);
}

} // namespace platform
