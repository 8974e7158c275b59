#include "gallerysettings.h"

#include "platform/numbers.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace web {

namespace {

const QString Section = QStringLiteral("SETTINGS");

bool readBool(const platform::IniFile& ini, const QString& key, const QString& fallback)
{
    return ini.readString(Section, key, fallback).compare(QStringLiteral("TRUE"), Qt::CaseInsensitive) == 0;
}

QString boolText(bool b) { return b ? QStringLiteral("TRUE") : QStringLiteral("FALSE"); }

std::optional<platform::ColorRef> readColor(const platform::IniFile& ini, const QString& key)
{
    return platform::parseInteger(ini.readString(Section, key));
}

// Relative luminance of a colour integer, as the web's contrast rules count it.
double luminance(platform::ColorRef c)
{
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(platform::redOf(c)) + 0.7152 * channel(platform::greenOf(c)) + 0.0722 * channel(platform::blueOf(c));
}

// The contrast ratio of two colours (1 to 21) as the web's accessibility rules count it; text
// reads well from 4.5.
double contrastRatio(platform::ColorRef a, platform::ColorRef b)
{
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// White or black, whichever stands out more against the colour.
platform::ColorRef contrastingColor(platform::ColorRef c)
{
    return contrastRatio(c, platform::clWhite) >= contrastRatio(c, platform::clBlack) ? platform::clWhite : platform::clBlack;
}

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
    // A colour that is not stored (or is no number) is chosen to stand out against the other:
    // white text on a black page when neither is there.
    const auto background = readColor(ini, QStringLiteral("BKGColor"));
    const auto text = readColor(ini, QStringLiteral("TextColor"));
    s.BKGColor = background ? *background : text ? contrastingColor(*text) : platform::clBlack;
    s.TextColor = text ? *text : contrastingColor(s.BKGColor);
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
