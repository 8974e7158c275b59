#pragma once
// Programs the editor starts and waits for, and the hand-over to the audio CD ripper.
//
// The ripper ("Ripper.exe" in the program directory) reads "Ripper.ini" there: [SETTINGS]
// DiskPath (the show root) and QuorbelDir (the current show's folder name), and writes the
// ripped tracks into that show folder. It needs the CD driver; the editor looks for the driver
// file wnaspi32.dll in the Windows system folders first. On this host the driver is cdparanoia:
// every start of the editor writes a marker file of that name into C:\Windows\system32 when
// cdparanoia is installed, and takes its own marker away again when it is not, so the check
// answers whether audio CDs can be read. A file of that name put there by hand is left alone.
#include "platform/process.h"

#include <QObject>
#include <QString>

namespace editor {

// Starts file (a bare name is looked for in folder first, then as the program table and the
// PATH find it) with parameters, hidden, with folder as its working folder, and waits in a local
// event loop until it has ended, so every window stays live. A program that cannot be started
// gives the message "Error starting " + file.
platform::RunResult RunAndWait(const QString& folder, const QString& file, const QString& parameters,
                               const platform::RunWatch& watch = {});

// The driver file the ripper needs: systemRoot\system32\wnaspi32.dll, else
// systemRoot\system\wnaspi32.dll; empty when neither exists.
QString FindCdDriver(const QString& systemRoot);

// Writes or removes the driver marker in the Windows system32 folder of systemRoot as
// cdparanoia is installed or not (see above), saying so when it cannot. True when the marker is
// there afterwards.
bool StageCdDriverMarker(const QString& systemRoot);
// The first line of the marker, by which it is known as ours.
extern const char* const CdDriverMarkerLine;

// Writes "Ripper.ini" afresh in programDir. False when it cannot be written.
[[nodiscard]] bool WriteRipperHandOver(const QString& programDir, const QString& showRoot, const QString& showFolder);

// One ripper run at a time: while it runs, whatever must not touch the show folder (another
// ripper start, renumbering on leaving the music page, switching shows) waits for its end.
class CdRipperRun : public QObject {
    Q_OBJECT
public:
    explicit CdRipperRun(QObject* parent = nullptr) : QObject(parent) {}
    bool Running() const { return running_; }
    // Runs "Ripper.exe" from programDir and waits for it; started is told when it has started.
    platform::RunResult Run(const QString& programDir, const std::function<void()>& started);
    // Returns when no ripper runs any more (at once when none does), or when the application
    // is terminating. The windows stay live meanwhile.
    void WaitUntilEnded();

signals:
    void Ended();

private:
    bool running_ = false;
};

} // namespace editor
