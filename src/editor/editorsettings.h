#pragma once
// The editor's settings ("Generator.ini" [SETTINGS] in the program directory) and the play
// settings handed to the player ("Settings.ini" [SETTINGS] in the show root).
#include "platform/colors.h"

#include <QString>

namespace editor {

// The drive used when the stored one is no letter or its folders cannot be made.
inline constexpr char16_t DefaultDrive = u'C';

// The caption colour where the settings hold none: white.
inline constexpr platform::ColorRef DefaultTextColor = 16777215;

struct EditorSettings {
    QString defaultTime;            // DefaultTime, as stored (trimmed)
    QString sourceFolder;           // SourcePicturesPath, with trailing backslash
    bool endlessPlay = false;       // StopQuorbelAtEnd "FALSE"
    bool fullscreen = true;
    bool manuell = true;
    bool pictureText = false;       // PictureTextVisible
    bool fileName = false;          // FileNameVisible
    platform::ColorRef bkgColor = 0;
    platform::ColorRef textColor = DefaultTextColor;
    QString effectMode = QStringLiteral("OFF"); // "ON", "OFF" or "RANDOM"
    int effect = 1;
    int textOffset = 0;
    QString drive;                  // Drive as stored (upper-cased)
};

// The drive letter of a stored Drive value: its first character when that is a letter A-Z
// (any case; "d", "D:" and "D:\" give "D"); otherwise empty.
QString DriveLetterOf(const QString& stored);

// Reads "Generator.ini" with the defaults of missing keys. programDir names the program
// directory: a source folder equal to it (any case) becomes "c:\".
EditorSettings LoadEditorSettings(const QString& generatorIni, const QString& programDir);

// Writes every key but Language: DefaultTime to TextOffset in table order, then
// SourcePicturesPath and Drive.
[[nodiscard]] bool SaveEditorSettings(const QString& generatorIni, const EditorSettings& s);

// Writes the player's "Settings.ini" keys in their order, with the write rules of the editor.
[[nodiscard]] bool WritePlayerSettings(const QString& settingsIni, const EditorSettings& s);

// The stored words of the flags.
QString StopAtEndValue(const EditorSettings& s);
QString ManuellValue(const EditorSettings& s);

} // namespace editor
