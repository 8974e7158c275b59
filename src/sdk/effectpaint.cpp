#include "sdk/effectpaint.h"

#include "platform/colors.h"
#include "sdk/drawing.h"
#include "sdk/errors.h"

#include <QElapsedTimer>
#include <QPainter>
#include <QThread>
#include <algorithm>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <vector>

namespace sdk {

namespace {

struct CodeRange {
    int low, high;
};
constexpr CodeRange effectRanges[] = {
    {1000, 1001},   {2000, 2554},   {3000, 3005},   {4000, 4029},   {5000, 5263},   {6000, 6525},
    {7000, 7263},   {8000, 8259},   {9000, 9001},   {10000, 10003}, {11000, 11006}, {12000, 12009},
    {13000, 13007}, {14000, 14007}, {15000, 15035}, {16000, 16035},
};

// The kinds the later ranges cycle through.
constexpr PxEffectKind cycle[] = {PxEffectKind::Wipe,   PxEffectKind::Blinds,  PxEffectKind::Dissolve,
                                  PxEffectKind::BarnDoors, PxEffectKind::BoxIris, PxEffectKind::Circle,
                                  PxEffectKind::Checker, PxEffectKind::Fade,    PxEffectKind::Push};

std::int64_t isqrt(std::int64_t n)
{
    if (n <= 0) return 0;
    std::int64_t r = 0;
    std::int64_t bit = std::int64_t{1} << 62;
    while (bit > n) bit >>= 2;
    while (bit != 0) {
        if (n >= r + bit) {
            n -= r + bit;
            r = (r >> 1) + bit;
        } else {
            r >>= 1;
        }
        bit >>= 2;
    }
    return r;
}

std::uint32_t mix(std::uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

// The percent (1..100) at which a pixel of a monotone reveal turns to the target.
std::vector<std::uint8_t> thresholds(const PxEffectShape& shape, int w, int h, int grain)
{
    std::vector<std::uint8_t> t(static_cast<std::size_t>(w) * h, 100);
    const std::int64_t W = w, H = h;
    const int g = std::max(1, grain);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::int64_t v = 100; // 1..100
            switch (shape.kind) {
            case PxEffectKind::Wipe:
                switch (shape.variant % 8) {
                case 0: v = 1 + x * 100 / W; break;
                case 1: v = 1 + (W - 1 - x) * 100 / W; break;
                case 2: v = 1 + y * 100 / H; break;
                case 3: v = 1 + (H - 1 - y) * 100 / H; break;
                case 4: v = 1 + (x * H + y * W) * 100 / (2 * W * H); break;
                case 5: v = 1 + ((W - 1 - x) * H + y * W) * 100 / (2 * W * H); break;
                case 6: v = 1 + (x * H + (H - 1 - y) * W) * 100 / (2 * W * H); break;
                default: v = 1 + ((W - 1 - x) * H + (H - 1 - y) * W) * 100 / (2 * W * H); break;
                }
                break;
            case PxEffectKind::Blinds: {
                const bool vertical = shape.variant % 2 == 1;
                const std::int64_t length = vertical ? W : H;
                const std::int64_t slat = std::max<std::int64_t>(2, std::min<std::int64_t>(length, g * 4));
                v = 1 + ((vertical ? x : y) % slat) * 100 / slat;
                break;
            }
            case PxEffectKind::Dissolve:
                v = 1 + mix(static_cast<std::uint32_t>(x / g) * 73856093U ^ static_cast<std::uint32_t>(y / g) * 19349663U ^
                            static_cast<std::uint32_t>(shape.variant) * 83492791U) % 100;
                break;
            case PxEffectKind::BarnDoors: {
                const bool vertical = shape.variant % 2 == 0;
                const bool inward = (shape.variant / 2) % 2 == 1;
                const std::int64_t length = vertical ? W : H;
                const std::int64_t d = std::llabs(2 * (vertical ? x : y) + 1 - length);
                v = 1 + (inward ? length - d : d) * 100 / (length + 1);
                break;
            }
            case PxEffectKind::BoxIris: {
                const std::int64_t d = std::max(std::llabs(2 * x + 1 - W) * H, std::llabs(2 * y + 1 - H) * W);
                v = 1 + (shape.variant % 2 == 1 ? W * H - d : d) * 100 / (W * H + 1);
                break;
            }
            case PxEffectKind::Circle: {
                const std::int64_t dx = 2 * x + 1 - W, dy = 2 * y + 1 - H;
                const std::int64_t d = isqrt(dx * dx + dy * dy);
                const std::int64_t full = isqrt(W * W + H * H) + 1;
                v = 1 + (shape.variant % 2 == 1 ? full - 1 - d : d) * 100 / full;
                break;
            }
            case PxEffectKind::Checker: {
                const int cell = std::max(4, g * 4);
                const int odd = ((x / cell) + (y / cell)) & 1;
                v = 1 + (x % cell) * 50 / cell + odd * 50;
                break;
            }
            default: break;
            }
            t[static_cast<std::size_t>(y) * w + x] = static_cast<std::uint8_t>(std::clamp<std::int64_t>(v, 1, 100));
        }
    }
    return t;
}

using ThresholdMap = std::shared_ptr<const std::vector<std::uint8_t>>;

// The kinds that reveal by a map of thresholds.
bool revealsByMap(PxEffectKind kind)
{
    return kind != PxEffectKind::Fade && kind != PxEffectKind::Push && kind != PxEffectKind::None;
}

// The thresholds of the shapes last asked for: every step of a transition paints with the same
// map, and working one out costs a pass over every pixel with divisions. A few are kept, so that
// the map of the next transition can be worked out ahead while one runs.
ThresholdMap sharedThresholds(const PxEffectShape& shape, int w, int h, int grain)
{
    struct Key {
        PxEffectKind kind;
        int variant, w, h, grain;
        bool operator==(const Key&) const = default;
    };
    struct Kept {
        Key key;
        ThresholdMap map;
    };
    constexpr std::size_t KeptMaps = 3;
    static std::mutex mutex;
    static std::vector<Kept> kept; // the one asked for last at the back
    const Key wanted{shape.kind, shape.variant, w, h, grain};
    auto find = [&wanted]() -> ThresholdMap {
        const auto it = std::find_if(kept.begin(), kept.end(), [&wanted](const Kept& k) { return k.key == wanted; });
        if (it == kept.end()) return nullptr;
        std::rotate(it, it + 1, kept.end());
        return kept.back().map;
    };
    {
        const std::lock_guard lock(mutex);
        if (ThresholdMap map = find()) return map;
    }
    ThresholdMap made = std::make_shared<const std::vector<std::uint8_t>>(thresholds(shape, w, h, grain));
    const std::lock_guard lock(mutex);
    if (ThresholdMap map = find()) return map; // worked out meanwhile on another thread
    if (kept.size() == KeptMaps) kept.erase(kept.begin());
    kept.push_back({wanted, made});
    return made;
}

void waitMs(int ms)
{
    if (ms <= 0) return;
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QThread::msleep(1);
}

class Painter {
public:
    Painter(QImage* frame, const QImage& target, const QRect& rect, const PxEffectParams& params)
        : frame_(*frame), target_(target), rect_(rect), params_(params), shape_(effectShape(params.effect)),
          key_(platform::colorToQColor(params.transparentColor).rgb() | 0xFF000000u),
          wand_(platform::colorToQColor(params.wandColor).rgb() | 0xFF000000u)
    {
        if (revealsByMap(shape_.kind)) thr_ = sharedThresholds(shape_, rect_.width(), rect_.height(), params_.grain);
    }

    // Draws the frame as it stands at percent, coming from percent `from`.
    void step(int from, int percent)
    {
        const int w = rect_.width(), h = rect_.height();
        const std::uint8_t* thr = thr_ ? thr_->data() : nullptr;
        for (int y = 0; y < h; ++y) {
            auto* out = reinterpret_cast<QRgb*>(frame_.scanLine(rect_.top() + y)) + rect_.left();
            const auto* in = reinterpret_cast<const QRgb*>(target_.constScanLine(rect_.top() + y)) + rect_.left();
            for (int x = 0; x < w; ++x) {
                QRgb source;
                switch (shape_.kind) {
                case PxEffectKind::None: source = in[x]; break;
                case PxEffectKind::Fade: {
                    // The rest of the way from what is shown, so the last percent lands exactly.
                    const QRgb c = out[x], d = in[x];
                    if (opaque(d) == false) continue;
                    const int n = percent - from, m = 100 - from;
                    auto blend = [&](int a, int b) { return a + (b - a) * n / m; };
                    source = qRgb(blend(qRed(c), qRed(d)), blend(qGreen(c), qGreen(d)), blend(qBlue(c), qBlue(d)));
                    out[x] = source;
                    continue;
                }
                case PxEffectKind::Push: {
                    const bool ok = pushSource(x, y, percent, source);
                    if (!ok) continue;
                    break;
                }
                default: {
                    const int t = thr[static_cast<std::size_t>(y) * w + x];
                    if (t <= from || t > percent) continue;
                    source = in[x];
                    break;
                }
                }
                if (opaque(source)) out[x] = source;
            }
        }
        if (percent < 100) drawWand(percent);
    }

private:
    bool opaque(QRgb c) const { return !params_.transparency || (c | 0xFF000000u) != key_; }

    // The target slides in from one side, pushing nothing: the part in view is the leading part.
    bool pushSource(int x, int y, int percent, QRgb& source) const
    {
        const int w = rect_.width(), h = rect_.height();
        const int sx = w * percent / 100, sy = h * percent / 100;
        int tx = x, ty = y;
        switch (shape_.variant % 4) {
        case 0: if (x >= sx) return false; tx = x + w - sx; break;
        case 1: if (x < w - sx) return false; tx = x - (w - sx); break;
        case 2: if (y >= sy) return false; ty = y + h - sy; break;
        default: if (y < h - sy) return false; ty = y - (h - sy); break;
        }
        source = reinterpret_cast<const QRgb*>(target_.constScanLine(rect_.top() + ty))[rect_.left() + tx];
        return true;
    }

    // The wand: a band of wandSize pixels just ahead of a straight wipe's edge.
    void drawWand(int percent)
    {
        if (shape_.kind != PxEffectKind::Wipe || shape_.variant % 8 > 3 || params_.wandSize <= 0) return;
        const int dir = shape_.variant % 8;
        const int length = dir < 2 ? rect_.width() : rect_.height();
        const int first = (percent * length + 99) / 100;
        const int last = std::min(length, first + params_.wandSize);
        for (int c = first; c < last; ++c) {
            const int pos = (dir == 0 || dir == 2) ? c : length - 1 - c;
            if (dir < 2) {
                for (int y = 0; y < rect_.height(); ++y)
                    reinterpret_cast<QRgb*>(frame_.scanLine(rect_.top() + y))[rect_.left() + pos] = wand_;
            } else {
                auto* line = reinterpret_cast<QRgb*>(frame_.scanLine(rect_.top() + pos)) + rect_.left();
                std::fill(line, line + rect_.width(), wand_);
            }
        }
    }

    QImage& frame_;
    const QImage& target_;
    QRect rect_;
    PxEffectParams params_;
    PxEffectShape shape_;
    QRgb key_, wand_;
    ThresholdMap thr_;
};

bool usable(const QImage* frame, const QImage& target)
{
    auto ok = [](QImage::Format f) {
        return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 || f == QImage::Format_ARGB32_Premultiplied;
    };
    return frame && !frame->isNull() && frame->size() == target.size() && ok(frame->format()) && ok(target.format());
}

} // namespace

bool isEffectCode(int code)
{
    for (const CodeRange& r : effectRanges)
        if (code >= r.low && code <= r.high) return true;
    return false;
}

PxEffectShape effectShape(int code)
{
    int index = 0;
    for (const CodeRange& r : effectRanges) {
        if (code >= r.low && code <= r.high) {
            const int offset = code - r.low;
            switch (index) {
            case 0: return {offset == 0 ? PxEffectKind::None : PxEffectKind::Fade, 0};
            case 1: return {PxEffectKind::Wipe, offset};
            case 2: return {PxEffectKind::BoxIris, offset};
            case 3: return {PxEffectKind::Blinds, offset};
            case 4: return {PxEffectKind::Dissolve, offset};
            case 5: return {PxEffectKind::BarnDoors, offset};
            case 6: return {PxEffectKind::Circle, offset};
            case 7: return {PxEffectKind::Checker, offset};
            case 8: return {PxEffectKind::Fade, offset};
            case 9: return {PxEffectKind::Push, offset};
            default: {
                constexpr int kinds = static_cast<int>(std::size(cycle));
                return {cycle[(index + offset) % kinds], offset / kinds};
            }
            }
        }
        ++index;
    }
    return {};
}

void prepareEffect(QSize size, const PxEffectParams& params)
{
    const PxEffectShape shape = effectShape(params.effect);
    if (revealsByMap(shape.kind) && !size.isEmpty()) sharedThresholds(shape, size.width(), size.height(), params.grain);
}

int PX_EfxPaintBitmap(QImage* frame, const QImage& target, const QRect& rect, const PxEffectParams& params,
                      unsigned pass, unsigned passes)
{
    if (!usable(frame, target) || !isEffectCode(params.effect) || passes < 1 || pass < 1 || pass > passes)
        return PXERR_BADPARAM;
    const QRect r = rect.normalized() & frame->rect();
    if (r.isEmpty()) return PX_SUCCESS;
    Painter painter(frame, target, r, params);
    if (params.effect == 1000) {
        painter.step(0, 100);
        return PX_SUCCESS;
    }
    const int first = static_cast<int>((pass - 1) * 100 / passes);
    const int last = static_cast<int>(pass * 100 / passes);
    StatusReporter status(100);
    int shown = first;
    for (int percent = first + 1; percent <= last; ++percent) {
        painter.step(shown, percent);
        shown = percent;
        if (!status.update(percent)) return PXERR_ABORTED;
        if (percent < 100) waitMs(params.delay);
    }
    return PX_SUCCESS;
}

int PX_EfxPaintTransition(QImage* frame, bool gradient, int style, std::int32_t color1, std::int32_t color2,
                          int steps, const QRect& rect, const PxEffectParams& params, unsigned pass, unsigned passes)
{
    if (!frame || frame->isNull()) return PXERR_BADPARAM;
    if (gradient ? !isGradientCode(style) : (style < 0 || style > 7)) return PXERR_BADPARAM;
    const QRect r = rect.normalized() & frame->rect();
    QImage background = frame->convertToFormat(QImage::Format_RGB32);
    if (!r.isEmpty()) {
        QPainter p(&background);
        if (gradient) {
            const int result = PX_EfxGradientFillRect(&p, r, style, color1, color2, steps);
            if (result != PX_SUCCESS) return result;
        } else if (style != 1) {
            static constexpr Qt::BrushStyle hatches[] = {Qt::SolidPattern,   Qt::NoBrush,        Qt::HorPattern,
                                                         Qt::VerPattern,     Qt::FDiagPattern,   Qt::BDiagPattern,
                                                         Qt::CrossPattern,   Qt::DiagCrossPattern};
            if (style != 0) p.fillRect(r, platform::colorToQColor(color1));
            p.fillRect(r, QBrush(platform::colorToQColor(style == 0 ? color1 : color2), hatches[style]));
        }
    }
    if (frame->format() != QImage::Format_RGB32 && frame->format() != QImage::Format_ARGB32 &&
        frame->format() != QImage::Format_ARGB32_Premultiplied)
        return PXERR_BADPARAM;
    if (frame->format() != QImage::Format_RGB32) background = background.convertToFormat(frame->format());
    return PX_EfxPaintBitmap(frame, background, r, params, pass, passes);
}

} // namespace sdk
