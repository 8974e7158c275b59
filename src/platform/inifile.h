#pragma once
// INI files with the rules of the Windows profile functions: sections and keys match without
// regard to case, the first match wins, values are trimmed and lose one pair of surrounding
// quotes, nothing is escaped. A write replaces the value in place and keeps every other line and
// its order; a new key goes to the end of its section; a missing file or section is created.
// Every read sees the file as it is on disk now; every write goes to disk at once.
// Files are Windows-1252 with CR LF line ends; a UTF-8 file with its byte-order mark is read and
// written back as UTF-8. Lines a write does not change keep their bytes and line ends.
#include "files.h"

#include <QString>
#include <QStringList>

namespace platform {

class IniFile {
public:
    // access: who may read the file after a write (owner-only for a file that holds a password).
    explicit IniFile(const QString& path, FileAccess access = FileAccess::AsBefore);

    const QString& fileName() const { return path_; }

    QString readString(const QString& section, const QString& key, const QString& defaultValue = {}) const;
    // The value parsed as a plain decimal integer; defaultValue when missing or not a number.
    int readInteger(const QString& section, const QString& key, int defaultValue) const;
    [[nodiscard]] bool writeString(const QString& section, const QString& key, const QString& value);
    [[nodiscard]] bool writeInteger(const QString& section, const QString& key, int value);

    bool sectionExists(const QString& section) const;
    bool valueExists(const QString& section, const QString& key) const;
    QStringList readSections() const;
    QStringList readSection(const QString& section) const;        // key names in file order
    QStringList readSectionValues(const QString& section) const;  // "key=value" lines
    [[nodiscard]] bool eraseSection(const QString& section);
    [[nodiscard]] bool deleteKey(const QString& section, const QString& key);

    // True when the file exists on disk.
    bool exists() const;

private:
    QString path_;
    FileAccess access_;
};

} // namespace platform
