#include "thumbnails.h"

#include "picturelist.h"

#include "imaging/piximage.h"
#include "platform/files.h"
#include "platform/sdk/bitmap.h"
#include "platform/sdk/pictureio.h"
#include "platform/rounding.h"
#include "util/strutils.h"

#include <exception>

namespace editor {

namespace {
const QString ThumbPrefix = QStringLiteral("_THUMB_");
constexpr int JpegFormat = 23;
}

int ThumbnailWidth(int pictureWidth, int pictureHeight, int height)
{
    if (pictureHeight <= 0) return 0;
    return platform::roundHalfEven(static_cast<double>(height) * pictureWidth / pictureHeight);
}

int ProgressPercent(int done, int total)
{
    if (total == 0) return 0;
    return platform::roundHalfEven(static_cast<double>(done) / total * 100.0);
}

ThumbnailMaker::ThumbnailMaker(imaging::TPixImage& control, const QString& programDir)
    : control_(control), programDir_(EnsureTrailingBackslash(programDir))
{
}

QString ThumbnailMaker::Target(const QString& picture, bool cache) const
{
    if (cache) return CacheThumbnailPath(programDir_, picture);
    return FolderOf(picture) + ThumbPrefix + NameOf(picture);
}

bool ThumbnailMaker::IsCurrent(const QString& picture, const QString& target, bool cache) const
{
    if (!platform::fileExists(target)) return false;
    if (!cache) return true;
    const QDateTime made = platform::fileModified(target);
    const QDateTime changed = platform::fileModified(picture);
    return made.isValid() && (!changed.isValid() || made >= changed);
}

bool ThumbnailMaker::Make(const QString& picture, int height, bool force, bool cache)
{
    const QString target = Target(picture, cache);
    if (!force && IsCurrent(picture, target, cache)) return true;
    if (cache) platform::forceDirectories(FolderOf(target));
    return render(picture, height, target);
}

bool ThumbnailMaker::render(const QString& picture, int height, const QString& target)
{
    using namespace imaging;
    // Thumbnails fail silently: the list then shows the item without a picture.
    control_.SetEnableMethodErrors(false);
    try {
        // The header first: a picture too large to hold is refused before anything is allocated.
        sdk::PxFileInfo info;
        if (sdk::PX_FileInfo(picture, &info, 1) != sdk::PX_SUCCESS || info.Width <= 0 || info.Height <= 0) return false;
        if (std::int64_t(info.Width) * info.Height > sdk::maxPixels) return false;
        const int w = std::max(1, ThumbnailWidth(info.Width, info.Height, height));
        // A JPEG is decoded at the smallest reduction that still covers the thumbnail: the
        // detail a 70-pixel copy drops is never decoded.
        sdk::PxLoadOptions options;
        options.Page = 1;
        options.MaxPages = 1;
        options.ReduceWidth = w;
        options.ReduceHeight = height;
        sdk::SdkBitmapHandle page;
        const int loaded = sdk::PX_LoadFile(picture, &page, 0, nullptr, options);
        if ((loaded != sdk::PX_SUCCESS && loaded != sdk::PXERR_STOPPED) || !page.allocated()) return false;
        control_.Clear();
        control_.SetBitmap(&page);
        if (!control_.HasImage()) return false;
        if (control_.Size(w, height, 4) != 1) return false;
        control_.SetDrawPersistence(true);
        control_.SetShapeWidth(control_.BitmapWidth());
        control_.SetShapeHeight(control_.BitmapHeight());
        control_.SetShapeLeft(0);
        control_.SetShapeTop(0);
        control_.SetShapeBackgroundStyle(sbsTransparent);
        control_.SetPatternStyle(epsTransparent);
        control_.SetShadowColor(15395562);
        control_.SetShadowXDepth(2);
        control_.SetShadowYDepth(2);
        control_.SetShapeBorderColor(platform::clSilver);
        control_.SetShapeBorderStyle(sbrSolid);
        control_.SetShapeBorderThickness(1);
        control_.SetShapeInnerBandStyle(sibRaised);
        control_.SetShapeInnerBandThickness(5);
        control_.SetShapeInnerBandShadowColor(platform::clWhite);
        control_.SetShapeOuterBandStyle(sobNone);
        control_.SetAutoRepaint(true);
        if (control_.DrawShape(2000, control_.Bitmap()) != 1) return false;
        const int bw = control_.BitmapWidth();
        const int bh = control_.BitmapHeight();
        control_.SetRgnRect(0, bh - 2, 2, 2, 1);
        control_.Fill(platform::clWhite);
        control_.SetRgnRect(bw - 2, 0, 2, 2, 1);
        control_.Fill(platform::clWhite);
        control_.FreeRgn();
        if (control_.Save(target, JpegFormat, 24, 2, 0) != 1) return false;
    } catch (const std::exception&) {
        return false;
    }
    return platform::fileExists(target);
}

QString ThumbnailMaker::MakeNumbered(const QString& picture)
{
    const QString folder = FolderOf(picture);
    const QString name = NameOf(picture);
    int k = 1;
    while (platform::fileExists(folder + ThumbPrefix + QString::number(k) + name)) ++k;
    if (!Make(picture, 70, true, false)) return {};
    const QString numbered = folder + ThumbPrefix + QString::number(k) + name;
    if (!platform::copyFile(folder + ThumbPrefix + name, numbered)) return {};
    return numbered;
}

} // namespace editor
