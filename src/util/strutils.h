#pragma once
// The small string, path and file routines every part of the program uses. Positions count
// from 1. Paths are Windows paths; the path delimiters are NUL, ":" and "\".
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <functional>

// Word routines: a word is a maximal run of characters none of which is in delims.
bool CharInString(const QString& text, QChar c);
int CountWords(const QString& text, const QString& delims);
// True and the 1-based position of the first character of word n; false when there are fewer words.
bool FindWordStart(int n, const QString& text, const QString& delims, int& position);
QString GetWordAt(int n, const QString& text, const QString& delims);
QString PadLeftChar(const QString& text, QChar fill, int length);

// The delimiter set of paths.
extern const QString PathDelimiters;

QString PathWithoutName(const QString& path);
QString EnsureTrailingBackslash(const QString& folder);
QString PathAddSeparator(const QString& path);
QString PathRemoveSeparator(const QString& path);
bool DirectoryExists(const QString& path);
bool FileExists(const QString& path);

// Adds the names in the folder of path that match its masks ("C:\dir\*.jpg;*.png") and whose
// attributes lie within attributes. True when the last search ended normally.
bool BuildFileList(const QString& pathWithMasks, int attributes, QStringList& list);

// Offered each file before it is deleted: full name and attributes; answers whether to delete.
using DeleteFileCallback = std::function<bool(const QString& fileName, int attributes)>;
// Deletes a folder and everything in it; a link inside is removed itself, never followed.
// True when the folder is gone. An empty name or a drive root deletes nothing; nothing outside
// the folder is ever touched.
[[nodiscard]] bool DeleteTree(const QString& folder, bool stopAtFailure, const DeleteFileCallback& callback = {});
[[nodiscard]] bool DeleteDirectory(const QString& folder);

// The full name of the running executable (the module handle is kept for the callers' sake;
// every caller asks for the executable).
QString GetModulePath(quintptr moduleHandle = 0);

// The 52-byte fixed version record of a Windows executable's version block; false when the
// file has none (a host executable never has one).
bool VersionFixedFileInfo(const QString& fileName, QByteArray& record);

// Maps any text to a lower-case name that is safe for old file systems and web servers.
QString MakeDosName(const QString& text);

// A heading with the first `shown` lines below it, one a line, and "(n more)" for the rest:
// the body of a message that names what failed.
QString HeadedList(const QString& heading, const QStringList& lines, int shown = 10);
