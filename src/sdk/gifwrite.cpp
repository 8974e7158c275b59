#include "sdk/gifwrite.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

namespace sdk::detail {

namespace {

// 0x00RRGGBB of pixel x of a row; grey for 8 bits.
std::uint32_t rgbOf(const std::uint8_t* row, int x, int bpp)
{
    if (bpp == 1) {
        const std::uint32_t g = row[x];
        return (g << 16) | (g << 8) | g;
    }
    const std::uint8_t* p = row + static_cast<std::size_t>(x) * bpp;
    return (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[1]) << 8) | p[0];
}

std::uint32_t rgbOfColorRef(std::int32_t color)
{
    const auto c = static_cast<std::uint32_t>(color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Which pixels of a frame are transparent.
struct Transparency {
    bool keyed = false;       // bfTransparent: pixels of the key colour
    std::uint32_t key = 0;    // 0x00RRGGBB
    bool alpha = false;       // 32 bits: pixels below half alpha

    bool at(const std::uint8_t* row, int x, int bpp) const
    {
        if (alpha) return row[static_cast<std::size_t>(x) * 4 + 3] < 128;
        return keyed && rgbOf(row, x, bpp) == key;
    }
};

Transparency transparencyOf(const SdkBitmapHandle& frame)
{
    Transparency t;
    if (frame.BitsPerPixel == 32) t.alpha = true;
    else if (frame.Flags & bfTransparent) {
        t.keyed = true;
        t.key = rgbOfColorRef(frame.TransparentColor);
    }
    return t;
}

// A box of the median cut over 5-bit-per-channel colour cells.
struct Box {
    std::size_t first = 0, count = 0; // cells [first, first + count) of the cell list
    std::uint64_t pixels = 0;
};

struct Cell {
    std::uint32_t key = 0;            // 15-bit cell number
    std::uint64_t pixels = 0;
    std::uint64_t sum[3] = {0, 0, 0}; // red, green, blue sums
};

int channelOf(const Cell& c, int ch) { return (c.key >> (10 - 5 * ch)) & 31; }

// The palette for a frame with more colours than fit: cells cut at their weighted medians,
// the widest box first. cellIndex receives the palette entry of every cell.
std::vector<std::uint32_t> medianCut(std::vector<Cell>& cells, int colours, std::vector<std::uint8_t>& cellIndex)
{
    std::vector<Box> boxes;
    Box all;
    all.count = cells.size();
    for (const Cell& c : cells) all.pixels += c.pixels;
    boxes.push_back(all);
    auto widest = [&](const Box& b, int* channel) {
        int best = -1;
        for (int ch = 0; ch < 3; ++ch) {
            int lo = 31, hi = 0;
            for (std::size_t i = b.first; i < b.first + b.count; ++i) {
                lo = std::min(lo, channelOf(cells[i], ch));
                hi = std::max(hi, channelOf(cells[i], ch));
            }
            if (hi - lo > best) {
                best = hi - lo;
                *channel = ch;
            }
        }
        return best;
    };
    while (static_cast<int>(boxes.size()) < colours) {
        int pick = -1, pickChannel = 0;
        double pickScore = 0;
        for (std::size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].count < 2) continue;
            int channel = 0;
            const int range = widest(boxes[i], &channel);
            const double score = static_cast<double>(range) * static_cast<double>(boxes[i].pixels);
            if (range > 0 && score > pickScore) {
                pickScore = score;
                pick = static_cast<int>(i);
                pickChannel = channel;
            }
        }
        if (pick < 0) break;
        Box& b = boxes[static_cast<std::size_t>(pick)];
        const auto begin = cells.begin() + static_cast<std::ptrdiff_t>(b.first);
        const auto end = begin + static_cast<std::ptrdiff_t>(b.count);
        std::sort(begin, end, [&](const Cell& a, const Cell& c) { return channelOf(a, pickChannel) < channelOf(c, pickChannel); });
        std::uint64_t half = 0;
        std::size_t split = 1;
        for (std::size_t i = 0; i + 1 < b.count; ++i) {
            half += cells[b.first + i].pixels;
            split = i + 1;
            if (half * 2 >= b.pixels) break;
        }
        Box second;
        second.first = b.first + split;
        second.count = b.count - split;
        b.count = split;
        b.pixels = 0;
        for (std::size_t i = b.first; i < b.first + b.count; ++i) b.pixels += cells[i].pixels;
        for (std::size_t i = second.first; i < second.first + second.count; ++i) second.pixels += cells[i].pixels;
        boxes.push_back(second);
    }
    std::vector<std::uint32_t> palette;
    cellIndex.assign(32768, 0);
    for (const Box& b : boxes) {
        std::uint64_t sum[3] = {0, 0, 0};
        for (std::size_t i = b.first; i < b.first + b.count; ++i)
            for (int ch = 0; ch < 3; ++ch) sum[ch] += cells[i].sum[ch];
        const std::uint64_t n = std::max<std::uint64_t>(1, b.pixels);
        palette.push_back((std::uint32_t(sum[0] / n) << 16) | (std::uint32_t(sum[1] / n) << 8) | std::uint32_t(sum[2] / n));
    }
    // Each cell takes the palette colour nearest to its own mean, which need not be its box's.
    for (const Cell& c : cells) {
        const std::uint64_t n = std::max<std::uint64_t>(1, c.pixels);
        const int r = static_cast<int>(c.sum[0] / n), g = static_cast<int>(c.sum[1] / n), b = static_cast<int>(c.sum[2] / n);
        int best = 0, bestDistance = 1 << 30;
        for (std::size_t i = 0; i < palette.size(); ++i) {
            const int dr = r - static_cast<int>((palette[i] >> 16) & 0xFF);
            const int dg = g - static_cast<int>((palette[i] >> 8) & 0xFF);
            const int db = b - static_cast<int>(palette[i] & 0xFF);
            const int d = dr * dr + dg * dg + db * db;
            if (d < bestDistance) {
                bestDistance = d;
                best = static_cast<int>(i);
            }
        }
        cellIndex[c.key] = static_cast<std::uint8_t>(best);
    }
    return palette;
}

int cellOf(std::uint32_t rgb) { return static_cast<int>(((rgb >> 9) & 0x7C00) | ((rgb >> 6) & 0x3E0) | ((rgb >> 3) & 0x1F)); }

// One frame as palette indexes.
struct Indexed {
    std::vector<std::uint32_t> palette; // 0x00RRGGBB
    int transparentIndex = -1;
    std::vector<GifPixelType> pixels;   // Width x Height
};

// Calls visit(0x00RRGGBB) for each opaque pixel of the frame, row by row, until it returns false;
// true when the frame has a transparent pixel among those seen.
template <typename Visit>
bool forEachOpaquePixel(const SdkBitmapHandle& frame, const Transparency& t, Visit visit)
{
    const int bpp = frame.bytesPerPixel();
    bool anyTransparent = false;
    for (int y = 0; y < frame.Height; ++y) {
        const std::uint8_t* row = frame.row(y);
        for (int x = 0; x < frame.Width; ++x) {
            if (t.at(row, x, bpp)) anyTransparent = true;
            else if (!visit(rgbOf(row, x, bpp))) return anyTransparent;
        }
    }
    return anyTransparent;
}

Indexed indexFrame(const SdkBitmapHandle& frame)
{
    Indexed out;
    const int bpp = frame.bytesPerPixel();
    const Transparency t = transparencyOf(frame);
    // The exact colours while they fit.
    std::unordered_map<std::uint32_t, std::uint8_t> exact;
    bool fits = true;
    bool anyTransparent = forEachOpaquePixel(frame, t, [&](std::uint32_t c) {
        if (exact.count(c)) return true;
        if (exact.size() >= 256) return fits = false;
        exact.emplace(c, static_cast<std::uint8_t>(exact.size()));
        return true;
    });
    if (fits && anyTransparent && exact.size() >= 256) fits = false;
    std::vector<std::uint8_t> cellIndex;
    if (fits) {
        out.palette.resize(exact.size());
        for (const auto& [colour, index] : exact) out.palette[index] = colour;
    } else {
        std::vector<Cell> byKey(32768);
        anyTransparent = forEachOpaquePixel(frame, t, [&](std::uint32_t c) {
            Cell& cell = byKey[static_cast<std::size_t>(cellOf(c))];
            ++cell.pixels;
            cell.sum[0] += (c >> 16) & 0xFF;
            cell.sum[1] += (c >> 8) & 0xFF;
            cell.sum[2] += c & 0xFF;
            return true;
        });
        std::vector<Cell> cells;
        for (std::uint32_t k = 0; k < byKey.size(); ++k)
            if (byKey[k].pixels) {
                byKey[k].key = k;
                cells.push_back(byKey[k]);
            }
        out.palette = medianCut(cells, anyTransparent ? 255 : 256, cellIndex);
    }
    if (anyTransparent) {
        out.transparentIndex = static_cast<int>(out.palette.size());
        out.palette.push_back(0);
    }
    if (out.palette.empty()) out.palette.push_back(0);
    out.pixels.resize(static_cast<std::size_t>(frame.Width) * static_cast<std::size_t>(frame.Height));
    std::size_t at = 0;
    for (int y = 0; y < frame.Height; ++y) {
        const std::uint8_t* row = frame.row(y);
        for (int x = 0; x < frame.Width; ++x, ++at) {
            if (t.at(row, x, bpp)) {
                out.pixels[at] = static_cast<GifPixelType>(out.transparentIndex);
                continue;
            }
            const std::uint32_t c = rgbOf(row, x, bpp);
            out.pixels[at] = fits ? exact[c] : cellIndex[static_cast<std::size_t>(cellOf(c))];
        }
    }
    return out;
}

int writeToDevice(GifFileType* gif, const GifByteType* data, int length)
{
    auto* out = static_cast<QIODevice*>(gif->UserData);
    return out->write(reinterpret_cast<const char*>(data), length) == length ? length : 0;
}

struct GifCloser {
    GifFileType* gif = nullptr;
    ~GifCloser()
    {
        int error = 0;
        if (gif) EGifCloseFile(gif, &error);
    }
    // Writes the trailer; false when that fails.
    bool close()
    {
        int error = 0;
        const int r = EGifCloseFile(gif, &error);
        gif = nullptr;
        return r == GIF_OK;
    }
};

} // namespace

int gifEncode(QIODevice* out, const std::vector<const SdkBitmapHandle*>& frames, int loopCount)
{
    if (!out || frames.empty()) return PXERR_BADPARAM;
    int width = 0, height = 0;
    std::int64_t rows = 0;
    bool anyTransparent = false;
    for (const SdkBitmapHandle* f : frames) {
        if (!f || !f->allocated()) return PXERR_BADBITMAP;
        const int bpp = f->bytesPerPixel();
        if (bpp != 1 && bpp != 3 && bpp != 4) return PXERR_BADBITS;
        if (f->Width > 65535 || f->Height > 65535) return PXERR_BADSIZE;
        width = std::max(width, f->Width);
        height = std::max(height, f->Height);
        rows += f->Height;
        if (f->BitsPerPixel == 32 || (f->Flags & bfTransparent)) anyTransparent = true;
    }
    int error = 0;
    GifCloser closer{EGifOpen(out, &writeToDevice, &error)};
    if (!closer.gif) return PXERR_WRITE;
    GifFileType* gif = closer.gif;
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, width, height, 8, 0, nullptr) != GIF_OK) return PXERR_WRITE;
    if (loopCount >= 0 && frames.size() > 1) {
        // The count field holds 16 bits: a larger count plays as often as the field allows,
        // never a wrapped-around few times.
        const int stored = std::min(loopCount, 65535);
        const GifByteType loop[3] = {1, static_cast<GifByteType>(stored & 0xFF),
                                     static_cast<GifByteType>((stored >> 8) & 0xFF)};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0") != GIF_OK || EGifPutExtensionBlock(gif, 3, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif) != GIF_OK)
            return PXERR_WRITE;
    }
    StatusReporter status(rows);
    std::int64_t done = 0;
    for (const SdkBitmapHandle* f : frames) {
        Indexed frame = indexFrame(*f);
        // Every frame covers the whole picture; with transparent pixels each is cleared away
        // before the next, so that what lies under them is the background, not the last frame.
        const int delay = std::clamp((f->Delay + 5) / 10, 0, 65535);
        const GifByteType control[4] = {
            static_cast<GifByteType>(((anyTransparent ? DISPOSE_BACKGROUND : DISPOSE_DO_NOT) << 2) |
                                     (frame.transparentIndex >= 0 ? 1 : 0)),
            static_cast<GifByteType>(delay & 0xFF), static_cast<GifByteType>(delay >> 8),
            static_cast<GifByteType>(std::max(0, frame.transparentIndex))};
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control) != GIF_OK) return PXERR_WRITE;
        int size = 2;
        while (size < static_cast<int>(frame.palette.size())) size *= 2;
        std::vector<GifColorType> colours(static_cast<std::size_t>(size));
        for (std::size_t i = 0; i < frame.palette.size(); ++i) {
            colours[i].Red = static_cast<GifByteType>(frame.palette[i] >> 16);
            colours[i].Green = static_cast<GifByteType>(frame.palette[i] >> 8);
            colours[i].Blue = static_cast<GifByteType>(frame.palette[i]);
        }
        ColorMapObject* map = GifMakeMapObject(size, colours.data());
        if (!map) return PXERR_NOMEMORY;
        const int put = EGifPutImageDesc(gif, 0, 0, f->Width, f->Height, false, map);
        GifFreeMapObject(map);
        if (put != GIF_OK) return PXERR_WRITE;
        for (int y = 0; y < f->Height; ++y) {
            GifPixelType* line = frame.pixels.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(f->Width);
            if (EGifPutLine(gif, line, f->Width) != GIF_OK) return PXERR_WRITE;
            if (!status.update(++done)) return PXERR_ABORTED;
        }
    }
    return closer.close() ? PX_SUCCESS : PXERR_WRITE;
}

} // namespace sdk::detail
