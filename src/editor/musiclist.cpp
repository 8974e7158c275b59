#include "musiclist.h"

#include "app/language.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "util/strutils.h"

#include <QRandomGenerator>

namespace editor {

namespace {

QString bareName(const QString& path) { return path.mid(path.lastIndexOf(u'\\') + 1); }

// The folder a track is renamed and deleted in: the show folder for its tracks, else the
// track's own folder (a list still showing another show's tracks).
QString trackFolder(const QString& track, const QString& showFolder)
{
    if (!showFolder.isEmpty() && track.startsWith(showFolder, Qt::CaseInsensitive)) return showFolder;
    return EnsureTrailingBackslash(PathWithoutName(track));
}

// Renumbering parks every track under this prefix before it gives out the numbers.
constexpr const char* TempPrefix = "_F_";

} // namespace

bool IsUsableTrack(const QString& sampleRateHz, const QString& stereoMark)
{
    return sampleRateHz == QLatin1String("44100") && stereoMark == QLatin1String("STEREO");
}

QString FormatWarning(const QString& path)
{
    const QString cr(QChar(13));
    return LangText(10012) + u' ' + bareName(path) + u' ' + LangText(10013) + cr + cr + LangText(10014) + cr + cr
        + LangText(10015);
}

QString TrackFileName(int position, const QString& fileName)
{
    const QString extension = GetWordAt(CountWords(fileName, QStringLiteral(".")), fileName, QStringLiteral("."));
    return QStringLiteral("Audio") + PadLeftChar(QString::number(position), u'0', 3) + u'.' + extension;
}

QStringList CollectTracks(const QString& showFolderPath)
{
    QStringList paths;
    for (const char* mask : {"*.mp3", "*.wav"})
        for (const platform::DirEntry& e : platform::findFiles(showFolderPath, QLatin1String(mask)))
            if (!(e.attributes & platform::faDirectory)) paths.append(showFolderPath + e.name);
    paths.sort(Qt::CaseInsensitive);
    return paths;
}

MusicList::MusicList(TrackCheck check) : check_(std::move(check)) {}

void MusicList::Load()
{
    tracks_.clear();
    for (const QString& path : CollectTracks(folder_)) {
        const bool usable = check_(path);
        tracks_.append(path);
        if (!usable) platform::showInformation(FormatWarning(path));
    }
}

QString MusicList::freeRandomTarget(const QString& fileName) const
{
    // A number from 0 to 99,999,998; drawn again in the rare case that the name is taken, so
    // that no other file is overwritten.
    QString target;
    do {
        target = folder_ + QString::number(QRandomGenerator::global()->bounded(99999999)) + u'_' + fileName;
    } while (platform::fileExists(target) || platform::directoryExists(target));
    return target;
}

MusicList::AddResult MusicList::Add(const QString& chosenFile)
{
    if (!check_(chosenFile)) {
        platform::showInformation(FormatWarning(chosenFile));
        return AddResult::Refused;
    }
    const QString name = bareName(chosenFile);
    QString target = folder_ + name;
    if (!platform::directoryExists(folder_) && !platform::forceDirectories(folder_)) {
        platform::showError(QStringLiteral("Unable to create the folder ") + PathRemoveSeparator(folder_));
        return AddResult::Failed;
    }
    if (platform::sameFile(chosenFile, target)) return AddResult::KeptAsItIs;
    bool addToList = true;
    if (platform::fileExists(target)) {
        if (platform::confirm(LangText(10016))) addToList = false;
        else target = freeRandomTarget(name);
    }
    if (!platform::copyFile(chosenFile, target, false, folder_)) {
        platform::showError(QStringLiteral("Unable to copy ") + chosenFile + QStringLiteral(" to ") + target + QStringLiteral(": ")
                            + platform::lastFileError());
        return AddResult::Failed;
    }
    if (!addToList) return AddResult::Replaced;
    tracks_.append(target);
    return AddResult::Added;
}

bool MusicList::Move(int from, int to)
{
    if (from < 0 || to < 0 || from >= Count() || to >= Count()) return false;
    tracks_.move(from, to);
    return true;
}

void MusicList::Renumber()
{
    // Two passes, so that no track is given a name another track still holds.
    // Each track is renamed inside its own folder: a list still showing another show's tracks
    // never moves them into the current one.
    QStringList parked;
    for (const QString& track : tracks_) {
        const QString temp = EnsureTrailingBackslash(PathWithoutName(track)) + QLatin1String(TempPrefix) + bareName(track);
        parked.append(platform::renameFile(track, temp, trackFolder(track, folder_)) ? temp : QString());
    }
    for (int i = 0; i < tracks_.size(); ++i) {
        if (parked[i].isEmpty()) continue; // not moved: it keeps its name, nothing else is touched
        const QString inside = trackFolder(tracks_[i], folder_);
        const QString numbered = EnsureTrailingBackslash(PathWithoutName(tracks_[i])) + TrackFileName(i + 1, bareName(tracks_[i]));
        // The number is taken: back to its own name.
        if (!platform::renameFile(parked[i], numbered, inside) && !platform::renameFile(parked[i], tracks_[i], inside))
            platform::showError(QStringLiteral("Unable to rename %1: %2").arg(parked[i], platform::lastFileError()));
    }
    Load();
}

bool MusicList::Delete(int index)
{
    if (index < 0 || index >= Count()) return false;
    const QString path = tracks_.takeAt(index);
    return platform::deleteFile(path, trackFolder(path, folder_));
}

} // namespace editor
