#include "strutils.h"

#include "casetables.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/folders.h"

const QString PathDelimiters = QString(QChar(0)) + QStringLiteral(":\\");

bool CharInString(const QString& text, QChar c) { return text.contains(c); }

int CountWords(const QString& text, const QString& delims)
{
    int count = 0;
    bool inWord = false;
    for (QChar c : text) {
        const bool delim = delims.contains(c);
        if (!delim && !inWord) ++count;
        inWord = !delim;
    }
    return count;
}

bool FindWordStart(int n, const QString& text, const QString& delims, int& position)
{
    if (n < 1) return false;
    int count = 0;
    bool inWord = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool delim = delims.contains(text[i]);
        if (!delim && !inWord && ++count == n) {
            position = static_cast<int>(i) + 1;
            return true;
        }
        inWord = !delim;
    }
    return false;
}

QString GetWordAt(int n, const QString& text, const QString& delims)
{
    int start = 0;
    if (!FindWordStart(n, text, delims, start)) return {};
    qsizetype end = start - 1;
    while (end < text.size() && !delims.contains(text[end])) ++end;
    return text.mid(start - 1, end - (start - 1));
}

QString PadLeftChar(const QString& text, QChar fill, int length)
{
    if (text.size() >= length) return text;
    return QString(length - text.size(), fill) + text;
}

QString PathWithoutName(const QString& path)
{
    qsizetype i = path.size() - 1;
    while (i >= 0 && !PathDelimiters.contains(path[i])) --i;
    if (i < 0) return {};
    if (i == 0) return path.left(1);
    if (path[i] == u'\\') {
        if (path[i - 1] == u':') return path.left(i + 1);
        return path.left(i);
    }
    return path.left(i + 1); // ":" or NUL: up to and including it
}

QString EnsureTrailingBackslash(const QString& folder)
{
    if (folder.isEmpty()) return folder;
    if (folder.size() == 2 && folder[1] == u':') return folder + u'\\';
    if (folder.size() <= 2) return folder;
    return folder.endsWith(u'\\') ? folder : folder + u'\\';
}

QString PathAddSeparator(const QString& path) { return path.endsWith(u'\\') ? path : path + u'\\'; }

QString PathRemoveSeparator(const QString& path) { return path.endsWith(u'\\') ? path.left(path.size() - 1) : path; }

bool DirectoryExists(const QString& path) { return platform::directoryExists(path); }

bool FileExists(const QString& path) { return platform::fileExists(path); }

bool BuildFileList(const QString& pathWithMasks, int attributes, QStringList& list)
{
    const QString folderPart = PathWithoutName(pathWithMasks);
    const QString folder = PathAddSeparator(folderPart);
    QString rest = pathWithMasks.mid(folderPart.size());
    if (rest.startsWith(u'\\')) rest.remove(0, 1);
    QStringList masks;
    StrToStrings(rest, u';', &masks);
    bool endedNormally = false;
    for (QString mask : masks) {
        mask = mask.trimmed();
        if (mask.isEmpty()) continue;
        if (!platform::directoryExists(folder)) {
            endedNormally = false;
            continue;
        }
        // The platform's search also finds "." and ".." where the mask takes them; they count
        // for how the search ended, never for the list.
        const auto entries = platform::findFiles(folder, mask);
        QStringList batch;
        for (const auto& e : entries)
            if ((e.attributes & ~attributes) == 0) batch.append(e.name);
        list.append(batch);
        endedNormally = !entries.isEmpty() || platform::matchesMask(QStringLiteral("."), mask);
    }
    return endedNormally;
}

namespace {

bool isDriveRoot(const QString& folder)
{
    platform::WindowsPathParts parts;
    if (!platform::splitWindowsPath(folder, parts)) return true; // no place we know: refuse
    return parts.components.isEmpty();
}

} // namespace

bool DeleteTree(const QString& folder, bool stopAtFailure, const DeleteFileCallback& callback)
{
    if (folder.trimmed().isEmpty() || isDriveRoot(folder)) return false;
    const QString base = PathRemoveSeparator(folder);
    const int ownAttributes = platform::fileAttributes(base);
    if (ownAttributes < 0 || !(ownAttributes & platform::faDirectory)) return false;
    if (ownAttributes & platform::faSymLink) return platform::removeDirectory(base); // the link alone
    // The folder must be writable to delete its entries (a read-only folder is no obstacle on Windows).
    // Whether that was enough is told by the deletes below.
    (void)platform::setFileAttributes(base, platform::faNormal);
    bool ok = true;
    const auto entries = platform::findFiles(base, QStringLiteral("*.*"));
    for (const auto& e : entries) {
        const QString full = base + u'\\' + e.name;
        bool done;
        if (!platform::isInside(base, full)) {
            done = false; // a name that reaches out of the folder: nothing there is touched
        } else if (e.attributes & platform::faSymLink) {
            done = (e.attributes & platform::faDirectory) ? platform::removeDirectory(full, base) : platform::deleteFile(full, base);
        } else if (e.attributes & platform::faDirectory) {
            done = DeleteTree(full, stopAtFailure, callback);
        } else {
            if (callback && !callback(full, e.attributes)) continue;
            (void)platform::setFileAttributes(full, platform::faNormal); // as above
            done = platform::deleteFile(full, base);
        }
        if (!done) {
            ok = false;
            if (stopAtFailure) break;
        }
    }
    if (!ok) return false;
    return platform::removeDirectory(base);
}

bool DeleteDirectory(const QString& folder) { return DeleteTree(folder, false); }

QString GetModulePath(quintptr) { return platform::modulePath(); }

bool VersionFixedFileInfo(const QString& fileName, QByteArray& record)
{
    // A Windows executable keeps the record behind the key "VS_VERSION_INFO" (UTF-16), aligned
    // to four bytes, starting with the signature 0xFEEF04BD.
    const auto bytes = platform::readFile(fileName, 256LL * 1024 * 1024);
    if (!bytes || !bytes->startsWith("MZ")) return false;
    const QByteArray key = QByteArray::fromRawData(reinterpret_cast<const char*>(u"VS_VERSION_INFO"), 30);
    qsizetype at = bytes->indexOf(key);
    while (at >= 0) {
        qsizetype p = at + key.size() + 2;           // the key's terminating NUL
        while (p % 4 != 0) ++p;                       // padding to a 32-bit boundary
        if (p + 52 <= bytes->size() && static_cast<unsigned char>((*bytes)[p]) == 0xBD
            && static_cast<unsigned char>((*bytes)[p + 1]) == 0x04 && static_cast<unsigned char>((*bytes)[p + 2]) == 0xEF
            && static_cast<unsigned char>((*bytes)[p + 3]) == 0xFE) {
            record = bytes->mid(p, 52);
            return true;
        }
        at = bytes->indexOf(key, at + 1);
    }
    return false;
}

QString MakeDosName(const QString& text)
{
    static const QString toUnderscore = QString::fromUtf8(" '.-!$%=\"§?,´`€éáúóêâûô");
    static const QString toX = QStringLiteral("*:()\\/><");
    QString pass1;
    pass1.reserve(text.size());
    for (QChar c : text) {
        if (toUnderscore.contains(c)) pass1 += u'_';
        else if (toX.contains(c)) pass1 += u'x';
        else if (c == u'&') pass1 += u'a';
        else pass1 += c;
    }
    QString pass2;
    pass2.reserve(pass1.size() + 8);
    for (QChar c : pass1) {
        switch (c.unicode()) {
        case 0xC4: pass2 += QStringLiteral("Ae"); break;
        case 0xD6: pass2 += QStringLiteral("Oe"); break;
        case 0xDC: pass2 += QStringLiteral("Ue"); break;
        case 0xDF: pass2 += QStringLiteral("ss"); break;
        case 0xE4: pass2 += QStringLiteral("ae"); break;
        case 0xF6: pass2 += QStringLiteral("oe"); break;
        case 0xFC: pass2 += QStringLiteral("ue"); break;
        default: pass2 += c;
        }
    }
    for (QChar& c : pass2)
        if (c >= u'A' && c <= u'Z') c = QChar(c.unicode() + 32);
    return pass2;
}

QString HeadedList(const QString& heading, const QStringList& lines, int shown)
{
    QString text = heading;
    for (int i = 0; i < lines.size() && i < shown; ++i) text += u'\n' + lines[i];
    if (lines.size() > shown) text += QStringLiteral("\n(") + QString::number(lines.size() - shown) + QStringLiteral(" more)");
    return text;
}
