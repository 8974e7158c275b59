#include "picturelist.h"
#include "showfiles.h"

#include "itemtext.h"
#include "platform/files.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

#include <QCryptographicHash>

namespace show {

namespace {

const QString ThumbPrefix = QStringLiteral("_THUMB_");

// The longest mapped name kept in a cache file name, in UTF-8 bytes; with the digest and the
// extension the name stays well below the 255 bytes a host file name may have.
constexpr int MaxMappedNameBytes = 180;
// The longest picture name a show keeps, in UTF-8 bytes: "_THUMB_", a number and the name
// still fit into the 255 bytes of a host name.
constexpr int MaxShowNameBytes = 200;

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

QString SourceItem(const QString& thumbnailPath, const QString& name) { return show::PictureItem(thumbnailPath, name); }

QString ItemFileName(const QString& item)
{
    const QString line = show::PictureItemText(item);
    const qsizetype bar = line.indexOf(u'|');
    return (bar < 0 ? line : line.left(bar)).trimmed();
}

QString ItemCaption(const QString& item) { return GetWordAt(2, show::PictureItemText(item), QStringLiteral("|")).trimmed(); }

QString ItemWithCaption(const QString& item, const QString& caption)
{
    return show::PictureItemWithText(item, PictureLine({ItemFileName(item), caption}));
}

bool IsStorableCaption(const QString& caption)
{
    for (QChar c : caption)
        if (c == u'|' || c == u'\r' || c == u'\n') return false;
    return true;
}

CaptionFit FitCaptionToWindows1252(const QString& caption)
{
    CaptionFit fit;
    fit.caption.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        const QChar c = caption[i];
        if (platform::unicodeToWindows1252(c.unicode()) >= 0) {
            fit.caption += c;
            continue;
        }
        const qsizetype n = (c.isHighSurrogate() && i + 1 < caption.size() && caption[i + 1].isLowSurrogate()) ? 2 : 1;
        const QString character = caption.mid(i, n);
        if (!fit.replaced.contains(character)) fit.replaced.append(character);
        fit.caption += u'?';
        i += n - 1;
    }
    return fit;
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
    // The host keeps at most 255 bytes of a name, and the thumbnails put "_THUMB_" and a number
    // before it: a longer name is cut in its stem, the extension kept.
    if (out.toUtf8().size() > MaxShowNameBytes) {
        const qsizetype dot = out.lastIndexOf(u'.');
        const QString extension = dot > 0 && out.size() - dot <= 16 ? out.mid(dot) : QString();
        const QString stem = out.left(out.size() - extension.size());
        out = cutToUtf8Bytes(stem, MaxShowNameBytes - int(extension.toUtf8().size())).trimmed() + extension;
    }
    // The program's own files beside the pictures begin with these; a picture named so would be
    // taken for one of them. Their underscores become "-".
    for (bool renamed = true; renamed;) {
        renamed = false;
        for (const QString& prefix : OwnFilePrefixes()) {
            if (!out.startsWith(prefix, Qt::CaseInsensitive)) continue;
            for (qsizetype i = 0; i < prefix.size(); ++i)
                if (out[i] == u'_') out[i] = u'-';
            renamed = true;
        }
    }
    return out;
}

const QStringList& OwnFilePrefixes()
{
    static const QStringList prefixes = {QStringLiteral("_THUMB_"), QStringLiteral("_PRINT_"), QStringLiteral("UNDO_")};
    return prefixes;
}

QString CopyPictureIntoShow(const QString& source, const QString& showFolderPath)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    // A folder that cannot be made fails the copy below, which the caller reports.
    if (!platform::directoryExists(folder)) (void)platform::forceDirectories(folder);
    const QString ownName = NameOf(source);
    QString target = folder + ShowSafeName(ownName);
    if (platform::fileExists(target) || platform::directoryExists(target)) target = UniquePictureName(target);
    if (!platform::copyFile(source, target, false, folder)) return {};
    (void)platform::setFileAttributes(target, platform::faArchive); // the copy is made; the mark is cosmetic
    return target.mid(folder.size());
}

QString RenameToShowSafeName(const QString& showFolderPath, const QString& name)
{
    const QString safe = ShowSafeName(name);
    if (safe == name) return name;
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    QString target = folder + safe;
    if (platform::fileExists(target) || platform::directoryExists(target)) target = UniquePictureName(target);
    if (!platform::renameFile(folder + name, target)) return {};
    return target.mid(folder.size());
}

QString RenameToFreeName(const QString& showFolderPath, const QString& name)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    const QString target = UniquePictureName(folder + name);
    if (!platform::renameFile(folder + name, target, folder)) return {};
    return target.mid(folder.size());
}

QStringList DeleteFilesMatching(const QString& pathWithMask)
{
    QStringList failed;
    const QString folder = FolderOf(pathWithMask);
    const QString mask = NameOf(pathWithMask);
    for (const auto& e : platform::findFiles(folder, mask))
        if (!(e.attributes & platform::faDirectory) && platform::isRegularFile(folder + e.name))
            if (!platform::deleteFile(folder + e.name, folder)) failed.append(folder + e.name);
    return failed;
}

QString ItemThumbnailPath(const QString& item) { return show::PictureItemThumbnail(item); }

void DeleteStaleThumbnails(const QString& showFolderPath, const QStringList& items, const QStringList& pictures)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    if (folder.size() <= 1 || !platform::directoryExists(folder)) return;
    QSet<QString> referenced;
    for (const QString& item : items) {
        referenced.insert(ItemThumbnailPath(item).toUpper());
        // A picture of the show whose name begins like a thumbnail's is a picture all the same.
        referenced.insert((folder + ItemFileName(item)).toUpper());
    }
    for (const QString& picture : pictures) referenced.insert((folder + picture).toUpper());
    for (const auto& e : platform::findFiles(folder, QStringLiteral("_THUMB*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        if (!e.name.toUpper().startsWith(ThumbPrefix)) continue;
        if (referenced.contains((folder + e.name).toUpper())) continue;
        const QString picture = e.name.mid(ThumbPrefix.size());
        // A stale thumbnail that stays is referenced by nothing.
        if (picture.isEmpty() || !platform::fileExists(folder + picture)) (void)platform::deleteFile(folder + e.name, folder);
    }
}

bool IsConvertedCopyName(const QString& name)
{
    static const char* const marks[] = {"_TIFF.JPG", "_GIF.JPG", "_JPEG.JPG", "_BMP.JPG"};
    const QString upper = name.toUpper();
    for (const char* mark : marks)
        if (upper.endsWith(QLatin1String(mark)) && upper.size() > qsizetype(qstrlen(mark))) return true;
    return false;
}

void DeleteConvertedCopies(const QString& folder, QStringList& made)
{
    const QString dir = EnsureTrailingBackslash(folder);
    if (dir.size() <= 1) return;
    for (qsizetype i = made.size() - 1; i >= 0; --i) {
        const QString& copy = made[i];
        if (FolderOf(copy).compare(dir, Qt::CaseInsensitive) != 0) continue;
        const QString name = NameOf(copy);
        // Only what this program wrote there under a copy's name, and only a plain file.
        if (IsBareFileName(name) && IsConvertedCopyName(name) && platform::isRegularFile(dir + name))
            (void)platform::deleteFile(dir + name, dir); // a copy that stays is only clutter
        made.removeAt(i);
    }
}

bool IsForbiddenSourceFolder(const QString& folder, const QString& showRoot, const QString& programDir)
{
    const QString upper = folder.toUpper();
    return (!showRoot.isEmpty() && upper.contains(showRoot.toUpper()))
           || (!programDir.isEmpty() && upper.contains(programDir.toUpper()));
}

} // namespace show
