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
#include "util/memorybudget.h"
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
ThumbnailResult renderThumbnail(const QString& picture, int height, const QString& target,
                                const std::function<bool()>& stop)
{
    using namespace sdk;
    const qint64 fileBytes = platform::fileSize(picture);
    if (fileBytes <= 0 || fileBytes > maxPictureBytes) return ThumbnailResult::Failed;
    // The file's bytes are held first; the share grows to what decoding them takes before a pixel
    // is decoded. Whoever waits for memory holds none meanwhile, so the workers never wait on
    // each other in a ring.
    util::BudgetShare share(ThumbnailMemory());
    std::int64_t want = fileBytes;
    QByteArray data;
    PxLoadOptions options;
    int w = 0;
    for (int attempt = 0;; ++attempt) {
        if (attempt == 3) return ThumbnailResult::Failed; // the file keeps changing under us
        const auto grant = share.hold(want, stop);
        if (grant == util::MemoryBudget::Grant::TooLarge) return ThumbnailResult::TooLarge;
        if (grant == util::MemoryBudget::Grant::Stopped) return ThumbnailResult::Stopped;
        auto bytes = platform::readFile(picture, std::max<std::int64_t>(share.bytes(), 1));
        if (!bytes || bytes->isEmpty()) return ThumbnailResult::Failed;
        data = std::move(*bytes);
        // The header first: a picture too large to hold is refused before anything is allocated.
        PxFileInfo info;
        if (PX_FileInfoMemory(data, &info, 1) != PX_SUCCESS || info.Width <= 0 || info.Height <= 0)
            return ThumbnailResult::Failed;
        if (std::int64_t(info.Width) * info.Height > maxPixels) return ThumbnailResult::TooLarge;
        w = std::max(1, ThumbnailWidth(info.Width, info.Height, height));
        // A JPEG is decoded at the smallest reduction that still covers the thumbnail and a PNG
        // row by row into a small copy: the detail a 70-pixel copy drops is never held.
        options.Page = 1;
        options.MaxPages = 1;
        options.ReduceWidth = w;
        options.ReduceHeight = height;
        const std::int64_t cost = PX_LoadMemoryCost(data, 24, options);
        if (cost < 0) return ThumbnailResult::Failed;
        const std::int64_t need = std::int64_t(data.size()) + cost;
        if (need > ThumbnailMemory().total()) return ThumbnailResult::TooLarge;
        if (share.tryHold(need)) break;
        // Not free now: the bytes go, and the whole share is waited for holding nothing.
        data.clear();
        share.release();
        want = need;
    }
    SdkBitmapHandle page;
    const int loaded = PX_LoadMemory(data, &page, 0, nullptr, options);
    data.clear();
    if ((loaded != PX_SUCCESS && loaded != PXERR_STOPPED) || !page.allocated()) return ThumbnailResult::Failed;
    if (PX_SizeBitmap(&page, w, height, 4) != PX_SUCCESS) return ThumbnailResult::Failed;

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
    if (PX_CreatePixDC(&page, &canvas) != PX_SUCCESS) return ThumbnailResult::Failed;
    const int drawn = PX_EfxDraw3dShape(&canvas->painter, style);
    PX_DeletePixDC(canvas);
    if (drawn != PX_SUCCESS) return ThumbnailResult::Failed;

    // The two corners the shadow leaves uncovered are white.
    const PxRgnTransform identity;
    for (const PxRect corner : {PxRect{0, page.Height - 2, 2, page.Height}, PxRect{page.Width - 2, 0, page.Width, 2}}) {
        if (PX_SetBitmapRgnRect(&page, &identity, corner, rgnReplace) != PX_SUCCESS) return ThumbnailResult::Failed;
        if (PX_FillBitmap(&page, platform::clWhite) != PX_SUCCESS) return ThumbnailResult::Failed;
    }
    PX_FreeBitmapRgn(&page);
    if (PX_SaveBitmap(target, &page, JpegFormat, 24, 2) != PX_SUCCESS) return ThumbnailResult::Failed;
    return platform::fileExists(target) ? ThumbnailResult::Made : ThumbnailResult::Failed;
}

} // namespace

util::MemoryBudget& ThumbnailMemory()
{
    static util::MemoryBudget budget(ThumbnailMemoryBytes);
    return budget;
}

ThumbnailResult RenderThumbnail(const QString& picture, int height, const QString& target,
                                const std::function<bool()>& stop)
{
    try {
        return renderThumbnail(picture, height, target, stop);
    } catch (const std::exception&) {
        return ThumbnailResult::Failed; // out of memory on the way: no thumbnail, like any other failure
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

bool ThumbnailMaker::Make(const QString& picture, int height, bool force, bool cache, ThumbnailResult* why)
{
    const QString target = Target(picture, cache);
    if (why) *why = ThumbnailResult::Made;
    if (!force && IsCurrent(picture, target, cache)) return true;
    if (cache) (void)platform::forceDirectories(show::FolderOf(target)); // else the render fails and says so
    const ThumbnailResult result = RenderThumbnail(picture, height, target);
    if (why) *why = result;
    return result == ThumbnailResult::Made;
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
    result_.assign(jobs_.size(), ThumbnailResult::Failed);
    if (jobs_.empty()) return;
    if (cache) (void)platform::forceDirectories(show::FolderOf(targets_[std::size_t(jobs_.front())])); // as in Make
    work_ = std::make_unique<util::OrderedWork>(int(jobs_.size()), [this, height](int job) {
        const std::size_t i = std::size_t(jobs_[std::size_t(job)]);
        result_[std::size_t(job)] = RenderThumbnail(pictures_[i], height, targets_[i], [this] { return stop_.load(); });
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
    return job < 0 || result_[std::size_t(job)] == ThumbnailResult::Made;
}

bool ThumbnailRun::tooLarge(int index) const
{
    const int job = slot_[std::size_t(index)];
    return job >= 0 && result_[std::size_t(job)] == ThumbnailResult::TooLarge;
}

void ThumbnailRun::cancel()
{
    stop_ = true; // a worker waiting for memory gives up
    if (work_) work_->cancel();
}

bool ThumbnailRun::cancelled() const { return work_ && work_->cancelled(); }

} // namespace editor
