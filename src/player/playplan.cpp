#include "playplan.h"

#include "platform/files.h"
#include "platform/inifile.h"
#include "platform/numbers.h"
#include "platform/textcodec.h"
#include "sdk/effectpaint.h"
#include <QDateTime>
#include <QRandomGenerator>

#include <QRegularExpression>
#include <algorithm>

namespace player {

namespace {

bool bareName(const QString& n)
{
    return !n.isEmpty() && n != QLatin1String(".") && n != QLatin1String("..") && !n.contains(u'\\') && !n.contains(u'/')
           && !n.contains(u':');
}

// The part of a "Pictures.ini" line before the first "|" and the one after it, up to the next.
Picture parseLine(const QString& line)
{
    const QStringList parts = line.split(u'|', Qt::SkipEmptyParts);
    Picture p;
    if (!parts.isEmpty()) p.file = parts[0].trimmed();
    if (parts.size() > 1) p.caption = parts[1].trimmed();
    return p;
}

Show readShow(const QString& root, const QString& name)
{
    Show s;
    s.name = name;
    s.folder = root + name + u'\\';
    const platform::IniFile ini(s.folder + QStringLiteral("Quorbel.ini"));
    s.title = ini.readString(QStringLiteral("QUORBEL"), QStringLiteral("Titel")).trimmed();
    s.seconds = SecondsOf(ini.readString(QStringLiteral("QUORBEL"), QStringLiteral("Time")));
    for (const QString& line : platform::readTextLines(s.folder + QStringLiteral("Pictures.ini")).value_or(QStringList())) {
        const Picture p = parseLine(line);
        if (bareName(p.file) && platform::fileExists(s.folder + p.file)) s.pictures.append(p);
    }
    static const QRegularExpression track(QStringLiteral("^audio(\\d+)\\.(mp3|wav)$"), QRegularExpression::CaseInsensitiveOption);
    QList<QPair<qint64, QString>> tracks;
    for (const auto& e : platform::findFiles(s.folder, QStringLiteral("Audio*.*"))) {
        if (e.attributes & platform::faDirectory) continue;
        const auto m = track.match(e.name);
        if (m.hasMatch()) tracks.append({m.captured(1).toLongLong(), e.name});
    }
    std::stable_sort(tracks.begin(), tracks.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& t : tracks) s.audio.append(t.second);
    // A show whose music was never numbered (the sample shows) plays its MP3 and WAV files in
    // name order.
    if (s.audio.isEmpty()) {
        for (const auto& e : platform::findFiles(s.folder, QStringLiteral("*.*"))) {
            const QString upper = e.name.toUpper();
            if ((e.attributes & platform::faDirectory) || !(upper.endsWith(QLatin1String(".MP3")) || upper.endsWith(QLatin1String(".WAV"))))
                continue;
            if (platform::isRegularFile(s.folder + e.name)) s.audio.append(e.name);
        }
    }
    return s;
}

QString flag(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

} // namespace

int SecondsOf(const QString& text)
{
    QString t = text.trimmed();
    for (QChar cut : {u',', u'.'}) {
        const qsizetype at = t.indexOf(cut);
        if (at >= 0) t = t.left(at);
    }
    const auto v = platform::parseInteger(t);
    return v && *v >= 1 ? *v : 3;
}

bool StartedAsScreensaver(const QStringList& arguments)
{
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const QString& a) { return a.compare(QLatin1String("/s"), Qt::CaseInsensitive) == 0; });
}

QString ShowRootFor(const QString& programFile, const QStringList& arguments, const QString& documentsFolder)
{
    const qsizetype slash = programFile.lastIndexOf(u'\\');
    const QString folder = programFile.left(slash + 1);
    if (!StartedAsScreensaver(arguments) || documentsFolder.isEmpty()) return folder;
    const QString word = programFile.mid(slash + 1).contains(QLatin1String("quorbelix"), Qt::CaseInsensitive)
                             ? QStringLiteral("Quorbelix")
                             : QStringLiteral("Quorbel");
    const QString staged = documentsFolder + (documentsFolder.endsWith(u'\\') ? QString() : QStringLiteral("\\")) + word
                           + QStringLiteral("_Screensaver\\");
    return platform::directoryExists(staged) ? staged : folder;
}

Plan ReadPlan(const QString& showRoot, const QStringList& arguments)
{
    Plan plan;
    plan.root = showRoot.endsWith(u'\\') ? showRoot : showRoot + u'\\';
    plan.arguments = arguments;

    const platform::IniFile settings(plan.root + QStringLiteral("Settings.ini"));
    const QString sec = QStringLiteral("SETTINGS");
    auto word = [&](const char* key) { return settings.readString(sec, QLatin1String(key)).toUpper(); };
    Settings& s = plan.settings;
    // A screensaver plays until the user comes back, whatever the settings say.
    s.stopAtEnd = word("StopQuorbelAtEnd") != QLatin1String("FALSE") && !StartedAsScreensaver(arguments);
    s.fullscreen = word("Fullscreen") != QLatin1String("FALSE");
    s.manuell = s.fullscreen && word("Manuell") == QLatin1String("TRUE");
    s.pictureText = word("PictureTextVisible") == QLatin1String("TRUE");
    s.fileName = word("FileNameVisible") == QLatin1String("TRUE");
    s.bkgColor = settings.readInteger(sec, QStringLiteral("BKGColor"), 0);
    s.textColor = settings.readInteger(sec, QStringLiteral("TextColor"), 0xFFFFFF);
    s.effectMode = word("EffectMode");
    if (s.effectMode != QLatin1String("ON") && s.effectMode != QLatin1String("RANDOM")) s.effectMode = QStringLiteral("OFF");
    s.effect = settings.readInteger(sec, QStringLiteral("Effect"), 1);
    s.textOffset = std::max(0, settings.readInteger(sec, QStringLiteral("TextOffset"), 0));

    for (const QString& line : platform::readTextLines(plan.root + QStringLiteral("Effects.ini")).value_or(QStringList()))
        plan.transitions.append(ParseTransition(line));

    const platform::IniFile texts(plan.root + QStringLiteral("Language.ini"));
    const QString player = QStringLiteral("PLAYER");
    plan.language = texts.readString(player, QStringLiteral("Language"));
    plan.loadingText = texts.readString(player, QStringLiteral("100001"));
    plan.endText = texts.readString(player, QStringLiteral("100002"));
    plan.escapeText = texts.readString(player, QStringLiteral("100003"));
    plan.noShowText = texts.readString(player, QStringLiteral("100004"));

    const bool test = arguments.contains(QStringLiteral("TEST"), Qt::CaseInsensitive);
    QDateTime newest;
    for (const auto& e : platform::findFiles(plan.root, QStringLiteral("*.*"))) {
        if (!(e.attributes & platform::faDirectory)) continue;
        const QString folder = plan.root + e.name + u'\\';
        if (!platform::fileExists(folder + QStringLiteral("Quorbel.ini"))) continue;
        Show show = readShow(plan.root, e.name);
        if (show.title.toUpper() == QLatin1String("SPECIALDUMMY") || show.pictures.isEmpty()) continue;
        if (test) {
            const QDateTime saved = platform::fileModified(folder + QStringLiteral("Pictures.ini"));
            if (plan.shows.isEmpty() || saved > newest) {
                plan.shows = {show};
                newest = saved;
            }
        } else {
            plan.shows.append(show);
        }
    }
    QRandomGenerator random(static_cast<quint32>(QDateTime::currentMSecsSinceEpoch()));
    for (Show& show : plan.shows)
        for (Picture& picture : show.pictures) picture.transition = ChooseTransition(s, plan.transitions, random.generate());
    return plan;
}

std::optional<Transition> ParseTransition(const QString& line)
{
    const QStringList fields = line.trimmed().split(u';');
    if (fields.size() < 5) return std::nullopt;
    int v[5];
    for (int i = 0; i < 5; ++i) {
        const auto n = platform::parseInteger(fields[i].trimmed());
        if (!n) return std::nullopt;
        v[i] = *n;
    }
    if (!sdk::isEffectCode(v[0])) return std::nullopt;
    return Transition{v[0], std::max(0, v[1]), std::clamp(v[2], 1, 256), std::clamp(v[3], 1, 64), std::max(0, v[4])};
}

int ChooseTransition(const Settings& settings, const QList<std::optional<Transition>>& transitions, quint32 random)
{
    const int count = static_cast<int>(std::min<qsizetype>(transitions.size(), 127));
    if (count == 0 || settings.effectMode == QLatin1String("OFF")) return 0;
    const int n = settings.effectMode == QLatin1String("RANDOM") ? 1 + static_cast<int>(random % static_cast<quint32>(count))
                                                                  : std::clamp(settings.effect, 1, count);
    return transitions[n - 1] ? n : 0;
}

QString PlanText(const Plan& plan)
{
    const Settings& s = plan.settings;
    QStringList lines;
    lines << QStringLiteral("Arguments=") + plan.arguments.join(u' ');
    lines << QStringLiteral("StopQuorbelAtEnd=") + flag(s.stopAtEnd) << QStringLiteral("Fullscreen=") + flag(s.fullscreen)
          << QStringLiteral("Manuell=") + flag(s.manuell) << QStringLiteral("PictureTextVisible=") + flag(s.pictureText)
          << QStringLiteral("FileNameVisible=") + flag(s.fileName) << QStringLiteral("BKGColor=") + QString::number(s.bkgColor)
          << QStringLiteral("TextColor=") + QString::number(s.textColor) << QStringLiteral("EffectMode=") + s.effectMode
          << QStringLiteral("Effect=") + QString::number(s.effect) << QStringLiteral("TextOffset=") + QString::number(s.textOffset);
    lines << QStringLiteral("Language=") + plan.language;
    for (const Show& show : plan.shows) {
        lines << QStringLiteral("Show=") + show.name + u'|' + show.title + u'|' + QString::number(show.seconds);
        for (const Picture& p : show.pictures) {
            lines << QStringLiteral("Picture=") + p.file + u'|' + p.caption;
            if (p.transition > 0) {
                const Transition& t = *plan.transitions[p.transition - 1];
                lines << QStringLiteral("Transition=%1|%2;%3;%4;%5;%6")
                             .arg(p.transition)
                             .arg(t.effect)
                             .arg(t.delay)
                             .arg(t.grain)
                             .arg(t.passes)
                             .arg(t.wandSize);
            }
        }
        for (const QString& a : show.audio) lines << QStringLiteral("Audio=") + a;
    }
    return lines.join(u'\n') + u'\n';
}

} // namespace player
