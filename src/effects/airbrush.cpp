#include "effects/airbrush.h"

#include "platform/rounding.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <vector>

namespace effects {

namespace {

constexpr Bgr kWhite{255, 255, 255};

// Fills a polygon: every pixel whose centre lies inside (even-odd rule).
void fillPolygon(Bitmap24& b, const std::vector<std::pair<double, double>>& points, Bgr colour)
{
    const std::size_t n = points.size();
    for (int y = 0; y < b.height(); ++y) {
        const double cy = y + 0.5;
        std::vector<double> crossings;
        for (std::size_t i = 0; i < n; ++i) {
            auto [x1, y1] = points[i];
            auto [x2, y2] = points[(i + 1) % n];
            if ((y1 <= cy) == (y2 <= cy)) continue;
            crossings.push_back(x1 + (cy - y1) * (x2 - x1) / (y2 - y1));
        }
        std::sort(crossings.begin(), crossings.end());
        for (std::size_t i = 0; i + 1 < crossings.size(); i += 2)
            for (int x = 0; x < b.width(); ++x)
                if (x + 0.5 >= crossings[i] && x + 0.5 <= crossings[i + 1]) b.setPixel(x, y, colour);
    }
}

// Fills the rectangle with exclusive right and bottom edges, clipped.
void fillRect(Bitmap24& b, int left, int top, int right, int bottom, Bgr colour)
{
    for (int y = std::max(0, top); y < std::min(b.height(), bottom); ++y)
        for (int x = std::max(0, left); x < std::min(b.width(), right); ++x) b.setPixel(x, y, colour);
}

} // namespace

std::int64_t TjvAirBrush::SystemTicks()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

TjvAirBrush::TjvAirBrush(TickSource ticks) : FTicks(ticks ? std::move(ticks) : TickSource(SystemTicks))
{
    FLastTick = FTicks();
}

void TjvAirBrush::SetTickSource(TickSource ticks)
{
    FTicks = ticks ? std::move(ticks) : TickSource(SystemTicks);
    FLastTick = FTicks();
}

void TjvAirBrush::SetSize(int value)
{
    if (value < 10 || value > 200) return;
    FSize = value;
    MakeStamp();
}

void TjvAirBrush::SetColor(ColorRef value)
{
    FColor = value;
    MakeStamp();
}

void TjvAirBrush::SetIntensity(int value)
{
    if (value >= 1 && value <= 100) FIntensity = value;
}

void TjvAirBrush::SetShape(TAirBrushShape value)
{
    FShape = value;
    MakeStamp();
}

void TjvAirBrush::MakeStamp()
{
    const int s = FSize;
    const int q = s / 4;
    const Bgr colour = bgrOf(ColorToRGB(FColor));
    FStamp = Bitmap24(s, s, kWhite);
    switch (FShape) {
    case absRound: {
        const double r = s / 2.0;
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) {
                const double dx = x + 0.5 - r, dy = y + 0.5 - r;
                if (dx * dx + dy * dy <= r * r) FStamp.setPixel(x, y, colour);
            }
        break;
    }
    case absSquare: fillRect(FStamp, 0, 0, s, s, colour); break;
    case absLeftSlash: fillPolygon(FStamp, {{0, 0}, {q, 0}, {s - 1, s - 1}, {s - q - 1, s - 1}}, colour); break;
    case absRightSlash: fillPolygon(FStamp, {{0, s - 1}, {q, s - 1}, {s - 1, 0}, {s - q - 1, 0}}, colour); break;
    case absHorizontal: fillRect(FStamp, 0, q, s - 1, s - q - 1, colour); break;
    case absVertical: fillRect(FStamp, q, 0, s - q - 1, s - 1, colour); break;
    case absSpray: MakeSprayStamp(); break;
    }
    FStamp.transparent = true;
    FStamp.transparentColor = clWhite;
}

void TjvAirBrush::MakeSprayStamp()
{
    const int s = FSize;
    const int r = s / 2;
    const Bgr colour = bgrOf(ColorToRGB(FColor));
    if (FStamp.width() != s || FStamp.height() != s) FStamp = Bitmap24(s, s, kWhite);
    for (int y = 0; y < s; y += 3)
        for (int x = 0; x < s; x += 3)
            if ((x - r) * (x - r) + (y - r) * (y - r) < r * r) FStamp.setPixel(x, y, colour);
}

void TjvAirBrush::BlendStamp(const Bitmap24& background, const Bitmap24& stamp, double intensity, Bitmap24& result)
{
    result = Bitmap24(background.width(), background.height());
    const int w = std::min(background.width(), stamp.width()), h = std::min(background.height(), stamp.height());
    result.fill(kWhite);
    auto ch = [intensity](int bg, int st) {
        return std::uint8_t(ClampByte(platform::roundHalfEven((1 - intensity) * bg + intensity * st)));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Bgr s = stamp.pixel(x, y);
            if (s == kWhite) continue;
            const Bgr b = background.pixel(x, y);
            result.setPixel(x, y, Bgr{ch(b.b, s.b), ch(b.g, s.g), ch(b.r, s.r)});
        }
}

void TjvAirBrush::DrawAirBrush(Bitmap24& canvas, int x, int y)
{
    if (FStamp.empty()) MakeStamp();
    const int h = FSize / 2;
    const int left = x - h, top = y - h;
    Bitmap24 background(FSize, FSize);
    Draw(canvas, background, -left, -top);
    Bitmap24 result;
    BlendStamp(background, FStamp, FIntensity / 100.0, result);
    // White is the transparent colour: those pixels keep the canvas.
    for (int j = 0; j < FSize; ++j) {
        const int cy = top + j;
        if (cy < 0 || cy >= canvas.height()) continue;
        for (int i = 0; i < FSize; ++i) {
            const int cx = left + i;
            if (cx < 0 || cx >= canvas.width()) continue;
            const Bgr p = result.pixel(i, j);
            if (!(p == kWhite)) canvas.setPixel(cx, cy, p);
        }
    }
}

bool TjvAirBrush::TimeToDraw()
{
    const std::int64_t now = FTicks();
    if (now - FLastTick > FInterval) {
        FLastTick = now;
        return true;
    }
    return false;
}

} // namespace effects
