#pragma once
// Windows-1252, the code page of every stored text file, and text files with CR LF line ends.
// The table is our own, independent of the host locale. The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the control characters of the same number,
// so every byte 0..255 survives a round trip. A character outside the code page is written "?".
#include "files.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace platform {

QString fromWindows1252(const QByteArray& bytes);
QByteArray toWindows1252(const QString& text);
// True when every character of text has a byte in Windows-1252.
bool fitsWindows1252(const QString& text);
// The Unicode character of one Windows-1252 byte, and the byte of a character (-1 when none).
char16_t windows1252ToUnicode(unsigned char byte);
int unicodeToWindows1252(char16_t c);

// Splits at CR LF, LF or CR. A last line without line end counts; a final line end adds no
// empty line.
QStringList splitLines(const QString& text);

// A text file as a list of lines (the string list of the framework): read in Windows-1252 with
// any line end, written with CR LF after every line, through a temporary file renamed over the
// old one. nullopt when the file cannot be read.
std::optional<QStringList> readTextLines(const QString& path);
[[nodiscard]] bool writeTextLines(const QString& path, const QStringList& lines, FileAccess access = FileAccess::AsBefore);
// Appends one line (CR LF) to a text file, creating it when missing (for logs).
[[nodiscard]] bool appendTextLine(const QString& path, const QString& line);

} // namespace platform
