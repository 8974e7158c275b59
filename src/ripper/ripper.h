#pragma once
// Rips the tracks of an audio CD into the show folder that "Ripper.ini" names.
#include <QList>
#include <QString>
#include <functional>

namespace ripper {

struct Track {
    int number = 0;
    qint64 sectors = 0;
};

// Parses the table of contents that "cdparanoia -Q" prints.
QList<Track> parseTableOfContents(const QString& text);

struct Job {
    QString showFolder;   // Windows path with trailing backslash
    QString error;        // set when the hand-over cannot be used
};
// Reads "Ripper.ini" in programDir: [SETTINGS] DiskPath (the show root) and QuorbelDir (the show).
Job readHandOver(const QString& programDir);

// A free name for track n in folder: "CD-Track" + two digits + ".wav", with "_1", "_2", ...
// when that is taken.
QString trackFileName(const QString& folder, int number);

struct Progress {
    std::function<void(const QString&)> status;      // a line for the user
    std::function<bool(int done, int total)> step;   // false stops the job
};

// The whole job. Returns 0 when every track was ripped, otherwise a non-zero code, with the
// reason given through progress.status.
int rip(const QString& programDir, const Progress& progress);

} // namespace ripper
