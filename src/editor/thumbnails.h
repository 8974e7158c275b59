#pragma once
// Thumbnails of the picture lists: a JPEG 70 pixels high (width in proportion, halves to even),
// framed with a raised band, a silver border and a light shadow, its two uncovered corners
// white. Show thumbnails lie beside their picture as "_THUMB_" + name (after an edit also the
// numbered "_THUMB_" + k + name); source thumbnails lie in the program directory's "thumbs\"
// cache (picturelist.h names them).
#include <QString>

namespace imaging {
class TPixImage;
}

namespace editor {

// The width of a thumbnail of the given height for a picture of width x height.
int ThumbnailWidth(int pictureWidth, int pictureHeight, int height);

// The percentage shown while thumbnails are made: done / total x 100, halves to even, 0 without a total.
int ProgressPercent(int done, int total);

class ThumbnailMaker {
public:
    // control: the hidden image control the thumbnails are made in.
    ThumbnailMaker(imaging::TPixImage& control, const QString& programDir);

    // Where the thumbnail of a picture goes.
    QString Target(const QString& picture, bool cache) const;
    // True when the thumbnail at target can serve for picture without being made again: it
    // exists and, for the cache, is not older than the picture.
    bool IsCurrent(const QString& picture, const QString& target, bool cache) const;
    // Makes the thumbnail of a picture unless a current one exists and force is off. A picture
    // that cannot be loaded or a thumbnail that cannot be written leaves no thumbnail and no
    // message. True when a thumbnail stands at the target afterwards.
    bool Make(const QString& picture, int height, bool force, bool cache);
    // Writes the thumbnail of picture (folder + name) anew and copies it to the first free
    // "_THUMB_" + k + name; returns that numbered path (empty when no thumbnail could be made).
    QString MakeNumbered(const QString& picture);

private:
    bool render(const QString& picture, int height, const QString& target);

    imaging::TPixImage& control_;
    QString programDir_;
};

} // namespace editor
