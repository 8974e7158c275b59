#pragma once
// What the player plays: the settings of "Settings.ini", its texts from "Language.ini" [PLAYER]
// and the shows of the folder it lives in, read into one plan.
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace player {

struct Settings {
    bool stopAtEnd = true;       // StopQuorbelAtEnd
    bool fullscreen = true;
    bool manuell = false;        // step with the arrow keys instead of the clock
    bool pictureText = false;    // captions
    bool fileName = false;       // file names
    int bkgColor = 0;            // colour integers 0x00BBGGRR
    int textColor = 0xFFFFFF;
    QString effectMode = QStringLiteral("OFF");
    int effect = 1;
    int textOffset = 0;
};

// One line of "Effects.ini": paint effect, delay (milliseconds per percent), grain, passes, wand size.
struct Transition {
    int effect = 1000;
    int delay = 0;
    int grain = 1;
    int passes = 1;
    int wandSize = 0;
};

struct Picture {
    QString file;     // bare name
    QString caption;
    int transition = 0; // the line of the transition list it comes in with; 0: none, shown at once
};

struct Show {
    QString folder;   // Windows path with trailing backslash
    QString name;     // folder name
    QString title;
    int seconds = 3;
    QList<Picture> pictures;
    QStringList audio; // file names in play order
};

struct Plan {
    QString root;          // the show root (Windows path, trailing backslash)
    QStringList arguments;
    Settings settings;
    // The lines of "Effects.ini"; a line that is not five integers or names no effect is empty.
    QList<std::optional<Transition>> transitions;
    QString language;
    QString loadingText, endText, escapeText, noShowText; // 100001 to 100004
    QList<Show> shows;
};

// True when the player was started as the screensaver ("/s", in either case). So started it
// never ends a show on its own: the last picture of the last show is followed by the first.
bool StartedAsScreensaver(const QStringList& arguments);

// The show root the player plays: the folder it lives in, or, started as the screensaver
// ("/s"), the staging folder of the screensaver in the documents folder ("Quorbel_Screensaver\"
// for a player whose file name holds "Quorbel", "Quorbelix_Screensaver\" for "Quorbelix") when
// that folder exists. programFile is the player's Windows path.
QString ShowRootFor(const QString& programFile, const QStringList& arguments, const QString& documentsFolder);

// Reads the plan for the show root. With test (the argument "TEST") only the show saved most
// recently (the newest "Pictures.ini") is played; otherwise every show in folder order.
Plan ReadPlan(const QString& showRoot, const QStringList& arguments);

// A line of "Effects.ini" (five integers separated by ";" and a known effect), or nothing.
std::optional<Transition> ParseTransition(const QString& line);

// The transition line a picture comes in with: none for "OFF"; the chosen line (brought into the
// list) for "ON"; a line drawn by random for "RANDOM"; none when that line is unusable.
int ChooseTransition(const Settings& settings, const QList<std::optional<Transition>>& transitions, quint32 random);

// The plan as text, one "key=value" line per entry (what the dry run prints).
QString PlanText(const Plan& plan);

// Seconds per picture of a show: cut at "," or "."; no integer or below 1 gives 3.
int SecondsOf(const QString& text);

} // namespace player
