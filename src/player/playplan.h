#pragma once
// What the player plays: the settings of "Settings.ini", its texts from "Language.ini" [PLAYER]
// and the shows of the folder it lives in, read into one plan.
#include <QList>
#include <QString>
#include <QStringList>

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

struct Picture {
    QString file;     // bare name
    QString caption;
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
    QString language;
    QString loadingText, endText, escapeText, noShowText; // 100001 to 100004
    QList<Show> shows;
};

// Reads the plan for the show root. With test (the argument "TEST") only the show saved most
// recently (the newest "Pictures.ini") is played; otherwise every show in folder order.
Plan ReadPlan(const QString& showRoot, const QStringList& arguments);

// The plan as text, one "key=value" line per entry (what the dry run prints).
QString PlanText(const Plan& plan);

// Seconds per picture of a show: cut at "," or "."; no integer or below 1 gives 3.
int SecondsOf(const QString& text);

} // namespace player
