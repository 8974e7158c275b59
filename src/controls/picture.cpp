#include "picture.h"

#include "platform/files.h"
#include "platform/metafile.h"
#include "platform/rounding.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QResource>
#include <QtEndian>

namespace controls {

namespace {

constexpr qint64 kMaxPixels = 300'000'000; // pictures declaring more are refused before decoding

int u16At(const QByteArray& d, qsizetype at)
{
    if (at < 0 || at + 1 >= d.size()) return -1;
    return qFromLittleEndian<quint16>(d.constData() + at);
}

// Event-loop turns, counted by a call queued at the first look of a turn: a file is looked at
// once per turn however often the lists paint and measure its picture within it.
quint64 g_turn = 1;
bool g_turnQueued = false;

quint64 currentTurn()
{
    if (!g_turnQueued && QCoreApplication::instance()) {
        g_turnQueued = true;
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [] {
                ++g_turn;
                g_turnQueued = false;
            },
            Qt::QueuedConnection);
    }
    return g_turn;
}

} // namespace

namespace gif {

bool isGif(const QByteArray& data) { return data.size() >= 5 && data.startsWith("GIF8"); }

std::vector<qsizetype> frameMarkers(const QByteArray& data)
{
    std::vector<qsizetype> markers;
    if (!isGif(data)) return markers;
    const auto* p = reinterpret_cast<const unsigned char*>(data.constData());
    const qsizetype n = data.size();
    for (qsizetype i = 0; i + 8 < n; ++i) {
        if (p[i] == 0x21 && p[i + 1] == 0xF9 && p[i + 2] == 0x04 && p[i + 8] == 0x2C) markers.push_back(i);
    }
    return markers;
}

FrameInfo frameInfo(const QByteArray& data, int frame)
{
    FrameInfo info;
    const auto markers = frameMarkers(data);
    if (frame < 1 || std::size_t(frame) > markers.size()) return info;
    const qsizetype at = markers[std::size_t(frame - 1)];
    const int flags = quint8(data[at + 3]);
    info.delay = u16At(data, at + 4);
    info.transparent = flags & 1;
    info.disposal = (flags >> 2) & 7;
    return info;
}

} // namespace gif

THTMLPicture::THTMLPicture(QObject* parent) : QObject(parent) {}

void THTMLPicture::resetAnimation()
{
    frameCount_ = -1;
    frame_ = 1;
    nextChange_ = -1;
    ticks_ = -1;
}

void THTMLPicture::Clear()
{
    data_.clear();
    decoded_ = QImage();
    size_ = QSize();
    pending_.clear();
    empty_ = true;
    frameX_ = frameY_ = frameW_ = frameH_ = screenWidth_ = screenHeight_ = 0;
    resetAnimation();
}

void THTMLPicture::LoadFromSource(const QString& source)
{
    const QString upper = source.toUpper();
    if (upper.startsWith(QLatin1String("RES://"))) {
        source_ = source;
        const QResource res(QStringLiteral(":/") + source.mid(6));
        if (!res.isValid()) return;
        const QByteArray bytes = res.uncompressedData();
        try {
            LoadFromStream(&bytes);
        } catch (const EPictureError& e) {
            // Our own resources are checked when they are built; a bad one shows nothing
            // rather than ending the paint that asked for it.
            error_ = QString::fromUtf8(e.what());
            Clear();
        }
    } else if (upper.startsWith(QLatin1String("FILE://"))) {
        source_ = source;
        LoadFromFile(source.mid(7));
    } else {
        // Web sources: the address is recorded and nothing is fetched.
        requested_ = source;
        source_ = source;
    }
}

bool THTMLPicture::LoadFromFile(const QString& fileName)
{
    fileName_ = fileName;
    fileSize_ = -1;
    fileTime_ = QDateTime();
    checkedTurn_ = currentTurn();
    Clear();
    const auto info = platform::fileInfo(fileName);
    if (!info || !platform::isRegularFile(fileName)) return false;
    auto bytes = platform::readFile(fileName, kMaxPictureFileBytes);
    if (!bytes) return false;
    fileSize_ = info->size;
    fileTime_ = info->modified;
    data_ = std::move(*bytes);
    empty_ = false;
    try {
        decode();
    } catch (const EPictureError& e) {
        error_ = QString::fromUtf8(e.what());
        data_.clear();
        empty_ = true;
        return false;
    }
    emit OnChange();
    return true;
}

bool THTMLPicture::refreshIfChanged()
{
    if (fileName_.isEmpty()) return false;
    const quint64 turn = currentTurn();
    if (checkedTurn_ == turn) return false;
    checkedTurn_ = turn;
    const auto info = platform::fileInfo(fileName_);
    if (!info || (info->attributes & platform::faDirectory)) return false;
    if (info->size == fileSize_ && info->modified == fileTime_) return false;
    LoadFromFile(fileName_);
    return true;
}

void THTMLPicture::LoadFromStream(const QByteArray* stream)
{
    if (!stream) return;
    Clear();
    data_ = *stream;
    empty_ = false;
    try {
        decode();
    } catch (const EPictureError&) {
        empty_ = true;
        data_.clear();
        throw;
    }
    emit OnChange();
}

void THTMLPicture::Assign(const THTMLPicture* source)
{
    Clear();
    fileName_.clear();
    if (!source) return;
    data_ = source->data_;
    empty_ = data_.isEmpty();
    if (!empty_) {
        try {
            decode();
        } catch (const EPictureError& e) {
            error_ = QString::fromUtf8(e.what());
        }
    }
    emit OnChange();
}

void THTMLPicture::decode()
{
    error_.clear();
    decoded_ = QImage();
    size_ = QSize();
    pending_.clear();
    frameX_ = frameY_ = frameW_ = frameH_ = screenWidth_ = screenHeight_ = 0;
    if (data_.isEmpty()) throw EPictureError("Empty image stream created");

    QByteArray image = data_;
    int screenW = 0, screenH = 0, fx = 0, fy = 0, fw = 0, fh = 0;
    const auto markers = gif::frameMarkers(data_);
    if (gif::isGif(data_) && !markers.empty()) {
        screenW = std::max(0, u16At(data_, 6));
        screenH = std::max(0, u16At(data_, 8));
        // Leave out everything from the first frame up to the wanted one, so that the decoder's
        // first image is the wanted frame.
        const qsizetype wanted = (frame_ >= 1 && std::size_t(frame_) <= markers.size()) ? markers[std::size_t(frame_ - 1)] : markers.front();
        if (wanted != markers.front()) image = data_.left(markers.front()) + data_.mid(wanted);
        const qsizetype desc = wanted + 8; // the image descriptor byte
        if (desc + 8 < data_.size()) {
            fx = u16At(data_, desc + 1);
            fy = u16At(data_, desc + 3);
            fw = u16At(data_, desc + 5);
            fh = u16At(data_, desc + 7);
        }
    }
    if (qint64(screenW) * screenH > kMaxPixels) throw EPictureError("Could not allocate memory for image");

    if (platform::metafileKind(image) != platform::MetafileKind::None) {
        // Windows metafiles: drawn once, at their own size, when they are loaded.
        platform::MetafileImage drawn = platform::renderMetafile(image, kMaxPixels);
        if (drawn.image.isNull()) throw EPictureError(drawn.error.toStdString());
        decoded_ = std::move(drawn.image);
        decoded_.setDevicePixelRatio(1.0);
        size_ = decoded_.size();
        return;
    }

    QBuffer buffer(&image);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead()) throw EPictureError("Could not load image. Invalid format");
    const QSize declared = reader.size();
    if (declared.isValid() && qint64(declared.width()) * declared.height() > kMaxPixels)
        throw EPictureError("Could not allocate memory for image");
    screenWidth_ = screenW;
    screenHeight_ = screenH;
    frameX_ = fx;
    frameY_ = fy;
    frameW_ = fw;
    frameH_ = fh;
    if (declared.isValid() && !declared.isEmpty()) {
        size_ = declared;
        pending_ = image;
        return;
    }
    // A format that tells its size only by decoding.
    pending_ = image;
    if (image.isEmpty() || this->image().isNull()) {
        screenWidth_ = screenHeight_ = 0;
        throw EPictureError("Could not load image");
    }
}

const QImage& THTMLPicture::image() const
{
    if (pending_.isEmpty()) return decoded_;
    QByteArray bytes = std::move(pending_);
    pending_.clear();
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    QImage img;
    if (!reader.read(&img) || img.isNull()) {
        // The header promised a picture the data does not hold: nothing to show from now on.
        decoded_ = QImage();
        size_ = QSize();
        return decoded_;
    }
    if (!size_.isEmpty() && img.size() != size_) size_ = img.size();
    if (size_.isEmpty()) size_ = img.size();
    decoded_ = img.convertToFormat(img.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    decoded_.setDevicePixelRatio(1.0);
    return decoded_;
}

void THTMLPicture::Draw(QPainter& canvas, const QRect& rect) const
{
    if (empty_ || image().isNull()) return;
    if (Stretch) {
        canvas.drawImage(rect, decoded_);
        return;
    }
    const QPaintDevice* dev = canvas.device();
    const int dpiX = dev ? dev->logicalDpiX() : 96;
    const int dpiY = dev ? dev->logicalDpiY() : 96;
    if (dpiX == 96 && dpiY == 96) {
        canvas.drawImage(rect.topLeft(), decoded_);
    } else {
        canvas.drawImage(QRect(rect.left(), rect.top(), platform::roundHalfEven(decoded_.width() * dpiX / 96.0),
                               platform::roundHalfEven(decoded_.height() * dpiY / 96.0)),
                         decoded_);
    }
}

void THTMLPicture::setFrame(int frame)
{
    frame_ = frame;
    if (!data_.isEmpty()) {
        try {
            decode();
        } catch (const EPictureError& e) {
            error_ = QString::fromUtf8(e.what());
        }
        emit OnFrameChange();
    }
}

int THTMLPicture::FrameCount()
{
    if (frameCount_ < 0) frameCount_ = int(gif::frameMarkers(data_).size());
    return frameCount_;
}

bool THTMLPicture::AnimationTick()
{
    if (empty_ || FrameCount() < 2) return false;
    bool changed = false;
    if (nextChange_ < 0) {
        const auto info = gif::frameInfo(data_, frame_);
        transparent_ = info.transparent;
        disposal_ = info.disposal;
        nextChange_ = std::max(0, info.delay);
        ticks_ = 0;
    } else if (ticks_ * 10 >= nextChange_) {
        frame_ = frame_ >= FrameCount() ? 1 : frame_ + 1;
        try {
            decode();
        } catch (const EPictureError& e) {
            error_ = QString::fromUtf8(e.what());
        }
        const auto info = gif::frameInfo(data_, frame_);
        transparent_ = info.transparent;
        disposal_ = info.disposal;
        // A delay of 0 would change the frame on every tick; it still advances at most once
        // a tick.
        nextChange_ += std::max(0, info.delay);
        changed = true;
    }
    ++ticks_;
    return changed;
}

PicturePtr THTMLPictureCache::AddPicture(const QString& source)
{
    auto p = std::make_shared<THTMLPicture>();
    p->cacheKey = source;
    items_.push_back(p);
    bySource_.insert(source, p.get());
    return p;
}

PicturePtr THTMLPictureCache::FindPicture(const QString& source) const
{
    THTMLPicture* raw = bySource_.value(source);
    return raw ? raw->shared_from_this() : nullptr;
}

void THTMLPictureCache::Clear()
{
    items_.clear();
    bySource_.clear();
}

PicturePtr THTMLPictureCache::Items(int index) const
{
    if (index < 0 || std::size_t(index) >= items_.size()) return nullptr;
    return items_[std::size_t(index)];
}

bool THTMLPictureCache::AnimateAll()
{
    bool changed = false;
    for (const auto& p : items_) changed = p->AnimationTick() || changed;
    return changed;
}

int THTMLPictureCache::dropUnused()
{
    const auto before = items_.size();
    std::erase_if(items_, [this](const PicturePtr& p) {
        if (p.use_count() != 1) return false;
        if (bySource_.value(p->cacheKey) == p.get()) bySource_.remove(p->cacheKey);
        return true;
    });
    return int(before - items_.size());
}

TPictureItem::TPictureItem() : picture_(std::make_shared<THTMLPicture>()) {}

void TPictureItem::Assign(const TPictureItem& other)
{
    Name = other.Name;
    Tag = other.Tag;
    picture_->Assign(other.picture_.get());
}

TPictureItem& TPictureCollection::Add()
{
    items_.push_back(std::make_unique<TPictureItem>());
    return *items_.back();
}

bool TPictureCollection::AnimateAll()
{
    bool changed = false;
    for (const auto& it : items_) changed = it->Picture()->AnimationTick() || changed;
    return changed;
}

THTMLPicture* TPictureContainer::FindPicture(const QString& name) const
{
    return findPicturePtr(name).get();
}

PicturePtr TPictureContainer::findPicturePtr(const QString& name) const
{
    for (int i = 0; i < Items.Count(); ++i)
        if (Items.Items(i).Name.compare(name, Qt::CaseInsensitive) == 0) return Items.Items(i).picturePtr();
    return nullptr;
}

} // namespace controls
