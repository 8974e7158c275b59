#include "picturelist.h"

#include "platform/files.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

#include <QCryptographicHash>

namespace editor {

namespace {

const QString ThumbPrefix = QStringLiteral("_THUMB_");
const QString FilePrefix = QStringLiteral("file://");

// The longest mapped name kept in a cache file name, in UTF-8 bytes; with the digest and the
// extension the name stays well below the 255 bytes a host file name may have.
constexpr int MaxMappedNameBytes = 180;

QString afterFirstGt(const QString& item)
{
    const qsizetype gt = item.indexOf(u'>');
    return gt < 0 ? item : item.mid(gt + 1);
}

QString cutToUtf8Bytes(const QString& text, int maxBytes)
{
    if (text.toUtf8().size() <= maxBytes) return text;
    QString out;
    int bytes = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        // Keep surrogate pairs whole.
        const qsizetype n = (text[i].isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString piece = text.mid(i, n);
        const int b = int(piece.toUtf8().size());
        if (bytes + b > maxBytes) break;
        out += piece;
        bytes += b;
        i += n - 1;
    }
    return out;
}

} // namespace

QString FolderOf(const QString& path)
{
    const QString folder = PathWithoutName(path);
    return folder.isEmpty() ? folder : EnsureTrailingBackslash(folder);
}

QString NameOf(const QString& path) { return path.mid(FolderOf(path).size()); }

bool IsSourcePictureName(const QString& name) { return name.toUpper().contains(QLatin1String(".JPG")); }

QStringList SourcePictureNames(const QString& folder)
{
    const QString dir = EnsureTrailingBackslash(folder);
    QStringList names;
    for (const auto& e : platform::findFiles(dir, QStringLiteral("*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        if (!IsSourcePictureName(e.name)) continue;
        if (!platform::isRegularFile(dir + e.name)) continue;
        names.append(e.name);
    }
    return names;
}

int CountJpegEntries(const QString& folder)
{
    return int(platform::findFiles(EnsureTrailingBackslash(folder), QStringLiteral("*.jpg")).size());
}

QString CacheThumbnailPath(const QString& programDir, const QString& picturePath)
{
    const QString mapped = cutToUtf8Bytes(MakeDosName(picturePath), MaxMappedNameBytes);
    const QByteArray digest = QCryptographicHash::hash(picturePath.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return EnsureTrailingBackslash(programDir) + QStringLiteral("thumbs\\") + mapped + u'_' + QString::fromLatin1(digest)
           + QStringLiteral(".jpg");
}

QString SourceItem(const QString& thumbnailPath, const QString& name)
{
    return QStringLiteral("<IMG src=\"file://") + thumbnailPath + QStringLiteral("\" align=\"top\">") + name;
}

QString ItemFileName(const QString& item)
{
    const QString line = afterFirstGt(item);
    const qsizetype bar = line.indexOf(u'|');
    return (bar < 0 ? line : line.left(bar)).trimmed();
}

QString ItemCaption(const QString& item) { return GetWordAt(2, afterFirstGt(item), QStringLiteral("|")).trimmed(); }

QString ItemWithCaption(const QString& item, const QString& caption)
{
    const qsizetype bar = item.indexOf(u'|');
    return (bar < 0 ? item : item.left(bar)).trimmed() + QStringLiteral(" | ") + caption;
}

bool IsStorableCaption(const QString& caption)
{
    for (QChar c : caption)
        if (c == u'|' || c == u'\r' || c == u'\n') return false;
    return true;
}

QString UniquePictureName(const QString& path)
{
    const QString folder = FolderOf(path);
    const QString name = NameOf(path);
    const QString dot = QStringLiteral(".");
    const int words = CountWords(name, dot);
    QStringList stemWords;
    for (int i = 1; i < words; ++i) stemWords.append(GetWordAt(i, name, dot));
    const QString stem = stemWords.join(dot);
    const QString extension = GetWordAt(words, name, dot);
    for (qint64 n = 1;; ++n) {
        const QString candidate = folder + stem + u'_' + QString::number(n) + u'.' + extension;
        if (!platform::fileExists(candidate) && !platform::directoryExists(candidate)) return candidate;
    }
}

QString ShowSafeName(const QString& name)
{
    static const QString refused = QStringLiteral("\\/:*?\"<>|");
    QString out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const QChar c = name[i];
        if (c.isHighSurrogate() && i + 1 < name.size()) {
            out += u'_';
            ++i;
            continue;
        }
        const bool bad = refused.contains(c) || c.unicode() < 0x20 || c.unicode() == 0x7F
                         || platform::unicodeToWindows1252(c.unicode()) < 0;
        out += bad ? QChar(u'_') : c;
    }
    out = out.trimmed();
    bool onlyDots = true;
    for (QChar c : out)
        if (c != u'.') onlyDots = false;
    if (onlyDots) out = QStringLiteral("picture.jpg");
    return out;
}

QString CopyPictureIntoShow(const QString& source, const QString& showFolderPath)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    if (!platform::directoryExists(folder)) platform::forceDirectories(folder);
    const QString ownName = NameOf(source);
    QString target = folder + ShowSafeName(ownName);
    if (platform::fileExists(target) || platform::directoryExists(target)) target = UniquePictureName(target);
    if (!platform::copyFile(source, target, false, folder)) return {};
    platform::setFileAttributes(target, platform::faArchive);
    return target.mid(folder.size());
}

void DeleteFilesMatching(const QString& pathWithMask)
{
    const QString folder = FolderOf(pathWithMask);
    const QString mask = NameOf(pathWithMask);
    for (const auto& e : platform::findFiles(folder, mask))
        if (!(e.attributes & platform::faDirectory) && platform::isRegularFile(folder + e.name))
            platform::deleteFile(folder + e.name, folder);
}

QString ItemThumbnailPath(const QString& item)
{
    const qsizetype src = item.indexOf(QLatin1String("src=\""), 0, Qt::CaseInsensitive);
    if (src < 0) return {};
    const qsizetype start = src + 5;
    const qsizetype end = item.indexOf(u'"', start);
    if (end < 0) return {};
    QString path = item.mid(start, end - start);
    if (path.startsWith(FilePrefix, Qt::CaseInsensitive)) path = path.mid(FilePrefix.size());
    return path;
}

void DeleteStaleThumbnails(const QString& showFolderPath, const QStringList& items)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    if (folder.size() <= 1 || !platform::directoryExists(folder)) return;
    QSet<QString> referenced;
    for (const QString& item : items) referenced.insert(ItemThumbnailPath(item).toUpper());
    for (const auto& e : platform::findFiles(folder, QStringLiteral("_THUMB*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        if (!e.name.toUpper().startsWith(ThumbPrefix)) continue;
        if (referenced.contains((folder + e.name).toUpper())) continue;
        const QString picture = e.name.mid(ThumbPrefix.size());
        if (picture.isEmpty() || !platform::fileExists(folder + picture)) platform::deleteFile(folder + e.name, folder);
    }
}

void DeleteConvertedCopies(const QString& folder)
{
    const QString dir = EnsureTrailingBackslash(folder);
    if (dir.size() <= 1) return;
    // A copy is named after its source: "photo_TIFF.jpg" stands for "photo.tif" or "photo.tiff".
    struct Mark {
        const char* suffix;
        QStringList sourceExtensions;
    };
    const Mark marks[] = {
        {"_TIFF.JPG", {QStringLiteral(".tif"), QStringLiteral(".tiff")}},
        {"_GIF.JPG", {QStringLiteral(".gif")}},
        {"_JPEG.JPG", {QStringLiteral(".jpeg")}},
        {"_BMP.JPG", {QStringLiteral(".bmp")}},
    };
    for (const auto& e : platform::findFiles(dir, QStringLiteral("*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        const QString upper = e.name.toUpper();
        for (const Mark& mark : marks) {
            const QLatin1String suffix(mark.suffix);
            if (!upper.endsWith(suffix)) continue;
            const QString stem = e.name.left(e.name.size() - suffix.size());
            bool fromSource = false;
            for (const QString& ext : mark.sourceExtensions)
                if (!stem.isEmpty() && platform::fileExists(dir + stem + ext)) fromSource = true;
            // A picture of the user's that only looks like a copy (no source beside it) stays.
            if (fromSource) platform::deleteFile(dir + e.name, dir);
            break;
        }
    }
}

bool IsForbiddenSourceFolder(const QString& folder, const QString& showRoot, const QString& programDir)
{
    const QString upper = folder.toUpper();
    return (!showRoot.isEmpty() && upper.contains(showRoot.toUpper()))
           || (!programDir.isEmpty() && upper.contains(programDir.toUpper()));
}

} // namespace editor
