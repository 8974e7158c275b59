#pragma once
// A temporary world for one test: drives C: and D: on temporary folders, Z: on "/", a home
// folder of its own (HOME, XDG_CONFIG_HOME) and an empty program directory.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace testsupport {

class TempWorld {
public:
    TempWorld();
    ~TempWorld();

    QString root() const { return dir_.path(); }
    QString hostC() const { return root() + "/c"; }
    QString hostD() const { return root() + "/d"; }
    QString home() const { return root() + "/home"; }
    QString programHost() const { return root() + "/program"; }
    // The program directory as the program sees it, with trailing backslash.
    QString programDir() const;

    // Writes a host file (folders created), returns its host path.
    QString writeHostFile(const QString& relativeHostPath, const QByteArray& bytes) const;
    QByteArray readHostFile(const QString& relativeHostPath) const;

    // Copies the assembled program directory of the build (build/program) into programHost().
    void copyBuiltProgram() const;

private:
    QTemporaryDir dir_;
    QByteArray oldHome_, oldDrives_, oldXdg_;
};

// The same as a GoogleTest fixture.
class WorldTest : public ::testing::Test {
protected:
    TempWorld world;
};

// Runs a host command through /bin/sh, returns its standard output; exit code in *status.
QString runHost(const QString& command, int* status = nullptr);
// True when the host program is on PATH.
bool haveHostProgram(const QString& name);
// What vcdimager says of an MPEG file when it makes a disc image of the type ("vcd2", "svcd") in
// the folder: empty when it made the image without a warning (no padding, nothing truncated).
QString discToolComplaints(const QString& mpegFile, const QString& discType, const QString& folder);

} // namespace testsupport
