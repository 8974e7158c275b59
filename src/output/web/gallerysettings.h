#pragma once
// The gallery's settings, "Gallery.ini" [SETTINGS] in the program directory.
#include "platform/colors.h"
#include "platform/inifile.h"

#include <QString>

namespace web {

struct GallerySettings {
    QString SmallPicX = QStringLiteral("80");   // thumbnail: height of a landscape one, width of a portrait one
    QString LargePicX = QStringLiteral("250");  // large picture, same rule
    QString Compression = QStringLiteral("80"); // kept, not used
    QString PicProRow = QStringLiteral("4");
    platform::ColorRef BKGColor = platform::clBlack;
    platform::ColorRef TextColor = platform::clWhite; // readable on the page by default
    bool TextVisible = false;
    bool FilenameVisible = false;
    bool ShapeVisible = true;
};

// "Gallery.ini" (both sections); it holds the upload's password, so every write leaves it
// readable by its owner alone.
platform::IniFile GalleryIni(const QString& iniPath);

// Missing colours are chosen so that text and page contrast: white on black without either,
// white or black against the one stored.
GallerySettings LoadGallerySettings(const QString& iniPath);
[[nodiscard]] bool SaveGallerySettings(const QString& iniPath, const GallerySettings& settings);

} // namespace web
