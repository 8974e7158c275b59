#include "showfiles.h"

#include <QStringDecoder>

#include "picturelist.h"

#include "itemtext.h"
#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/numbers.h"
#include "platform/textcodec.h"
#include "util/strutils.h"

namespace show {

namespace {

const QString SectionQuorbel = QStringLiteral("QUORBEL");
const QString ShowIni = QStringLiteral("Quorbel.ini");
const QString PicturesIni = QStringLiteral("Pictures.ini");

} // namespace

QString NextShowFolderName(const QString& showRoot)
{
    int largest = 0;
    for (const auto& e : platform::findFiles(EnsureTrailingBackslash(showRoot), QStringLiteral("*.*"))) {
        if (!(e.attributes & platform::faDirectory) || e.name.contains(u'.')) continue;
        if (!e.name.contains(u'_')) continue;
        const auto number = platform::parseInteger(GetWordAt(2, e.name, QStringLiteral("_")));
        if (number && *number > largest) largest = *number;
    }
    return QStringLiteral("Quorbel_") + PadLeftChar(QString::number(qint64(largest) + 1), u'0', 4);
}

QString NormaliseSeconds(const QString& text)
{
    QString s = text.trimmed();
    if (s.contains(u',')) s = GetWordAt(1, s, QStringLiteral(","));
    if (s.contains(u'.')) s = GetWordAt(1, s, QStringLiteral("."));
    const auto value = platform::parseInteger(s);
    if (!value || *value < 1) return QStringLiteral("3");
    return QString::number(*value);
}

ShowInfo ReadShowInfo(const QString& showFolderPath)
{
    ShowInfo info;
    const QString path = EnsureTrailingBackslash(showFolderPath) + ShowIni;
    if (!platform::fileExists(path)) return info;
    info.exists = true;
    const platform::IniFile ini(path);
    info.title = ini.readString(SectionQuorbel, QStringLiteral("Titel")).trimmed();
    if (info.title.toUpper() == QLatin1String(PlaceholderTitle)) {
        info.placeholder = true;
        info.title.clear();
    }
    info.time = ini.readString(SectionQuorbel, QStringLiteral("Time")).trimmed();
    return info;
}

bool WriteShowInfo(const QString& showFolderPath, const QString& title, const QString& seconds)
{
    platform::IniFile ini(EnsureTrailingBackslash(showFolderPath) + ShowIni);
    return ini.writeString(SectionQuorbel, QStringLiteral("Titel"), title)
           && ini.writeString(SectionQuorbel, QStringLiteral("Time"), seconds);
}

bool IsBareFileName(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String("..")) return false;
    return !name.contains(u'\\') && !name.contains(u'/') && !name.contains(u':');
}

PictureEntry ParsePictureLine(const QString& line)
{
    const QString bar = QStringLiteral("|");
    return {GetWordAt(1, line, bar).trimmed(), GetWordAt(2, line, bar).trimmed()};
}

QString PictureLine(const PictureEntry& entry)
{
    // A picture without a caption is its name alone: no "|" shows or is stored without a caption.
    return entry.caption.isEmpty() ? entry.file : entry.file + QStringLiteral(" | ") + entry.caption;
}

std::optional<PictureEntry> ParsePictureLineAsUtf8(const QString& line)
{
    const QByteArray bytes = platform::toWindows1252(line);
    bool wide = false;
    for (char c : bytes) wide = wide || (static_cast<unsigned char>(c) >= 0x80);
    if (!wide) return std::nullopt;
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    if (decoder.hasError() || text == line) return std::nullopt;
    return ParsePictureLine(text);
}

QStringList ReadPictureLines(const QString& showFolderPath)
{
    return platform::readTextLines(EnsureTrailingBackslash(showFolderPath) + PicturesIni).value_or(QStringList());
}

bool WritePictureLines(const QString& showFolderPath, const QStringList& lines)
{
    return platform::writeTextLines(EnsureTrailingBackslash(showFolderPath) + PicturesIni, lines);
}

QList<PictureEntry> ReadPictureList(const QString& showFolderPath)
{
    const QString folder = EnsureTrailingBackslash(showFolderPath);
    QList<PictureEntry> out;
    for (const QString& line : ReadPictureLines(folder)) {
        const PictureEntry e = ParsePictureLine(line);
        if (IsBareFileName(e.file) && platform::fileExists(folder + e.file)) out.append(e);
    }
    return out;
}

QString ThumbnailPath(const QString& showFolderPath, const QString& file)
{
    return EnsureTrailingBackslash(showFolderPath) + QStringLiteral("_THUMB_") + file;
}

QString ShowItem(const QString& showFolderPath, const QString& file, const QString& lineText)
{
    return show::PictureItem(ThumbnailPath(showFolderPath, file), lineText);
}

QString ItemLine(const QString& item) { return show::PictureItemText(item); }

QList<ShowListing> ListShows(const QString& showRoot)
{
    const QString root = EnsureTrailingBackslash(showRoot);
    QList<ShowListing> out;
    for (const auto& e : platform::findFiles(root, QStringLiteral("*.*"))) {
        if (!(e.attributes & platform::faDirectory) || e.name.contains(u'.')) continue;
        if (e.name.toUpper().contains(QLatin1String("DEL"))) continue;
        const QString ini = root + e.name + QStringLiteral("\\") + ShowIni;
        if (!platform::fileExists(ini)) continue;
        out.append({e.name, platform::IniFile(ini).readString(SectionQuorbel, QStringLiteral("Titel"))});
    }
    return out;
}

QString ShowFolderToDelete(const QString& showRoot, const QString& folderName)
{
    const QString name = folderName.trimmed();
    if (name != folderName || !IsBareFileName(name)) return {};
    const QString root = EnsureTrailingBackslash(showRoot);
    if (root.isEmpty()) return {};
    const QString folder = root + name;
    return platform::directoryExists(folder) ? folder : QString();
}

void DeleteStaleThumbnails(const QString& showFolderPath)
{
    // The picture of a thumbnail is its name after the literal "_THUMB_" (runs of "_" kept); the
    // pictures "Pictures.ini" lists stay whatever their names.
    QStringList pictures;
    for (const QString& line : ReadPictureLines(showFolderPath)) pictures.append(ParsePictureLine(line).file);
    DeleteStaleThumbnails(showFolderPath, QStringList(), pictures);
}

} // namespace show
