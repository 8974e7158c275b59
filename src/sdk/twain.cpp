#include "sdk/twain.h"

#include "platform/plugin.h"
#include "platform/threadcancel.h"
#include "platform/rounding.h"


#include <sane/sane.h>
#include <sane/saneopts.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace sdk {

namespace {

// The engine's record: the current source and the settings every acquisition writes to it.
PxTwainProps& engineProps()
{
    static PxTwainProps props;
    return props;
}

int resultOf(SANE_Status status)
{
    switch (status) {
    case SANE_STATUS_GOOD: return PX_SUCCESS;
    case SANE_STATUS_UNSUPPORTED: return PXERR_TWAIN_CAPABILITY;
    case SANE_STATUS_CANCELLED: return PXERR_TWAIN_CANCELLED;
    case SANE_STATUS_DEVICE_BUSY: return PXERR_TWAIN_BUSY;
    case SANE_STATUS_INVAL: return PXERR_TWAIN_BADVALUE;
    case SANE_STATUS_NO_MEM: return PXERR_TWAIN_LOWMEMORY;
    case SANE_STATUS_JAMMED:
    case SANE_STATUS_NO_DOCS:
    case SANE_STATUS_COVER_OPEN:
    case SANE_STATUS_IO_ERROR:
    case SANE_STATUS_ACCESS_DENIED: return PXERR_TWAIN_DEVICE;
    default: return PXERR_TWAIN_FAILURE;
    }
}

// SANE from start to end of one call.
class SaneSession {
public:
    SaneSession()
    {
        // A backend's reader thread is never cancelled inside malloc (see threadcancel.h).
        platform::deferLibraryThreadCancels();
        ok_ = sane_init(nullptr, nullptr) == SANE_STATUS_GOOD;
    }
    ~SaneSession()
    {
        if (!ok_) return;
        // The backends stay loaded to the end of the process, so that the leak checker can still
        // name a backend's own leaks (tests/support/lsan.supp) and a later session finds it there.
        platform::keepLoadedLibraries("/sane/libsane-");
        sane_exit();
    }
    SaneSession(const SaneSession&) = delete;
    SaneSession& operator=(const SaneSession&) = delete;
    bool ok() const { return ok_; }

    // The sources, or a failure result.
    int sources(QList<TwainSource>& out) const
    {
        out.clear();
        if (!ok_) return PXERR_TWAIN_NOMANAGER;
        const SANE_Device** list = nullptr;
        const SANE_Status status = sane_get_devices(&list, SANE_FALSE);
        if (status != SANE_STATUS_GOOD) return resultOf(status);
        for (int i = 0; list && list[i]; ++i) {
            const SANE_Device* d = list[i];
            const QString name = QString::fromLocal8Bit(d->name);
            QString description = QString::fromLocal8Bit(d->vendor) + u' ' + QString::fromLocal8Bit(d->model);
            description = description.trimmed();
            out.append({name, description.isEmpty() ? name : description + QStringLiteral(" (") + name + u')'});
        }
        return PX_SUCCESS;
    }

private:
    bool ok_ = false;
};

// An open device, closed when it goes.
class SaneDevice {
public:
    int open(const QString& name)
    {
        if (name.isEmpty()) return PXERR_TWAIN_NOSOURCE;
        const SANE_Status status = sane_open(name.toLocal8Bit().constData(), &handle_);
        if (status == SANE_STATUS_GOOD) return PX_SUCCESS;
        handle_ = nullptr;
        // A name that no longer names a device: the source is gone.
        return status == SANE_STATUS_INVAL ? PXERR_TWAIN_NOSOURCE : resultOf(status);
    }
    ~SaneDevice()
    {
        if (handle_) sane_close(handle_);
    }
    SANE_Handle handle() const { return handle_; }

    // The number of the active option of that name, or -1.
    int option(const char* name, const SANE_Option_Descriptor** descriptor = nullptr) const
    {
        SANE_Int count = 0;
        if (sane_control_option(handle_, 0, SANE_ACTION_GET_VALUE, &count, nullptr) != SANE_STATUS_GOOD) return -1;
        for (int i = 1; i < count; ++i) {
            const SANE_Option_Descriptor* d = sane_get_option_descriptor(handle_, i);
            if (d && d->name && std::strcmp(d->name, name) == 0 && SANE_OPTION_IS_ACTIVE(d->cap)) {
                if (descriptor) *descriptor = d;
                return i;
            }
        }
        return -1;
    }

    // A number option (integer or fixed point) as an integer; -1 when the device has none.
    int numberValue(const char* name) const
    {
        const SANE_Option_Descriptor* d = nullptr;
        const int n = option(name, &d);
        if (n < 0 || d->size < static_cast<SANE_Int>(sizeof(SANE_Word))) return -1;
        std::vector<SANE_Word> words(static_cast<std::size_t>(d->size) / sizeof(SANE_Word) + 1);
        if (sane_control_option(handle_, n, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD) return -1;
        if (d->type == SANE_TYPE_INT) return words[0];
        if (d->type == SANE_TYPE_FIXED) return platform::roundHalfEven(SANE_UNFIX(words[0]));
        return -1;
    }

    // Writes a number option; a device without it or one that refuses the value keeps its own
    // (what the source accepted is read back afterwards). Failures of the device itself count.
    int setNumber(const char* name, int value)
    {
        if (value < 0) return PX_SUCCESS;
        const SANE_Option_Descriptor* d = nullptr;
        const int n = option(name, &d);
        if (n < 0 || !SANE_OPTION_IS_SETTABLE(d->cap) || d->size < static_cast<SANE_Int>(sizeof(SANE_Word)))
            return PX_SUCCESS;
        std::vector<SANE_Word> words(static_cast<std::size_t>(d->size) / sizeof(SANE_Word) + 1);
        if (sane_control_option(handle_, n, SANE_ACTION_GET_VALUE, words.data(), nullptr) != SANE_STATUS_GOOD)
            return PX_SUCCESS;
        if (d->type == SANE_TYPE_INT) words[0] = value;
        else if (d->type == SANE_TYPE_FIXED) words[0] = SANE_FIX(static_cast<double>(value));
        else return PX_SUCCESS;
        return settle(sane_control_option(handle_, n, SANE_ACTION_SET_VALUE, words.data(), nullptr));
    }

    // The scan mode as a pixel type: 0 black and white, 1 grey, 2 colour, -1 unknown.
    int pixelType() const
    {
        const SANE_Option_Descriptor* d = nullptr;
        const int n = option(SANE_NAME_SCAN_MODE, &d);
        if (n < 0 || d->type != SANE_TYPE_STRING) return -1;
        QByteArray value(d->size + 1, '\0');
        if (sane_control_option(handle_, n, SANE_ACTION_GET_VALUE, value.data(), nullptr) != SANE_STATUS_GOOD) return -1;
        const QByteArray mode = QByteArray(value.constData()).toLower();
        if (mode.contains("color") || mode.contains("colour")) return 2;
        if (mode.contains("gray") || mode.contains("grey")) return 1;
        if (mode.contains("lineart") || mode.contains("binary") || mode.contains("halftone")) return 0;
        return -1;
    }

    int setPixelType(int type)
    {
        if (type < 0 || type > 2) return PX_SUCCESS;
        const SANE_Option_Descriptor* d = nullptr;
        const int n = option(SANE_NAME_SCAN_MODE, &d);
        if (n < 0 || !SANE_OPTION_IS_SETTABLE(d->cap) || d->type != SANE_TYPE_STRING ||
            d->constraint_type != SANE_CONSTRAINT_STRING_LIST)
            return PX_SUCCESS;
        static const char* const wanted[3] = {SANE_VALUE_SCAN_MODE_LINEART, SANE_VALUE_SCAN_MODE_GRAY, SANE_VALUE_SCAN_MODE_COLOR};
        for (const SANE_String_Const* s = d->constraint.string_list; s && *s; ++s) {
            if (QByteArray(*s).compare(wanted[type], Qt::CaseInsensitive) != 0) continue;
            QByteArray value(std::max<int>(d->size, static_cast<int>(std::strlen(*s)) + 1), '\0');
            std::memcpy(value.data(), *s, std::strlen(*s));
            return settle(sane_control_option(handle_, n, SANE_ACTION_SET_VALUE, value.data(), nullptr));
        }
        return PX_SUCCESS;
    }

    int maxResolution() const
    {
        const SANE_Option_Descriptor* d = nullptr;
        if (option(SANE_NAME_SCAN_RESOLUTION, &d) < 0) return -1;
        const auto toInt = [d](SANE_Word w) { return d->type == SANE_TYPE_FIXED ? platform::roundHalfEven(SANE_UNFIX(w)) : w; };
        if (d->constraint_type == SANE_CONSTRAINT_RANGE) return toInt(d->constraint.range->max);
        if (d->constraint_type == SANE_CONSTRAINT_WORD_LIST) {
            int best = -1;
            const SANE_Word* list = d->constraint.word_list;
            for (int i = 1; i <= list[0]; ++i) best = std::max(best, toInt(list[i]));
            return best;
        }
        return -1;
    }

    // Writes the numeric settings of props.
    int apply(const PxTwainProps& props)
    {
        // The mode first: it decides which of the other options are active.
        int r = setPixelType(props.PixelType);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_BIT_DEPTH, props.BitDepth);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_SCAN_RESOLUTION, props.Resolution);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_SCAN_TL_X, props.Left);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_SCAN_TL_Y, props.Top);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_SCAN_BR_X, props.Right);
        if (r == PX_SUCCESS) r = setNumber(SANE_NAME_SCAN_BR_Y, props.Bottom);
        return r;
    }

    // Reads the device's values back into props.
    void readBack(PxTwainProps& props) const
    {
        props.PixelType = pixelType();
        props.BitDepth = numberValue(SANE_NAME_BIT_DEPTH);
        props.Resolution = numberValue(SANE_NAME_SCAN_RESOLUTION);
        props.Left = numberValue(SANE_NAME_SCAN_TL_X);
        props.Top = numberValue(SANE_NAME_SCAN_TL_Y);
        props.Right = numberValue(SANE_NAME_SCAN_BR_X);
        props.Bottom = numberValue(SANE_NAME_SCAN_BR_Y);
        props.MaxResolution = maxResolution();
    }

private:
    // A value the device refuses is left to the device; anything else is the device's failure.
    static int settle(SANE_Status status)
    {
        if (status == SANE_STATUS_GOOD || status == SANE_STATUS_INVAL || status == SANE_STATUS_UNSUPPORTED) return PX_SUCCESS;
        return resultOf(status);
    }

    SANE_Handle handle_ = nullptr;
};

// The source selection the window layer installed.
TwainSourceChooser& sourceChooser()
{
    static TwainSourceChooser chooser;
    return chooser;
}

// The first source when none is current yet.
void ensureCurrentSource(const SaneSession& sane)
{
    PxTwainProps& props = engineProps();
    if (!props.SourceName.isEmpty()) return;
    QList<TwainSource> sources;
    if (sane.sources(sources) == PX_SUCCESS && !sources.isEmpty()) props.SourceName = sources.first().name;
}

// One page in raw SANE form: the bytes of every frame with their parameters.
struct RawFrame {
    SANE_Parameters params{};
    std::vector<std::uint8_t> bytes;
    int lines = 0;
};

int readFrame(SANE_Handle h, RawFrame& frame)
{
    SANE_Status status = sane_get_parameters(h, &frame.params);
    if (status != SANE_STATUS_GOOD) return resultOf(status);
    const SANE_Parameters& p = frame.params;
    if (p.bytes_per_line <= 0 || p.pixels_per_line <= 0 || (p.depth != 1 && p.depth != 8 && p.depth != 16))
        return PXERR_BADSIZE;
    const int channels = p.format == SANE_FRAME_RGB ? 3 : 1;
    if (static_cast<std::int64_t>(p.pixels_per_line) * channels * p.depth > static_cast<std::int64_t>(p.bytes_per_line) * 8)
        return PXERR_BADSIZE;
    // The height may be unknown (-1, a hand scanner): the size is checked as the data comes.
    const std::int64_t knownLines = p.lines;
    if (knownLines > 0 && !sizeAllowed(p.pixels_per_line, knownLines, 24)) return PXERR_NOMEMORY;
    const std::int64_t maxLines = maxPixels / p.pixels_per_line;
    if (knownLines > 0) frame.bytes.reserve(static_cast<std::size_t>(knownLines * p.bytes_per_line));
    std::vector<SANE_Byte> buffer(64 * 1024);
    for (;;) {
        SANE_Int length = 0;
        status = sane_read(h, buffer.data(), static_cast<SANE_Int>(buffer.size()), &length);
        if (status == SANE_STATUS_EOF) break;
        if (status != SANE_STATUS_GOOD) return resultOf(status);
        if (length <= 0) continue;
        frame.bytes.insert(frame.bytes.end(), buffer.begin(), buffer.begin() + length);
        if (static_cast<std::int64_t>(frame.bytes.size()) / p.bytes_per_line > maxLines) return PXERR_NOMEMORY;
    }
    frame.lines = static_cast<int>(static_cast<std::int64_t>(frame.bytes.size()) / p.bytes_per_line);
    if (knownLines > 0) frame.lines = std::min<int>(frame.lines, static_cast<int>(knownLines));
    return frame.lines > 0 ? PX_SUCCESS : PXERR_EMPTY;
}

// Sample x of one row of a frame as a byte (channel c of an interleaved frame).
std::uint8_t sampleAt(const RawFrame& f, int y, int x, int channels, int c)
{
    const std::uint8_t* row = f.bytes.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(f.params.bytes_per_line);
    const int index = x * channels + c;
    switch (f.params.depth) {
    case 1: return (row[index / 8] & (0x80 >> (index % 8))) ? 0 : 255; // a set bit is black
    case 16: {
        std::uint16_t v;
        std::memcpy(&v, row + index * 2, 2); // the machine's byte order
        return static_cast<std::uint8_t>(v >> 8);
    }
    default: return row[index];
    }
}

// The frames of one page as a bitmap: 24 bits, or 8-bit grey for a grey page unless trueColor.
int pageToBitmap(const std::vector<RawFrame>& frames, bool trueColor, SdkBitmapHandle& out)
{
    const RawFrame& first = frames.front();
    const int width = first.params.pixels_per_line;
    int height = first.lines;
    for (const RawFrame& f : frames) {
        if (f.params.pixels_per_line != width) return PXERR_BADSIZE;
        height = std::min(height, f.lines);
    }
    const bool grey = frames.size() == 1 && first.params.format == SANE_FRAME_GRAY;
    const int bits = grey && !trueColor ? 8 : 24;
    SdkBitmapHandle bitmap;
    int r = PX_InitBitmap(&bitmap, width, height, bits);
    if (r != PX_SUCCESS) return r;
    // Where each of red, green and blue comes from: frame and channel.
    const RawFrame* source[3] = {&first, &first, &first};
    int channel[3] = {0, 0, 0};
    int channels = 1;
    if (first.params.format == SANE_FRAME_RGB) {
        channels = 3;
        channel[1] = 1;
        channel[2] = 2;
    } else if (!grey) {
        for (const RawFrame& f : frames) {
            if (f.params.format == SANE_FRAME_RED) source[0] = &f;
            else if (f.params.format == SANE_FRAME_GREEN) source[1] = &f;
            else if (f.params.format == SANE_FRAME_BLUE) source[2] = &f;
        }
    }
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bitmap.row(y);
        for (int x = 0; x < width; ++x) {
            if (bits == 8) {
                row[x] = sampleAt(first, y, x, 1, 0);
                continue;
            }
            row[x * 3 + 0] = sampleAt(*source[2], y, x, channels, channel[2]);
            row[x * 3 + 1] = sampleAt(*source[1], y, x, channels, channel[1]);
            row[x * 3 + 2] = sampleAt(*source[0], y, x, channels, channel[0]);
        }
    }
    out = std::move(bitmap);
    return PX_SUCCESS;
}

} // namespace

void SetTwainSourceChooser(TwainSourceChooser chooser) { sourceChooser() = std::move(chooser); }

QList<TwainSource> TwainSources(int* result)
{
    SaneSession sane;
    QList<TwainSource> sources;
    const int r = sane.sources(sources);
    if (result) *result = r;
    return sources;
}

int PX_IsTwainAvailable(QWidget*)
{
    SaneSession sane;
    QList<TwainSource> sources;
    const int r = sane.sources(sources);
    if (r != PX_SUCCESS) return r == PXERR_TWAIN_NOMANAGER ? r : PXERR_TWAIN_NOSOURCE;
    return sources.isEmpty() ? int(PXERR_TWAIN_NOSOURCE) : int(PX_SUCCESS);
}

int PX_TwainSelect(QWidget* window)
{
    QList<TwainSource> sources;
    {
        SaneSession sane;
        const int r = sane.sources(sources);
        if (r != PX_SUCCESS) return r;
        ensureCurrentSource(sane);
    }
    if (sources.isEmpty()) return PXERR_TWAIN_NOSOURCE;
    // Without a window layer there is nothing to choose with.
    if (!sourceChooser()) return PXERR_TWAIN_FAILURE;
    const QString chosen = sourceChooser()(window, sources, engineProps().SourceName);
    if (chosen.isEmpty()) return PXERR_TWAIN_CANCELLED;
    engineProps().SourceName = chosen;
    return PX_SUCCESS;
}

int PX_TwainGetProps(PxTwainProps* props)
{
    if (!props) return PXERR_BADPARAM;
    {
        SaneSession sane;
        if (sane.ok()) ensureCurrentSource(sane);
    }
    *props = engineProps();
    return PX_SUCCESS;
}

int PX_TwainSetProps(QWidget*, PxTwainProps* props, int flags)
{
    if (!props) return PXERR_BADPARAM;
    PxTwainProps taken = engineProps();
    if (flags & twpIdentity) {
        taken.Manufacturer = props->Manufacturer.left(TwainNameLength);
        taken.ProductFamily = props->ProductFamily.left(TwainNameLength);
        taken.ProductName = props->ProductName.left(TwainNameLength);
        // No name keeps the current source.
        if (!props->SourceName.isEmpty()) taken.SourceName = props->SourceName.left(TwainNameLength);
    }
    if (flags & twpSettings) {
        SaneSession sane;
        if (!sane.ok()) return PXERR_TWAIN_NOMANAGER;
        if (taken.SourceName.isEmpty()) {
            QList<TwainSource> sources;
            if (sane.sources(sources) == PX_SUCCESS && !sources.isEmpty()) taken.SourceName = sources.first().name;
        }
        SaneDevice device;
        int r = device.open(taken.SourceName);
        if (r != PX_SUCCESS) return r;
        PxTwainProps wanted = *props;
        r = device.apply(wanted);
        if (r != PX_SUCCESS) return r;
        device.readBack(taken);
    }
    engineProps() = taken;
    *props = taken;
    return PX_SUCCESS;
}

int PX_TwainAcquireExt(QWidget*, SdkBitmapHandle* bitmap, int flags, const PxTwainPageCallback& pageCallback, void* userData)
{
    if (!bitmap) return PXERR_BADPARAM;
    PX_FreeBitmap(bitmap);
    SaneSession sane;
    if (!sane.ok()) return PXERR_TWAIN_NOMANAGER;
    ensureCurrentSource(sane);
    SaneDevice device;
    int r = device.open(engineProps().SourceName);
    if (r != PX_SUCCESS) return r;
    r = device.apply(engineProps());
    if (r != PX_SUCCESS) return r;

    std::vector<RawFrame> frames;
    SANE_Status status = sane_start(device.handle());
    while (r == PX_SUCCESS) {
        if (status != SANE_STATUS_GOOD) {
            r = resultOf(status);
            break;
        }
        frames.emplace_back();
        r = readFrame(device.handle(), frames.back());
        if (r != PX_SUCCESS || frames.back().params.last_frame) break;
        // A three-pass scanner: the next colour comes with the next start.
        if (frames.size() >= 3) {
            r = PXERR_BADFORMAT;
            break;
        }
        status = sane_start(device.handle());
    }
    sane_cancel(device.handle());
    if (r != PX_SUCCESS) return r;

    SdkBitmapHandle page;
    r = pageToBitmap(frames, (flags & twaTrueColor) != 0, page);
    if (r != PX_SUCCESS) return r;
    const int resolution = engineProps().Resolution > 0 ? engineProps().Resolution : device.numberValue(SANE_NAME_SCAN_RESOLUTION);
    if (resolution > 0) page.XResolution = page.YResolution = resolution;
    *bitmap = std::move(page);
    if (pageCallback) pageCallback(userData);
    return PX_SUCCESS;
}

} // namespace sdk
