// FishEye, Twist, Rotate and the wings work out rows ahead on threads and write in order on the calling
// thread: whatever the thread count, the bytes must be those of the plain one-pixel-at-a-time
// versions, in place above all (later pixels read the ones written before them) and with
// separate bitmaps. The sizes reach past the rows in flight (32) and end off their multiples.
#include "effects/paintfx.h"
#include "fixtures.h"
#include "reference.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

using namespace effects;
using namespace fx_test;

namespace {

const std::pair<int, int> sizes[] = {{1, 1}, {1, 40}, {40, 1}, {7, 3}, {10, 10}, {33, 70}, {64, 65}, {13, 97}};
const int threadCounts[] = {1, 3, 8};

struct Case {
    std::string name;
    // The routine on `threads` threads, and the plain version (none where the plain version's
    // conversions are undefined, NaN coordinates: then the routine on one thread).
    std::function<void(const Bitmap24&, Bitmap24&, int threads)> mine;
    std::function<void(const Bitmap24&, Bitmap24&)> ref;
};

// Twist's bar runs 1..50; FishEye's amount is the bar / 100 (beyond it: the carried factor with no
// change for whole rows, and NaN); Rotate's centre may lie off the picture.
std::vector<Case> cases(int w, int h)
{
    std::vector<Case> out;
    for (int a : {1, 2, 10, 50, -9, -1, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()})
        out.push_back({"Twist " + std::to_string(a), [a](const Bitmap24& s, Bitmap24& d, int t) { TvelPaintFX::Twist(s, d, a, t); },
                       [a](const Bitmap24& s, Bitmap24& d) { fx_ref::Twist(s, d, a); }});
    const double inf = std::numeric_limits<double>::infinity(), nan = std::numeric_limits<double>::quiet_NaN();
    for (double k : {0.0, 0.3, 0.5, 0.6, 1.0, 2.0, -0.4, 1e12, inf, nan}) {
        Case c{"FishEye " + std::to_string(k), [k](const Bitmap24& s, Bitmap24& d, int t) { TvelPaintFX::FishEye(s, d, k, t); },
               [k](const Bitmap24& s, Bitmap24& d) { fx_ref::FishEye(s, d, k); }};
        if (std::isnan(k)) c.ref = [k](const Bitmap24& s, Bitmap24& d) { TvelPaintFX::FishEye(s, d, k, 1); };
        out.push_back(c);
    }
    struct Turn {
        int x, y;
        double angle;
    };
    for (Turn r : {Turn{w / 2, h / 2, 30.0}, Turn{0, 0, 90.0}, Turn{-50, h / 3, 45.0}, Turn{3 * w, -h, 200.0},
                   Turn{w / 2, h / 2, 0.0}, Turn{1, 1, -720.5}, Turn{w - 1, h - 1, 1e9}, Turn{2, 2, nan}})
        out.push_back({"Rotate " + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.angle),
                       [r](const Bitmap24& s, Bitmap24& d, int t) { TvelPaintFX::Rotate(s, d, r.x, r.y, r.angle, t); },
                       [r](const Bitmap24& s, Bitmap24& d) { fx_ref::Rotate(s, d, r.x, r.y, r.angle); }});
    // The wings, in the reference's order of kinds: the bar's period 1..400 and the extra bar's
    // scale 1..300, with a fraction and a negative scale beside them.
    using WingsFn = void (*)(const Bitmap24&, Bitmap24&, double, int, int);
    const WingsFn wings[] = {&TvelPaintFX::WingsDeep,   &TvelPaintFX::WingsDown,  &TvelPaintFX::WingsUp,
                             &TvelPaintFX::WingsFold,   &TvelPaintFX::WingsTouche, &TvelPaintFX::WingsFlyer,
                             &TvelPaintFX::WingsFlipover, &TvelPaintFX::WingsWavy};
    for (int kind = 0; kind < 8; ++kind)
        for (int a : {1, 3, 40, 150, 400})
            for (double x : {1.0, 10.0, 150.0, 300.0, 0.5, -7.0}) {
                const WingsFn f = wings[kind];
                out.push_back({"Wings " + std::to_string(kind) + " x " + std::to_string(x) + " a " + std::to_string(a),
                               [f, x, a](const Bitmap24& s, Bitmap24& d, int t) { f(s, d, x, a, t); },
                               [kind, x, a](const Bitmap24& s, Bitmap24& d) { fx_ref::Wings(s, d, x, a, kind); }});
            }
    return out;
}

} // namespace

TEST(ThreadedDistortions, SameBytesAsThePlainVersionsInPlaceAndSeparate)
{
    std::uint32_t seed = 11;
    for (auto [w, h] : sizes) {
        const Bitmap24 picture = noise(w, h, seed++);
        // Separate bitmaps: a destination of other contents (Rotate: also of another size).
        const Bitmap24 other = noise(w, h, seed++), wider = noise(w + 5, h + 2, seed++);
        for (const Case& c : cases(w, h)) {
            Bitmap24 refInPlace = picture, refSeparate = other, refWider = wider;
            c.ref(refInPlace, refInPlace);
            c.ref(picture, refSeparate);
            const bool rotate = c.name.rfind("Rotate", 0) == 0;
            if (rotate) c.ref(picture, refWider);
            for (int threads : threadCounts) {
                const std::string at = c.name + " " + std::to_string(w) + "x" + std::to_string(h) + ", " +
                                       std::to_string(threads) + " threads";
                Bitmap24 inPlace = picture, separate = other;
                c.mine(inPlace, inPlace, threads);
                c.mine(picture, separate, threads);
                EXPECT_EQ(inPlace, refInPlace) << at << ", in place";
                EXPECT_EQ(separate, refSeparate) << at << ", separate";
                if (rotate) {
                    Bitmap24 wide = wider;
                    c.mine(picture, wide, threads);
                    EXPECT_EQ(wide, refWider) << at << ", into a larger bitmap";
                }
            }
        }
    }
}

// The default count (one thread per processor) gives the same bytes as one thread, on a picture
// with many rows in flight at once.
TEST(ThreadedDistortions, DefaultCountGivesTheOneThreadBytes)
{
    const Bitmap24 picture = photo(301, 203, 5);
    for (const Case& c : cases(301, 203)) {
        Bitmap24 one = picture, many = picture;
        c.mine(one, one, 1);
        c.mine(many, many, 0);
        EXPECT_EQ(many, one) << c.name;
    }
}

// A very wide picture has fewer rows in flight than a tall one (their memory is bounded): the
// ring of rows wraps sooner, the bytes stay the same.
TEST(ThreadedDistortions, AVeryWidePictureKeepsTheBytes)
{
    const Bitmap24 picture = noise(300000, 5, 3);
    Bitmap24 mine = picture, ref = picture;
    TvelPaintFX::Twist(mine, mine, 7, 3);
    fx_ref::Twist(ref, ref, 7);
    EXPECT_EQ(mine, ref) << "twist";
    mine = picture;
    ref = picture;
    TvelPaintFX::Rotate(mine, mine, 150000, 2, 0.001, 3);
    fx_ref::Rotate(ref, ref, 150000, 2, 0.001);
    EXPECT_EQ(mine, ref) << "rotate";
}
