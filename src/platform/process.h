#pragma once
// External programs. The system starts programs by their Windows names ("Lame.exe",
// "Ripper.exe", "CONTROL.EXE", the player in the show root) with a Windows parameter text.
// A table maps those names onto host programs; the parameter text is split by the Windows
// command-line rules and every argument that is a Windows path is mapped to its host path.
#include <QMap>
#include <QString>
#include <QStringList>
#include <functional>

namespace platform {

class ProgramTable {
public:
    static ProgramTable& instance();

    // The built-in table plus QUORBEL_PROGRAMS ("Lame.exe=/usr/bin/lame;CONTROL.EXE=").
    // An entry with an empty command starts nothing. An entry may name a program with its
    // parameter text ("CONTROL.EXE desk.cpl,,1"): its command is then the whole host command
    // line for that call. Setting the entry of a program replaces the entries of the same
    // program with parameters.
    void loadFromEnvironment();
    void set(const QString& windowsName, const QString& hostCommand);
    void remove(const QString& windowsName);

    struct Resolved {
        enum Kind { Host, Nothing, Missing } kind = Missing;
        QString program;        // host program
        QStringList arguments;  // fixed arguments of the table entry, before the caller's
        bool ownParameters = false; // the entry names the parameters too: the caller's are not passed
    };
    // The entry for the program with these parameters, then the table entry by file name
    // (without regard to case), else an existing executable file at the mapped path, else the
    // name on the host's PATH.
    Resolved resolve(const QString& windowsProgram, const QString& parameters = {}) const;

private:
    ProgramTable();
    QMap<QString, QString> table_; // lower-case file name -> host command
};

// CommandLineToArgv rules: white space separates, double quotes group, 2n backslashes before a
// quote give n and the quote toggles, 2n+1 give n and a literal quote, "" inside quotes is a quote.
QStringList splitWindowsCommandLine(const QString& parameters);
// The host path for an argument that is a Windows path on a mapped drive; other arguments as they are.
QString mapArgument(const QString& argument);

struct RunResult {
    // StillRunning: the wait ended because the application is terminating; the program goes on.
    enum Status { Finished, CannotStart, Aborted, NothingToRun, StillRunning } status = CannotStart;
    int exitCode = -1;
    QString error;
    bool ok() const { return status == Finished || status == NothingToRun; }
};

// Optional notices while runAndWait waits. ended comes as soon as the program has ended, while
// the wait may still be held up by event loops that run on top of it.
struct RunWatch {
    std::function<void()> started;
    std::function<void()> ended;
};

// Starts the program hidden and waits in a local event loop until it ends, so windows stay live
// and no core is burnt. abortRequested is asked every 50 ms; when it answers true the program's
// whole process group is killed. When the application terminates meanwhile, the wait ends at
// once and the program is left running (StillRunning).
RunResult runAndWait(const QString& program, const QString& parameters, const QString& workingDir,
                     const std::function<bool()>& abortRequested = {}, const RunWatch& watch = {});
// Starts the program and returns at once (the player).
RunResult startProgram(const QString& program, const QString& parameters, const QString& workingDir);
// True when the program with these parameters maps to a host program that can be started.
bool hostProgramFor(const QString& program, const QString& parameters);

} // namespace platform
