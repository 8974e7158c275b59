#include "metafile.h"

#include "platform/rounding.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstdlib>
#include <memory>

extern "C" {
#include <emf2svg.h>
#include <libwmf/api.h>
#include <libwmf/gd.h>
}

namespace platform {

namespace {

// A metafile is a few drawing records; one of more than this is refused rather than turned into
// an SVG text many times its size.
constexpr qsizetype kMaxMetafileBytes = 4 * 1024 * 1024;

quint32 u32At(const QByteArray& d, qsizetype at) { return qFromLittleEndian<quint32>(d.constData() + at); }
qint32 i32At(const QByteArray& d, qsizetype at) { return qFromLittleEndian<qint32>(d.constData() + at); }
quint16 u16At(const QByteArray& d, qsizetype at) { return qFromLittleEndian<quint16>(d.constData() + at); }
qint16 i16At(const QByteArray& d, qsizetype at) { return qFromLittleEndian<qint16>(d.constData() + at); }

constexpr quint32 kPlaceableKey = 0x9AC6CDD7;

bool isPlaceableWmf(const QByteArray& d) { return d.size() >= 22 + 18 && u32At(d, 0) == kPlaceableKey; }

// A plain WMF starts with its 18-byte header: type 1 (memory) or 2 (disk), header size 9 words,
// version 0x0100 or 0x0300.
bool isPlainWmf(const QByteArray& d)
{
    if (d.size() < 18) return false;
    const quint16 type = u16At(d, 0), words = u16At(d, 2), version = u16At(d, 4);
    return (type == 1 || type == 2) && words == 9 && (version == 0x0100 || version == 0x0300);
}

bool isEmf(const QByteArray& d) { return d.size() >= 88 && u32At(d, 0) == 1 && u32At(d, 40) == 0x464D4520; }

QImage renderSvg(const QByteArray& svg, QSize size, QString& error)
{
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        error = QStringLiteral("Could not load image. Invalid format");
        return {};
    }
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        error = QStringLiteral("Could not allocate memory for image");
        return {};
    }
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, size.width(), size.height()));
    painter.end();
    return image;
}

struct WmfApi {
    wmfAPI* api = nullptr;
    ~WmfApi()
    {
        if (api) wmf_api_destroy(api);
    }
};

// libwmf's raster device hands its PNG over in pieces.
int collectPng(void* context, char* buffer, int length)
{
    if (length > 0) static_cast<QByteArray*>(context)->append(buffer, length);
    return length;
}

MetafileImage renderWmf(const QByteArray& data, qint64 maxPixels)
{
    MetafileImage out;
    WmfApi holder;
    wmfAPI_Options options{};
    options.function = wmf_gd_function;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (wmf_api_create(&holder.api, flags, &options) != wmf_E_None || !holder.api) {
        out.error = QStringLiteral("Could not allocate memory for image");
        return out;
    }
    wmfAPI* api = holder.api;
    wmf_gd_t* device = WMF_GD_GetData(api);
    if (!(device->flags & WMF_GD_SUPPORTS_PNG)) {
        out.error = QStringLiteral("Could not load image");
        return out;
    }
    // libwmf reads from the bytes it is given and never writes them.
    QByteArray bytes = data;
    wmfD_Rect bbox{};
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(bytes.data()), long(bytes.size())) != wmf_E_None
        || wmf_scan(api, 0, &bbox) != wmf_E_None) {
        out.error = QStringLiteral("Could not load image. Invalid format");
        return out;
    }
    QSize size = metafileSize(data);
    if (!size.isValid()) {
        unsigned int w = 0, h = 0;
        if (wmf_display_size(api, &w, &h, 96, 96) != wmf_E_None) {
            out.error = QStringLiteral("Could not load image. Invalid format");
            return out;
        }
        size = QSize(int(std::min(w, 1u << 30)), int(std::min(h, 1u << 30)));
    }
    if (size.isEmpty()) {
        out.error = QStringLiteral("Could not load image");
        return out;
    }
    if (qint64(size.width()) * size.height() > maxPixels) {
        out.error = QStringLiteral("Could not allocate memory for image");
        return out;
    }
    QByteArray png;
    device->type = wmf_gd_png;
    device->flags |= WMF_GD_OUTPUT_MEMORY | WMF_GD_OWN_BUFFER;
    device->sink.context = &png;
    device->sink.function = &collectPng;
    device->file = nullptr;
    device->bbox = bbox;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    const wmf_error_t played = wmf_play(api, 0, &bbox);
    QImage image;
    if (played != wmf_E_None || png.isEmpty() || !image.loadFromData(png, "PNG")) {
        out.error = QStringLiteral("Could not load image. Invalid format");
        return out;
    }
    out.size = size;
    out.image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    return out;
}

MetafileImage renderEmf(const QByteArray& data, qint64 maxPixels)
{
    MetafileImage out;
    const QSize size = metafileSize(data);
    if (!size.isValid() || size.isEmpty()) {
        out.error = QStringLiteral("Could not load image");
        return out;
    }
    if (qint64(size.width()) * size.height() > maxPixels) {
        out.error = QStringLiteral("Could not allocate memory for image");
        return out;
    }
    generatorOptions options{};
    char nameSpace[] = "svg";
    options.nameSpace = nameSpace;
    options.verbose = false;
    options.emfplus = true;
    options.svgDelimiter = true;
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    QByteArray bytes = data; // the converter takes a writable pointer and only reads through it
    char* svg = nullptr;
    size_t length = 0;
    const int ok = emf2svg(bytes.data(), size_t(bytes.size()), &svg, &length, &options);
    const std::unique_ptr<char, decltype(&std::free)> owned(svg, &std::free);
    if (!ok || !svg || length == 0) {
        out.error = QStringLiteral("Could not load image. Invalid format");
        return out;
    }
    out.size = size;
    out.image = renderSvg(QByteArray(svg, qsizetype(length)), size, out.error);
    return out;
}

} // namespace

MetafileKind metafileKind(const QByteArray& data)
{
    if (isPlaceableWmf(data) || isPlainWmf(data)) return MetafileKind::Wmf;
    if (isEmf(data)) return MetafileKind::Emf;
    return MetafileKind::None;
}

QSize metafileSize(const QByteArray& data)
{
    if (isPlaceableWmf(data)) {
        const int units = u16At(data, 14);
        const int w = int(i16At(data, 10)) - i16At(data, 6), h = int(i16At(data, 12)) - i16At(data, 8);
        if (units <= 0) return {};
        return QSize(roundHalfEven(std::abs(w) * 96.0 / units), roundHalfEven(std::abs(h) * 96.0 / units));
    }
    if (isEmf(data)) {
        // The frame, in hundredths of a millimetre.
        const qint64 w = qint64(i32At(data, 32)) - i32At(data, 24), h = qint64(i32At(data, 36)) - i32At(data, 28);
        const double pw = std::abs(double(w)) * 96.0 / 2540.0, ph = std::abs(double(h)) * 96.0 / 2540.0;
        if (pw > double(1 << 30) || ph > double(1 << 30)) return QSize(1 << 30, 1 << 30);
        return QSize(roundHalfEven(pw), roundHalfEven(ph));
    }
    return {};
}

MetafileImage renderMetafile(const QByteArray& data, qint64 maxPixels)
{
    if (data.size() > kMaxMetafileBytes) {
        MetafileImage out;
        out.error = QStringLiteral("Could not allocate memory for image");
        return out;
    }
    switch (metafileKind(data)) {
    case MetafileKind::Wmf: return renderWmf(data, maxPixels);
    case MetafileKind::Emf: return renderEmf(data, maxPixels);
    case MetafileKind::None: break;
    }
    MetafileImage out;
    out.error = QStringLiteral("Could not load image. Invalid format");
    return out;
}

} // namespace platform
