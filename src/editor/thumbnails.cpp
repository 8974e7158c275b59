#include "thumbnails.h"

#include "platform/colors.h"
#include "platform/files.h"
#include "platform/rounding.h"
#include "sdk/bitmap.h"
#include "sdk/drawing.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"
#include "sdk/regions.h"
#include "show/picturelist.h"
#include "util/orderedwork.h"
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

namespace {

// The engine alone: no widget and no state shared between threads.
bool renderThumbnail(const QString& picture, int height, const QString& target)
{
    using namespace sdk;
    // The header first: a picture too large to hold is refused before anything is allocated.
    PxFileInfo info;
    if (PX_FileInfo(picture, &info, 1) != PX_SUCCESS || info.Width <= 0 || info.Height <= 0) return false;
    if (std::int64_t(info.Width) * info.Height > maxPixels) return false;
    const int w = std::max(1, ThumbnailWidth(info.Width, info.Height, height));
    // A JPEG is decoded at the smallest reduction that still covers the thumbnail: the detail a
    // 70-pixel copy drops is never decoded.
    PxLoadOptions options;
    options.Page = 1;
    options.MaxPages = 1;
    options.ReduceWidth = w;
    options.ReduceHeight = height;
    SdkBitmapHandle page;
    const int loaded = PX_LoadFile(picture, &page, 0, nullptr, options);
    if ((loaded != PX_SUCCESS && loaded != PXERR_STOPPED) || !page.allocated()) return false;
    if (PX_SizeBitmap(&page, w, height, 4) != PX_SUCCESS) return false;

    // The frame: a light shadow, a silver border and a raised inner band, drawn over the picture.
    PxShapeStyle style;
    style.ShapeType = shapeRectangle;
    style.Shape = QRect(0, 0, page.Width, page.Height);
    style.BackgroundStyle = shapeBackTransparent;
    style.PatternStyle = 1; // none
    style.ShadowColor = 15395562;
    style.ShadowXDepth = 2;
    style.ShadowYDepth = 2;
    style.BorderColor = platform::clSilver;
    style.BorderStyle = 1; // solid
    style.BorderThickness = 1;
    style.InnerBandStyle = 2; // raised
    style.InnerBandThickness = 5;
    style.InnerBandHilite = platform::clWhite;
    style.InnerBandShadow = platform::clWhite;
    style.OuterBandStyle = 0;
    PxPixDC* canvas = nullptr;
    if (PX_CreatePixDC(&page, &canvas) != PX_SUCCESS) return false;
    const int drawn = PX_EfxDraw3dShape(&canvas->painter, style);
    PX_DeletePixDC(canvas);
    if (drawn != PX_SUCCESS) return false;

    // The two corners the shadow leaves uncovered are white.
    const PxRgnTransform identity;
    for (const PxRect corner : {PxRect{0, page.Height - 2, 2, page.Height}, PxRect{page.Width - 2, 0, page.Width, 2}}) {
        if (PX_SetBitmapRgnRect(&page, &identity, corner, rgnReplace) != PX_SUCCESS) return false;
        if (PX_FillBitmap(&page, platform::clWhite) != PX_SUCCESS) return false;
    }
    PX_FreeBitmapRgn(&page);
    if (PX_SaveBitmap(target, &page, JpegFormat, 24, 2) != PX_SUCCESS) return false;
    return platform::fileExists(target);
}

} // namespace

bool RenderThumbnail(const QString& picture, int height, const QString& target)
{
    try {
        return renderThumbnail(picture, height, target);
    } catch (const std::exception&) {
        return false; // out of memory on the way: no thumbnail, like any other failure
    }
}

int ProgressPercent(int done, int total)
{
    if (total == 0) return 0;
    return platform::roundHalfEven(static_cast<double>(done) / total * 100.0);
}

ThumbnailMaker::ThumbnailMaker(const QString& programDir) : programDir_(EnsureTrailingBackslash(programDir)) {}

QString ThumbnailMaker::Target(const QString& picture, bool cache) const
{
    if (cache) return show::CacheThumbnailPath(programDir_, picture);
    return show::FolderOf(picture) + ThumbPrefix + show::NameOf(picture);
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
    if (cache) platform::forceDirectories(show::FolderOf(target));
    return RenderThumbnail(picture, height, target);
}

QString ThumbnailMaker::MakeNumbered(const QString& picture)
{
    const QString folder = show::FolderOf(picture);
    const QString name = show::NameOf(picture);
    int k = 1;
    while (platform::fileExists(folder + ThumbPrefix + QString::number(k) + name)) ++k;
    if (!Make(picture, 70, true, false)) return {};
    const QString numbered = folder + ThumbPrefix + QString::number(k) + name;
    if (!platform::copyFile(folder + ThumbPrefix + name, numbered)) return {};
    return numbered;
}

ThumbnailRun::ThumbnailRun(const ThumbnailMaker& maker, const QStringList& pictures, int height, bool force, bool cache)
{
    pictures_.assign(pictures.begin(), pictures.end());
    targets_.reserve(pictures_.size());
    slot_.reserve(pictures_.size());
    for (const QString& picture : pictures_) {
        const QString target = maker.Target(picture, cache);
        const bool make = force || !maker.IsCurrent(picture, target, cache);
        slot_.push_back(make ? int(jobs_.size()) : -1);
        if (make) jobs_.push_back(int(targets_.size()));
        targets_.push_back(target);
    }
    made_.assign(jobs_.size(), 0);
    if (jobs_.empty()) return;
    if (cache) platform::forceDirectories(show::FolderOf(targets_[std::size_t(jobs_.front())]));
    work_ = std::make_unique<util::OrderedWork>(int(jobs_.size()), [this, height](int job) {
        const std::size_t i = std::size_t(jobs_[std::size_t(job)]);
        made_[std::size_t(job)] = RenderThumbnail(pictures_[i], height, targets_[i]) ? 1 : 0;
    });
}

ThumbnailRun::~ThumbnailRun() { cancel(); }

bool ThumbnailRun::take(int index, const std::function<void()>& idle)
{
    if (index < 0 || index >= count()) return false;
    const int job = slot_[std::size_t(index)];
    if (job < 0) return !cancelled();
    return work_->take(job, idle);
}

bool ThumbnailRun::made(int index) const
{
    const int job = slot_[std::size_t(index)];
    return job < 0 || made_[std::size_t(job)] != 0;
}

void ThumbnailRun::cancel()
{
    if (work_) work_->cancel();
}

bool ThumbnailRun::cancelled() const { return work_ && work_->cancelled(); }

} // namespace editor
