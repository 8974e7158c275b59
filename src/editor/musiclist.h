#pragma once
// The show's music: the audio tracks in the show folder, in play order. A track's place in the
// list is its play position; renumbering writes the position into the file names (Audio001.mp3,
// Audio002.wav, ...) so that the player and the video run find the tracks in order by name.
// Only 44,100 Hz stereo is taken; the check is the audio analysis, handed in by the caller.
#include <QString>
#include <QStringList>
#include <functional>

namespace editor {

// The audio analysis of one file: true when it is 44,100 Hz stereo. The caller runs the
// analysis (which may report an unreadable file itself).
using TrackCheck = std::function<bool(const QString& path)>;

// The two result texts of the analysis that make a usable track: "44100" and "STEREO".
bool IsUsableTrack(const QString& sampleRateHz, const QString& stereoMark);

// The warning about an unusable file: texts 10012, the file name without folder, 10013, then
// 10014 and 10015, each after two CR.
QString FormatWarning(const QString& path);

// "Audio" + the 1-based position padded to three digits + "." + the last "."-separated word of
// fileName, kept in its case (Audio001.mp3; position 1000 gives Audio1000.wav).
QString TrackFileName(int position, const QString& fileName);

// The tracks of a show folder (with trailing backslash): its "*.mp3" and "*.wav" files, hidden
// and read-only ones included, no folders, sorted by full path without regard to case.
QStringList CollectTracks(const QString& showFolderPath);

class MusicList {
public:
    explicit MusicList(TrackCheck check);

    // The show folder with trailing backslash.
    void SetShowFolder(const QString& showFolderPath) { folder_ = showFolderPath; }
    const QString& ShowFolder() const { return folder_; }

    // Full paths in play order.
    const QStringList& Tracks() const { return tracks_; }
    int Count() const { return static_cast<int>(tracks_.size()); }

    // Rebuilds the list from the show folder. Every track is checked; an unusable one stays in
    // the list and gets the format warning.
    void Load();

    enum class AddResult {
        Refused,     // not 44,100 Hz stereo: warned, nothing copied
        Added,       // copied into the show folder and added at the end
        Replaced,    // a file of that name was overwritten on request; the list is unchanged
        KeptAsItIs,  // the chosen file is the one in the show folder already
        Failed,      // the folder or the copy could not be made: reported, nothing added
    };
    // Adds a file from disk: checked, then copied into the show folder under its own name.
    // When that name is taken the user is asked (text 10016): Yes overwrites it, No copies to a
    // random number + "_" + the name instead.
    AddResult Add(const QString& chosenFile);

    // Moves the track at from to the place to (both must be rows of the list).
    bool Move(int from, int to);

    // Renames every track after its place: first each to "_F_" + its name, then each of those
    // to TrackFileName. A rename never replaces a file; a track whose rename fails keeps the
    // name it has. Ends by loading the list again.
    void Renumber();

    // Removes the track at index from the list and deletes its file.
    bool Delete(int index);

private:
    QString freeRandomTarget(const QString& fileName) const;

    TrackCheck check_;
    QString folder_;
    QStringList tracks_;
};

} // namespace editor
