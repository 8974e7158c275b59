#pragma once
// Pictures named by item markup: THTMLPicture keeps a picture file's bytes and decodes them once;
// the picture cache of a list holds the pictures loaded from "file://" and "res://" sources, the
// picture container holds named pictures.
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QImage>
#include <QList>
#include <QObject>
#include <QString>

#include <memory>
#include <stdexcept>
#include <vector>

class QPainter;

namespace controls {

// A picture that cannot be decoded; the text is one of the decoder's messages.
class EPictureError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The largest picture file a source may name (a thumbnail is a few kilobytes).
constexpr qint64 kMaxPictureFileBytes = 64 * 1024 * 1024;

// GIF frame markers: a graphic-control extension (0x21 0xF9 0x04, five more bytes) followed by
// an image descriptor (0x2C), all within the data.
namespace gif {
bool isGif(const QByteArray& data);
std::vector<qsizetype> frameMarkers(const QByteArray& data);
struct FrameInfo {
    int delay = -1;        // hundredths of a second
    bool transparent = false;
    int disposal = -1;
};
FrameInfo frameInfo(const QByteArray& data, int frame); // frame is 1-based; -1 fields when absent
}

class THTMLPicture : public QObject, public std::enable_shared_from_this<THTMLPicture> {
    Q_OBJECT
public:
    explicit THTMLPicture(QObject* parent = nullptr);

    // "RES://name", "FILE://path" or a web address (which never yields a picture).
    void LoadFromSource(const QString& source);
    // Reads the whole file; any failure leaves the picture empty and is not reported.
    bool LoadFromFile(const QString& fileName);
    // The bytes become the data and are decoded; a decoding failure throws EPictureError.
    void LoadFromStream(const QByteArray* stream);
    void Assign(const THTMLPicture* source);
    void Clear();

    bool GetEmpty() const { return empty_; }
    // Size of the decoded picture at 96 dots per inch; 0 when not decoded.
    int GetWidth() const { return size_.isEmpty() ? 0 : size_.width(); }
    int GetHeight() const { return size_.isEmpty() ? 0 : size_.height(); }
    // The size layout uses: an animation's logical screen, else the picture's own.
    int displayWidth() const { return size_.isEmpty() ? 0 : screenWidth_ > 0 ? screenWidth_ : GetWidth(); }
    int displayHeight() const { return size_.isEmpty() ? 0 : screenHeight_ > 0 ? screenHeight_ : GetHeight(); }
    bool isDecoded() const { return !size_.isEmpty(); }
    // The pixels. Loading reads the header only; the pixels are decoded when first asked for
    // (a list of 2,000 thumbnails decodes the dozen it shows). Null when they cannot be decoded.
    const QImage& image() const;
    const QByteArray& data() const { return data_; }

    // Stretched into rect, or at its top-left in its own size converted to the device's
    // dots per inch. Nothing when empty or not decoded.
    void Draw(QPainter& canvas, const QRect& rect) const;

    QString source() const { return source_; }
    QString requestedAddress() const { return requested_; }
    bool Asynch = true;
    bool Stretch = false;
    QString cacheKey; // the source text a picture cache holds it under

    int Frame() const { return frame_; }
    void setFrame(int frame);
    int FrameCount();
    int frameX() const { return frameX_; }
    int frameY() const { return frameY_; }
    int frameWidth() const { return frameW_; }
    int frameHeight() const { return frameH_; }
    bool frameTransparent() const { return transparent_; }
    int frameDisposal() const { return disposal_; }
    // One 100 ms step of an animation; true when the frame changed.
    bool AnimationTick();

    // For a file source: when the file's size or time differs from what was loaded, the file is
    // loaded again (a thumbnail made anew under the same name). A file that has gone is kept.
    // The file is looked at once per event-loop turn at most (never in the turn it was loaded).
    bool refreshIfChanged();
    // The last decoding failure ("" after a good load).
    QString lastError() const { return error_; }

signals:
    void OnChange();
    void OnFrameChange();

private:
    void decode(); // throws EPictureError
    void resetAnimation();

    QByteArray data_;
    bool empty_ = true;
    mutable QImage decoded_;
    mutable QSize size_;
    mutable QByteArray pending_;   // the file image whose pixels are still to be decoded
    QString source_, requested_, error_;
    QString fileName_;          // the file a "file://" source loaded from
    qint64 fileSize_ = -1;
    QDateTime fileTime_;
    quint64 checkedTurn_ = 0; // the event-loop turn the file was last looked at
    int frameCount_ = -1, frame_ = 1, nextChange_ = -1, ticks_ = -1;
    int frameX_ = 0, frameY_ = 0, frameW_ = 0, frameH_ = 0, screenWidth_ = 0, screenHeight_ = 0;
    bool transparent_ = false;
    int disposal_ = 0;
};

using PicturePtr = std::shared_ptr<THTMLPicture>;

// The pictures a list control loaded from sources, found by their exact source text.
class THTMLPictureCache {
public:
    PicturePtr AddPicture(const QString& source);
    PicturePtr FindPicture(const QString& source) const; // none when absent
    int Count() const { return int(items_.size()); }
    PicturePtr Items(int index) const;
    bool AnimateAll();
    // Drops the pictures that nothing outside the cache holds any more.
    int dropUnused();
    // Counts the pictures loaded again because their file changed, so that a list can measure
    // its rows again when a picture may have changed size.
    int reloads() const { return reloads_; }
    void noteReload() { ++reloads_; }
    void Clear();

private:
    std::vector<PicturePtr> items_;
    QHash<QString, THTMLPicture*> bySource_;
    int reloads_ = 0;
};

class TPictureItem {
public:
    TPictureItem();
    void Assign(const TPictureItem& other);
    THTMLPicture* Picture() const { return picture_.get(); }
    PicturePtr picturePtr() const { return picture_; }
    QString Name;
    int Tag = 0;

private:
    PicturePtr picture_;
};

class TPictureCollection {
public:
    TPictureItem& Add();
    int Count() const { return int(items_.size()); }
    TPictureItem& Items(int index) { return *items_.at(std::size_t(index)); }
    const TPictureItem& Items(int index) const { return *items_.at(std::size_t(index)); }
    void Clear() { items_.clear(); }
    bool AnimateAll();

private:
    std::vector<std::unique_ptr<TPictureItem>> items_;
};

// Named pictures referred to by a source without ":".
class TPictureContainer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    TPictureCollection Items;
    THTMLPicture* FindPicture(const QString& name) const;
    PicturePtr findPicturePtr(const QString& name) const;
};

} // namespace controls
