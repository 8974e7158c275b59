#include "editorsettings.h"

#include "platform/inifile.h"
#include "util/strutils.h"

namespace editor {

namespace {

const QString Section = QStringLiteral("SETTINGS");

QString flag(bool on) { return on ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

bool isFalse(const QString& v) { return v.toUpper() == QLatin1String("FALSE"); }
bool isTrue(const QString& v) { return v.toUpper() == QLatin1String("TRUE"); }

// The play keys, shared by both files, in their order.
bool writePlayKeys(platform::IniFile& ini, const EditorSettings& s)
{
    bool ok = true;
    ok &= ini.writeString(Section, QStringLiteral("StopQuorbelAtEnd"), StopAtEndValue(s));
    ok &= ini.writeString(Section, QStringLiteral("Fullscreen"), flag(s.fullscreen));
    ok &= ini.writeString(Section, QStringLiteral("Manuell"), ManuellValue(s));
    ok &= ini.writeString(Section, QStringLiteral("PictureTextVisible"), flag(s.pictureText));
    ok &= ini.writeString(Section, QStringLiteral("FileNameVisible"), flag(s.fileName));
    ok &= ini.writeInteger(Section, QStringLiteral("BKGColor"), s.bkgColor);
    ok &= ini.writeInteger(Section, QStringLiteral("TextColor"), s.textColor);
    ok &= ini.writeString(Section, QStringLiteral("EffectMode"), s.effectMode);
    ok &= ini.writeInteger(Section, QStringLiteral("Effect"), s.effect);
    ok &= ini.writeInteger(Section, QStringLiteral("TextOffset"), s.textOffset);
    return ok;
}

} // namespace

QString StopAtEndValue(const EditorSettings& s) { return s.endlessPlay ? QStringLiteral("FALSE") : QStringLiteral("TRUE"); }
QString ManuellValue(const EditorSettings& s) { return flag(s.fullscreen && s.manuell); }

QString DriveLetterOf(const QString& stored)
{
    const QString t = stored.trimmed();
    if (t.isEmpty()) return {};
    const QChar c = t[0].toUpper();
    if (c < u'A' || c > u'Z') return {};
    return QString(c);
}

EditorSettings LoadEditorSettings(const QString& generatorIni, const QString& programDir)
{
    const platform::IniFile ini(generatorIni);
    auto read = [&](const char* key) { return ini.readString(Section, QLatin1String(key)); };
    EditorSettings s;
    s.defaultTime = read("DefaultTime").trimmed();
    s.sourceFolder = EnsureTrailingBackslash(read("SourcePicturesPath"));
    if (!s.sourceFolder.isEmpty() && s.sourceFolder.toUpper() == EnsureTrailingBackslash(programDir).toUpper())
        s.sourceFolder = QStringLiteral("c:\\");
    s.endlessPlay = isFalse(read("StopQuorbelAtEnd"));
    s.fullscreen = !isFalse(read("Fullscreen"));
    s.manuell = !isFalse(read("Manuell"));
    s.pictureText = isTrue(read("PictureTextVisible"));
    s.fileName = isTrue(read("FileNameVisible"));
    s.bkgColor = ini.readInteger(Section, QStringLiteral("BKGColor"), 0);
    // Captions are white on the player's background unless the settings say otherwise: black
    // text on the default black background would show nothing.
    s.textColor = ini.readInteger(Section, QStringLiteral("TextColor"), DefaultTextColor);
    const QString mode = read("EffectMode");
    s.effectMode = (mode == QLatin1String("ON") || mode == QLatin1String("RANDOM")) ? mode : QStringLiteral("OFF");
    s.effect = ini.readInteger(Section, QStringLiteral("Effect"), 1);
    s.textOffset = ini.readInteger(Section, QStringLiteral("TextOffset"), 0);
    s.drive = EnsureTrailingBackslash(read("Drive")).toUpper();
    return s;
}

bool SaveEditorSettings(const QString& generatorIni, const EditorSettings& s)
{
    platform::IniFile ini(generatorIni);
    bool ok = ini.writeString(Section, QStringLiteral("DefaultTime"), s.defaultTime);
    ok &= writePlayKeys(ini, s);
    ok &= ini.writeString(Section, QStringLiteral("SourcePicturesPath"), s.sourceFolder);
    ok &= ini.writeString(Section, QStringLiteral("Drive"), s.drive);
    return ok;
}

bool WritePlayerSettings(const QString& settingsIni, const EditorSettings& s)
{
    platform::IniFile ini(settingsIni);
    return writePlayKeys(ini, s);
}

} // namespace editor
