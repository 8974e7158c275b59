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

#include <QThread>

#include <algorithm>
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

// How a picture's bytes are decoded for a thumbnail of the given height: a JPEG at the smallest
// reduction that still covers the thumbnail, a PNG row by row into a small copy, so that the
// detail a 70-pixel copy drops is never held. Failed or TooLarge (result) when the header tells
// no picture or one too large to hold; the header is read before anything is allocated.
bool reducedLoad(const QByteArray& data, int height, sdk::PxLoadOptions* options, int* width, std::int64_t* cost,
                 ThumbnailResult* result)
{
    using namespace sdk;
    *result = ThumbnailResult::Failed;
    PxFileInfo info;
    if (PX_FileInfoMemory(data, &info, 1) != PX_SUCCESS || info.Width <= 0 || info.Height <= 0) return false;
    if (std::int64_t(info.Width) * info.Height > maxPixels) {
        *result = ThumbnailResult::TooLarge;
        return false;
    }
    *width = std::max(1, ThumbnailWidth(info.Width, info.Height, height));
    options->Page = 1;
    options->MaxPages = 1;
    options->ReduceWidth = *width;
    options->ReduceHeight = height;
    *cost = PX_LoadMemoryCost(data, 24, *options);
    return *cost >= 0;
}

// The framed thumbnail of the picture's bytes, encoded in memory; the bytes are dropped as soon
// as they are decoded.
ThumbnailResult framedThumbnail(QByteArray data, const sdk::PxLoadOptions& options, int w, int height, QByteArray* jpeg)
{
    using namespace sdk;
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
    if (PX_SaveMemory(jpeg, &page, JpegFormat, 24, 2) != PX_SUCCESS || jpeg->isEmpty()) return ThumbnailResult::Failed;
    return ThumbnailResult::Made;
}

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
        std::int64_t cost = 0;
        ThumbnailResult refused = ThumbnailResult::Failed;
        if (!reducedLoad(data, height, &options, &w, &cost, &refused)) return refused;
        const std::int64_t need = std::int64_t(data.size()) + cost;
        if (need > ThumbnailMemory().total()) return ThumbnailResult::TooLarge;
        if (share.tryHold(need)) break;
        // Not free now: the bytes go, and the whole share is waited for holding nothing.
        data.clear();
        share.release();
        want = need;
    }
    QByteArray jpeg;
    const ThumbnailResult framed = framedThumbnail(std::move(data), options, w, height, &jpeg);
    if (framed != ThumbnailResult::Made) return framed;
    return WriteThumbnail(target, jpeg) ? ThumbnailResult::Made : ThumbnailResult::Failed;
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

ThumbnailResult RenderThumbnailJpeg(const QByteArray& picture, int height, QByteArray* jpeg)
{
    jpeg->clear();
    try {
        // The caller holds the bytes; the share is what decoding them takes.
        sdk::PxLoadOptions options;
        int w = 0;
        std::int64_t cost = 0;
        ThumbnailResult refused = ThumbnailResult::Failed;
        if (picture.isEmpty() || !reducedLoad(picture, height, &options, &w, &cost, &refused)) return refused;
        util::BudgetShare share(ThumbnailMemory());
        const auto grant = share.hold(cost);
        if (grant == util::MemoryBudget::Grant::TooLarge) return ThumbnailResult::TooLarge;
        if (grant == util::MemoryBudget::Grant::Stopped) return ThumbnailResult::Stopped;
        return framedThumbnail(picture, options, w, height, jpeg);
    } catch (const std::exception&) {
        return ThumbnailResult::Failed;
    }
}

bool WriteThumbnail(const QString& target, const QByteArray& jpeg)
{
    // Many are written at once: none waits for the disk.
    return platform::writeFileReplacing(target, jpeg, platform::FileAccess::AsBefore, QString(), platform::WriteSync::Rebuildable);
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
    // Thumbnails are written without waiting for the disk: one that a crash left empty is made again.
    const auto made = platform::fileInfo(target);
    if (!made || made->size <= 0) return false;
    if (!cache) return true;
    const QDateTime changed = platform::fileModified(picture);
    return made->modified.isValid() && (!changed.isValid() || made->modified >= changed);
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

std::vector<int> VisibleFirstOrder(int count, int first, int last)
{
    std::vector<int> order;
    if (count <= 0) return order;
    order.reserve(std::size_t(count));
    first = std::clamp(first, 0, count - 1);
    last = std::clamp(last, first, count - 1);
    for (int row = first; row <= last; ++row) order.push_back(row);
    for (int below = last + 1, above = first - 1; below < count || above >= 0; ++below, --above) {
        if (below < count) order.push_back(below);
        if (above >= 0) order.push_back(above);
    }
    return order;
}

ThumbnailRun::ThumbnailRun(const ThumbnailMaker& maker, const QStringList& pictures, int height, bool force, bool cache,
                           const std::vector<int>& order)
{
    pictures_.assign(pictures.begin(), pictures.end());
    const std::size_t n = pictures_.size();
    // An order that does not name every picture exactly once is not followed.
    const bool whole = wholeOrder(order);
    order_.resize(n);
    for (std::size_t k = 0; k < n; ++k) order_[k] = whole ? order[k] : int(k);
    targets_.reserve(n);
    for (const QString& picture : pictures_) targets_.push_back(maker.Target(picture, cache));
    slot_.assign(n, -1);
    for (const int i : order_) {
        const std::size_t p = std::size_t(i);
        if (!force && maker.IsCurrent(pictures_[p], targets_[p], cache)) continue;
        slot_[p] = int(jobs_.size());
        jobs_.push_back(i);
    }
    result_.assign(jobs_.size(), ThumbnailResult::Failed);
    if (jobs_.empty()) return;
    if (cache) (void)platform::forceDirectories(show::FolderOf(targets_[std::size_t(jobs_.front())])); // as in Make
    work_ = std::make_unique<util::OrderedWork>(
        int(jobs_.size()),
        [this, height](int job) {
            const std::size_t i = std::size_t(jobs_[std::size_t(job)]);
            result_[std::size_t(job)] = RenderThumbnail(pictures_[i], height, targets_[i], [this] { return stop_.load(); });
        },
        0, Lead());
}

bool ThumbnailRun::wholeOrder(const std::vector<int>& order) const
{
    const std::size_t n = pictures_.size();
    if (order.size() != n) return false;
    std::vector<char> named(n, 0);
    for (const int i : order) {
        if (i < 0 || std::size_t(i) >= n || named[std::size_t(i)]) return false;
        named[std::size_t(i)] = 1;
    }
    return true;
}

void ThumbnailRun::rerank(const std::vector<int>& order, int taken)
{
    if (taken < 0 || taken >= count() || !wholeOrder(order)) return;
    std::vector<int> rank(pictures_.size());
    for (std::size_t k = 0; k < order.size(); ++k) rank[std::size_t(order[k])] = int(k);
    auto byRank = [&rank](int a, int b) { return rank[std::size_t(a)] < rank[std::size_t(b)]; };
    auto renumber = [&](int firstWaiting) {
        // The jobs not begun take their new places: jobs_ is read by a worker only once it has
        // been handed the job, which it cannot be meanwhile.
        std::sort(jobs_.begin() + firstWaiting, jobs_.end(), byRank);
        for (std::size_t job = std::size_t(firstWaiting); job < jobs_.size(); ++job) slot_[std::size_t(jobs_[job])] = int(job);
        // What is still to be taken: the thumbnails under way in the order they were begun, then
        // the rest by rank, in which the waiting jobs now stand too.
        const auto rest = order_.begin() + taken;
        const auto waiting = std::stable_partition(rest, order_.end(), [&](int picture) {
            const int job = slot_[std::size_t(picture)];
            return job >= 0 && job < firstWaiting;
        });
        std::sort(rest, waiting, [this](int a, int b) { return slot_[std::size_t(a)] < slot_[std::size_t(b)]; });
        std::sort(waiting, order_.end(), byRank);
    };
    if (work_) work_->beforeStart(renumber);
    else renumber(int(jobs_.size()));
}

int ThumbnailRun::Lead() { return 4 * QThread::idealThreadCount(); }

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
