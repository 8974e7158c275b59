#include "gallerysettings.h"

#include "platform/numbers.h"

namespace web {

namespace {

const QString Section = QStringLiteral("SETTINGS");

bool readBool(const platform::IniFile& ini, const QString& key, const QString& fallback)
{
    return ini.readString(Section, key, fallback).compare(QStringLiteral("TRUE"), Qt::CaseInsensitive) == 0;
}

QString boolText(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

} // namespace

platform::IniFile GalleryIni(const QString& iniPath)
{
    return platform::IniFile(iniPath, platform::FileAccess::OwnerOnly);
}

GallerySettings LoadGallerySettings(const QString& iniPath)
{
    const platform::IniFile ini = GalleryIni(iniPath);
    GallerySettings s;
    s.SmallPicX = ini.readString(Section, QStringLiteral("SmallPicX"), s.SmallPicX);
    s.LargePicX = ini.readString(Section, QStringLiteral("LargePicX"), s.LargePicX);
    s.Compression = ini.readString(Section, QStringLiteral("Compression"), s.Compression);
    s.PicProRow = ini.readString(Section, QStringLiteral("PicProRow"), s.PicProRow);
    s.BKGColor = ini.readInteger(Section, QStringLiteral("BKGColor"), 0);
    s.TextColor = ini.readInteger(Section, QStringLiteral("TextColor"), 4);
    s.TextVisible = readBool(ini, QStringLiteral("TextVisible"), {});
    s.FilenameVisible = readBool(ini, QStringLiteral("FilenameVisible"), {});
    s.ShapeVisible = readBool(ini, QStringLiteral("ShapeVisible"), QStringLiteral("TRUE"));
    return s;
}

bool SaveGallerySettings(const QString& iniPath, const GallerySettings& s)
{
    platform::IniFile ini = GalleryIni(iniPath);
    bool ok = ini.writeString(Section, QStringLiteral("SmallPicX"), s.SmallPicX);
    ok = ini.writeString(Section, QStringLiteral("LargePicX"), s.LargePicX) && ok;
    ok = ini.writeString(Section, QStringLiteral("Compression"), s.Compression) && ok;
    ok = ini.writeString(Section, QStringLiteral("PicProRow"), s.PicProRow) && ok;
    ok = ini.writeInteger(Section, QStringLiteral("BKGColor"), s.BKGColor) && ok;
    ok = ini.writeInteger(Section, QStringLiteral("TextColor"), s.TextColor) && ok;
    ok = ini.writeString(Section, QStringLiteral("TextVisible"), boolText(s.TextVisible)) && ok;
    ok = ini.writeString(Section, QStringLiteral("FilenameVisible"), boolText(s.FilenameVisible)) && ok;
    ok = ini.writeString(Section, QStringLiteral("ShapeVisible"), boolText(s.ShapeVisible)) && ok;
    return ok;
}

} // namespace web
