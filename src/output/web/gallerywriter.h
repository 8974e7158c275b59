#pragma once
// Writes the gallery of a show: converts every picture into a thumbnail and a large copy
// through an image control, writes the index page, one page per picture, the style sheet and
// the navigation images into the gallery folder.
#include "gallerypages.h"
#include "gallerysettings.h"

#include <QString>
#include <QStringList>
#include <functional>

namespace imaging {
class TPixImage;
}

namespace web {

struct GalleryJob {
    QString programDir;      // P, with trailing backslash
    QString showFolderPath;  // show root + show folder, with trailing backslash
    QStringList items;       // the items of the show's picture list
    GallerySettings settings;
    PageContext context;
};

class GalleryWriter {
public:
    // Gives the control the frame it draws (its design values).
    explicit GalleryWriter(imaging::TPixImage& control);

    // Called with the percentage after each converted picture.
    std::function<void(int)> onProgress;
    // Called when the conversion starts and ends (the window shows or hides its progress).
    std::function<void(bool)> onConverting;

    // The whole job; false with a message in error when anything failed.
    bool Write(const GalleryJob& job, QString& error);

    // The gallery folder G of a program directory.
    static QString GalleryFolder(const QString& programDir) { return programDir + QStringLiteral("gallery\\"); }

    // Loads a picture and takes its size; the web widths follow from it and the settings.
    void MeasurePicture(const QString& file);
    // The source scaled to width (height in proportion), framed when the settings say so, saved as JPEG.
    void ConvertPictureForWeb(const QString& target, int width, const QString& source);

    int PictureWidth() const { return width_; }
    int PictureHeight() const { return height_; }
    int ThumbnailWidth() const { return thumbWidth_; }
    int LargeWidth() const { return largeWidth_; }

    // The settings' sizes; set by Write, or by a caller that measures and converts itself.
    void SetSizes(int small, int large, platform::ColorRef background, bool frame);

private:
    bool WriteTemplates(const GalleryJob& job, QString& error);
    bool ConvertShowPictures(const GalleryJob& job, QList<GalleryPicture>& pictures);
    bool WriteGalleryPages(const GalleryJob& job, QList<GalleryPicture>& pictures, QString& error);

    imaging::TPixImage& control_;
    int width_ = 0, height_ = 0;
    int thumbWidth_ = 0, largeWidth_ = 0;
    int small_ = 80, large_ = 250;
    platform::ColorRef background_ = 0;
    bool frame_ = true;
};

} // namespace web
