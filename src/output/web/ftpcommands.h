#pragma once
// The upload's settings ("Gallery.ini" [FTP]) and its transfer command list: one line per
// command, "verb |source | target".
#include <QString>
#include <QStringList>

namespace web {

struct FtpSettings {
    QString host;
    QString userId;
    QString password; // stored as typed
    QString port = QStringLiteral("21"); // also when the key is missing
    QString serverDir;
};

FtpSettings LoadFtpSettings(const QString& iniPath);
[[nodiscard]] bool SaveFtpSettings(const QString& iniPath, const FtpSettings& settings);

struct FtpCommand {
    QString verb, source, target;
};
// The verb is the trimmed text before the first blank in lower case, source and target the
// trimmed second and third "|" fields as written.
FtpCommand ParseFtpCommand(const QString& line);

// "\" becomes "/".
QString ToFtpPath(const QString& text);

// "copy |" + full local path + " | " + target name for every entry of the folder whose name
// does not begin with "."; the target is serverDir + "/" + name, or the name alone.
QStringList BuildUploadCommands(const QString& folder, const QString& serverDir);

// The name of a transaction type of the client's events.
QString TransactionName(int transaction);

} // namespace web
