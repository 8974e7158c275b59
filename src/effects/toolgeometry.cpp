#include "effects/toolgeometry.h"

#include "effects/arith.h"
#include "platform/rounding.h"

#include <algorithm>
#include <cmath>

namespace effects {

using detail::kPi;
using platform::roundHalfEven;

namespace {

struct Polar {
    double distance, angle;
};

Polar toPolar(Point centre, Point point)
{
    double dx = point.x - centre.x;
    const double dy = point.y - centre.y;
    const double distance = std::sqrt(dx * dx + dy * dy);
    if (std::abs(dx) < 0.001) dx = dx < 0 ? -0.001 : 0.001;
    return {distance, std::atan2(dy, dx)};
}

Point fromPolar(Point centre, double distance, double angle)
{
    return {roundHalfEven(centre.x + distance * std::cos(angle)), roundHalfEven(centre.y + distance * std::sin(angle))};
}

} // namespace

Point RotatePoint(Point centre, Point point, double angle)
{
    const Polar p = toPolar(centre, point);
    return fromPolar(centre, p.distance, p.angle + angle);
}

Point PointBetween(Point centre, Point point, double fraction)
{
    const Polar p = toPolar(centre, point);
    return fromPolar(centre, p.distance * fraction, p.angle);
}

std::vector<Point> StarPolygon(Point centre, Point first, int points, bool polygon)
{
    std::vector<Point> out;
    if (points < 1) return out;
    int k = 1;
    if (!polygon) {
        switch (points) {
        case 5: k = 2; break;
        case 7: k = 3; break;
        case 9: k = 4; break;
        case 11: k = 5; break;
        default: break;
        }
    }
    out.reserve(std::size_t(points));
    for (int i = 0; i < points; ++i) out.push_back(RotatePoint(centre, first, i * k * 2 * kPi / points));
    return out;
}

std::vector<Point> SpiralPoints(Point centre, Point from, int turns, int stepMultiple, double shrink)
{
    std::vector<Point> out{from};
    const int steps = std::clamp(turns, 0, 1000) * 36;
    // Hundredths of a pixel, so that the small steps near the centre do not lose their turn.
    double x = (from.x - centre.x) * 100.0;
    double y = (from.y - centre.y) * 100.0;
    const double angle = stepMultiple * 10.0 * kPi / 180.0;
    const double c = std::cos(angle), s = std::sin(angle);
    for (int i = 0; i < steps; ++i) {
        const double nx = (x * c - y * s) * shrink;
        const double ny = (x * s + y * c) * shrink;
        x = nx;
        y = ny;
        out.push_back({centre.x + roundHalfEven(x / 100.0), centre.y + roundHalfEven(y / 100.0)});
    }
    return out;
}

Spirograph SpirographPoints(int width, int height, Point p, Point q, int segments)
{
    Spirograph out;
    if (width / 2 != height / 2) {
        out.message = "image must be square for spirographs";
        return out;
    }
    const Point c{width / 2, height / 2};
    const int a = roundHalfEven(std::hypot(double(p.x - c.x), double(p.y - c.y)));
    const int b = roundHalfEven(std::hypot(double(q.x - p.x), double(q.y - p.y)));
    if (a + b > width / 2) {
        out.message = "sum of radi to large";
        return out;
    }
    if (a < 5 || b < 5) {
        out.message = "both radi must be >5";
        return out;
    }
    out.points.push_back({c.x + a + b, c.y});
    double t1 = 0, t2 = 0;
    const double step1 = kPi / 18, step2 = double(b) / a * kPi / 18;
    for (int i = 0; i < segments; ++i) {
        t1 += step1;
        t2 += step2;
        out.points.push_back({roundHalfEven(c.x + a * std::cos(t2) + b * std::cos(t1)),
                              roundHalfEven(c.y + a * std::sin(t2) + b * std::sin(t1))});
    }
    return out;
}

std::vector<Segment> CubeLines(int left, int top, int right, int bottom, Point depth)
{
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    const Point corners[4] = {{left, top}, {right, top}, {right, bottom}, {left, bottom}};
    std::vector<Segment> out;
    for (int i = 0; i < 4; ++i) out.push_back({corners[i], corners[(i + 1) % 4]});
    const int ox = depth.x - right, oy = depth.y - bottom;
    if (ox == 0 && oy == 0) return out;
    // The corner facing away from the depth point is hidden; the other three recede.
    const int hidden = ox >= 0 ? (oy >= 0 ? 0 : 3) : (oy >= 0 ? 1 : 2);
    Point back[3];
    for (int k = 0; k < 3; ++k) {
        const Point f = corners[(hidden + 1 + k) % 4];
        back[k] = {f.x + ox, f.y + oy};
        out.push_back({f, back[k]});
    }
    out.push_back({back[0], back[1]});
    out.push_back({back[1], back[2]});
    return out;
}

Cell BlockCell(int width, int height, int blocks, Point p)
{
    const int n = std::max(1, blocks);
    const int cw = std::max(1, width / n), ch = std::max(1, height / n);
    const int x = std::clamp(p.x, 0, std::max(0, width - 1)), y = std::clamp(p.y, 0, std::max(0, height - 1));
    Cell cell;
    cell.left = x / cw * cw;
    cell.top = y / ch * ch;
    cell.right = std::min(width, cell.left + cw);
    cell.bottom = std::min(height, cell.top + ch);
    return cell;
}

} // namespace effects
