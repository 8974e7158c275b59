#pragma once
// Thumbnails of the picture lists: a JPEG 70 pixels high (width in proportion, halves to even),
// framed with a raised band, a silver border and a light shadow, its two uncovered corners
// white. Show thumbnails lie beside their picture as "_THUMB_" + name (after an edit also the
// numbered "_THUMB_" + k + name); source thumbnails lie in the program directory's "thumbs\"
// cache (picturelist.h names them).
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace util {
class MemoryBudget;
class OrderedWork;
}

namespace editor {

// The width of a thumbnail of the given height for a picture of width x height.
int ThumbnailWidth(int pictureWidth, int pictureHeight, int height);

// What became of one thumbnail.
enum class ThumbnailResult {
    Made,
    Failed,   // the picture cannot be loaded or the thumbnail not written (no message)
    TooLarge, // decoding the picture alone would take more than the whole memory budget
    Stopped,  // the run was cancelled while the picture waited for memory
};

// The memory that every thumbnail being made shares, whatever thread makes it: a picture is
// decoded only once its share is free (it waits for the others meanwhile), and one whose share
// alone exceeds the budget is refused.
util::MemoryBudget& ThumbnailMemory();
constexpr std::int64_t ThumbnailMemoryBytes = std::int64_t(1) << 30;

// Makes the thumbnail of picture at target with the given height. It touches no widget and no
// state shared between threads, so thumbnails can be made on worker threads; stop (when given)
// ends a wait for memory.
ThumbnailResult RenderThumbnail(const QString& picture, int height, const QString& target,
                                const std::function<bool()>& stop = {});

// The thumbnail of a picture held in memory (the bytes just written to its file), encoded into
// jpeg rather than written; the same engine and rules as RenderThumbnail. Thread-safe as it is.
ThumbnailResult RenderThumbnailJpeg(const QByteArray& picture, int height, QByteArray* jpeg);

// Writes an encoded thumbnail to its place in one piece, without waiting for the disk (a thumbnail
// is made again when it is missing or empty); false when it could not be written.
bool WriteThumbnail(const QString& target, const QByteArray& jpeg);

// The percentage shown while thumbnails are made: done / total x 100, halves to even, 0 without a total.
int ProgressPercent(int done, int total);

class ThumbnailMaker {
public:
    explicit ThumbnailMaker(const QString& programDir);

    // Where the thumbnail of a picture goes.
    QString Target(const QString& picture, bool cache) const;
    // True when the thumbnail at target can serve for picture without being made again: it
    // exists and, for the cache, is not older than the picture.
    bool IsCurrent(const QString& picture, const QString& target, bool cache) const;
    // Makes the thumbnail of a picture unless a current one exists and force is off. A picture
    // that cannot be loaded or a thumbnail that cannot be written leaves no thumbnail and no
    // message. True when a thumbnail stands at the target afterwards; why (when given) tells
    // what became of it.
    bool Make(const QString& picture, int height, bool force, bool cache, ThumbnailResult* why = nullptr);
    // Writes the thumbnail of picture (folder + name) anew and copies it to the first free
    // "_THUMB_" + k + name; returns that numbered path (empty when no thumbnail could be made).
    QString MakeNumbered(const QString& picture);

private:
    QString programDir_;
};

// The order in which the rows of a list get their thumbnails: the rows first .. last that the
// list shows, then outward from them, the next row below and the next above in turn.
std::vector<int> VisibleFirstOrder(int count, int first, int last);

// The thumbnails of many pictures (a folder for the source list, a show being opened): those
// missing are made on worker threads in the order given (the pictures' own order without one)
// and taken back in that order.
class ThumbnailRun {
public:
    // Finds which thumbnails are missing (all of them with force) and starts making them; order
    // (when given) lists every picture index once, the first to be made first.
    ThumbnailRun(const ThumbnailMaker& maker, const QStringList& pictures, int height, bool force, bool cache,
                 const std::vector<int>& order = {});
    // Cancels and waits for the workers.
    ~ThumbnailRun();
    // How many places past the picture taken last a worker may start one (the order is kept to
    // that far: a thumbnail that many places later is not begun before the earlier ones are taken).
    static int Lead();

    int count() const { return int(targets_.size()); }
    // The picture taken k-th: take(pictureAt(0)), take(pictureAt(1)), ... never waits on a
    // thumbnail that is made later than another still to be taken.
    int pictureAt(int k) const { return order_[std::size_t(k)]; }
    // How many thumbnails are made in this run (the others were current already).
    int toMake() const { return int(jobs_.size()); }
    bool needsMaking(int index) const { return slot_[std::size_t(index)] >= 0; }
    QString target(int index) const { return targets_[std::size_t(index)]; }
    // Waits until the thumbnail of picture index is ready (at once when it was current), with
    // idle running on this thread meanwhile. False when the run was cancelled first.
    bool take(int index, const std::function<void()>& idle = {});
    // True when a thumbnail of picture index stands (after take).
    bool made(int index) const;
    // True when picture index was refused for memory (after take).
    bool tooLarge(int index) const;
    // The list was scrolled while the run goes on: the pictures after the first taken (already
    // taken, in the order pictureAt gave them) are taken anew in the order given (every picture
    // once, as for the constructor), except that the thumbnails under way come first. Those not
    // begun are made in that order. An order that does not name every picture once is ignored.
    void rerank(const std::vector<int>& order, int taken);
    // No further thumbnail is started; returns once the running ones have ended.
    void cancel();
    bool cancelled() const;

private:
    bool wholeOrder(const std::vector<int>& order) const;

    std::vector<QString> pictures_;
    std::vector<QString> targets_;
    std::vector<int> order_;  // the pictures in the order they are made and taken
    std::vector<int> slot_;   // job of each picture, -1 when its thumbnail is current
    std::vector<int> jobs_;   // picture of each job
    std::vector<ThumbnailResult> result_; // per job, written by its worker
    std::atomic<bool> stop_{false};
    std::unique_ptr<util::OrderedWork> work_;
};

} // namespace editor
