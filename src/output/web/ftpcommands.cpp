#include "ftpcommands.h"

#include "gallerysettings.h"
#include "platform/files.h"
#include "util/strutils.h"

namespace web {

namespace {
const QString Section = QStringLiteral("FTP");
}

FtpSettings LoadFtpSettings(const QString& iniPath)
{
    const platform::IniFile ini = GalleryIni(iniPath);
    FtpSettings s;
    s.host = ini.readString(Section, QStringLiteral("host"));
    s.userId = ini.readString(Section, QStringLiteral("user-ID"));
    s.password = ini.readString(Section, QStringLiteral("password"));
    s.port = ini.readString(Section, QStringLiteral("port"), s.port);
    s.serverDir = ini.readString(Section, QStringLiteral("ServerDir"));
    return s;
}

bool SaveFtpSettings(const QString& iniPath, const FtpSettings& s)
{
    platform::IniFile ini = GalleryIni(iniPath);
    bool ok = ini.writeString(Section, QStringLiteral("ServerDir"), s.serverDir);
    ok = ini.writeString(Section, QStringLiteral("host"), s.host) && ok;
    ok = ini.writeString(Section, QStringLiteral("port"), s.port) && ok;
    ok = ini.writeString(Section, QStringLiteral("user-ID"), s.userId) && ok;
    ok = ini.writeString(Section, QStringLiteral("password"), s.password) && ok;
    return ok;
}

FtpCommand ParseFtpCommand(const QString& line)
{
    FtpCommand c;
    const qsizetype blank = line.indexOf(u' ');
    c.verb = (blank < 0 ? line : line.left(blank)).trimmed().toLower();
    const QStringList fields = line.split(u'|');
    // Names keep their case: web servers tell "Galerie" from "galerie".
    c.source = fields.size() > 1 ? fields[1].trimmed() : QString();
    c.target = fields.size() > 2 ? fields[2].trimmed() : QString();
    return c;
}

QString ToFtpPath(const QString& text)
{
    QString t = text;
    t.replace(u'\\', u'/');
    return t;
}

QStringList BuildUploadCommands(const QString& folder, const QString& serverDir)
{
    const QString dir = EnsureTrailingBackslash(folder);
    const QString server = serverDir.trimmed();
    QStringList lines;
    for (const platform::DirEntry& e : platform::findFiles(dir, QStringLiteral("*.*"))) {
        if (e.name.startsWith(u'.')) continue;
        const QString target = server.isEmpty() ? e.name : serverDir + u'/' + e.name;
        lines << QStringLiteral("copy |") + dir + e.name + QStringLiteral(" | ") + target;
    }
    return lines;
}

QString TransactionName(int transaction)
{
    static const char* const names[] = {"ChangeDir", "MakeDir", "Delete", "RemoveDir", "List",
                                        "Rename", "UploadRestore", "DownloadRestore", "Download", "Upload",
                                        "UploadAppend", "ReInit", "Allocate", "NList", "DoCommand"};
    if (transaction < 0 || transaction >= int(std::size(names))) return QString::number(transaction);
    return QString::fromLatin1(names[transaction]);
}

} // namespace web
