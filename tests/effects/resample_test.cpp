// Resampling: hand-worked stretches, the contributor rules, and the kernel weights against
// ImageMagick's own tables (-define filter:verbose=1).
#include "effects/resample.h"
#include "fixtures.h"
#include "support/fixture.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cmath>
#include <cstring>

using namespace effects;
using namespace fx_test;

namespace {
ResampleFilterRecord filterNamed(const char* name)
{
    for (const auto& r : ResampleFilterTable)
        if (std::strcmp(r.name, name) == 0) return r;
    ADD_FAILURE() << name;
    return ResampleFilterTable[0];
}

Bitmap24 stretch(const Bitmap24& src, int w, int h, const char* filter)
{
    Bitmap24 dst(w, h);
    auto f = filterNamed(filter);
    ResampleStretch(src, dst, f.filter, f.support);
    return dst;
}
} // namespace

TEST(Resample, TableOrderAndSupports)
{
    const char* names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
    const float supports[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
    for (int i = 0; i < 7; ++i) {
        EXPECT_STREQ(ResampleFilterTable[std::size_t(i)].name, names[i]);
        EXPECT_EQ(ResampleFilterTable[std::size_t(i)].support, supports[i]);
    }
}

TEST(Resample, KernelValues)
{
    EXPECT_EQ(BoxFilter(0.5f), 1.0f);
    EXPECT_EQ(BoxFilter(-0.5f), 0.0f);
    EXPECT_EQ(TriangleFilter(0.25f), 0.75f);
    EXPECT_EQ(HermiteFilter(0.5f), 0.5f);
    EXPECT_EQ(BellFilter(0.0f), 0.75f);
    EXPECT_EQ(BellFilter(1.0f), 0.125f);
    EXPECT_NEAR(SplineFilter(0.0f), 2.0f / 3.0f, 1e-7);
    EXPECT_NEAR(SplineFilter(1.0f), 1.0f / 6.0f, 1e-7);
    EXPECT_EQ(Lanczos3Filter(0.0f), 1.0f);
    EXPECT_NEAR(Lanczos3Filter(1.0f), 0.0f, 1e-7);
    EXPECT_NEAR(MitchellFilter(0.0f), 8.0f / 9.0f, 1e-7);
    EXPECT_NEAR(MitchellFilter(1.0f), 1.0f / 18.0f, 1e-6);  // single precision cancels here
    EXPECT_EQ(MitchellFilter(2.0f), 0.0f);
}

TEST(Resample, EnlargeTwoToThreeWithTriangle)
{
    // xs = 2, centres 0, 0.5, 1: the outer pixels copy, the middle one is the mean.
    Bitmap24 src = grey(2, 1, {0, 100});
    EXPECT_EQ(blues(stretch(src, 3, 1, "Triangle")), (std::vector<int>{0, 50, 100}));
    Bitmap24 odd = grey(2, 1, {0, 101});
    EXPECT_EQ(blues(stretch(odd, 3, 1, "Triangle")), (std::vector<int>{0, 50, 101}));  // Round(50.5) = 50
    Bitmap24 col = grey(1, 2, {40, 0});
    EXPECT_EQ(blues(stretch(col, 1, 3, "Triangle")), (std::vector<int>{40, 20, 0}));
    Bitmap24 oddCol = grey(1, 2, {0, 101});
    EXPECT_EQ(blues(stretch(oddCol, 1, 3, "Triangle")), (std::vector<int>{0, 50, 101}));
}

TEST(Resample, SameSizeWithBoxOrTriangleIsUnchanged)
{
    Bitmap24 b = noise(7, 5, 1);
    EXPECT_EQ(stretch(b, 7, 5, "Box"), b);
    EXPECT_EQ(stretch(b, 7, 5, "Triangle"), b);
}

TEST(Resample, ReduceWidensTheKernel)
{
    // 4 -> 2 with Triangle: xs = 1/3, radius 3, weights Triangle(j / 3) / 3: target 0 takes
    // 1/3 of pixel 0, 2/9 of pixels -1 and 1 and 1/9 of pixels -2 and 2, mirrored to 1 and 2:
    // (3 p0 + 4 p1 + 2 p2) / 9.
    auto c = ResampleContributors(4, 2, &TriangleFilter, 1.0f);
    ASSERT_EQ(c.size(), 2u);
    ASSERT_EQ(c[0].size(), 5u);
    const int pixels[5] = {2, 1, 0, 1, 2};
    const float weights[5] = {1.0f / 9, 2.0f / 9, 1.0f / 3, 2.0f / 9, 1.0f / 9};
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(c[0][std::size_t(k)].pixel, pixels[k]);
        EXPECT_NEAR(c[0][std::size_t(k)].weight, weights[k], 1e-6);
    }
    Bitmap24 src = grey(4, 1, {90, 0, 0, 0});
    EXPECT_EQ(blues(stretch(src, 2, 1, "Triangle")), (std::vector<int>{30, 0}));
    Bitmap24 src2 = grey(4, 1, {0, 9, 0, 0});
    // Target 0: 4/9 x 9 = 4. Target 1 (centre 3): pixel 1 is 2 away, Triangle(2/3) / 3 = 1/9: 1.
    EXPECT_EQ(blues(stretch(src2, 2, 1, "Triangle")), (std::vector<int>{4, 1}));
}

TEST(Resample, WidthOneUsesTheRatioAndStaysInside)
{
    // A single source pixel with Mitchell: every mirrored index is clamped into the source.
    Bitmap24 one = grey(1, 1, {200});
    Bitmap24 big = stretch(one, 3, 3, "Mitchell");
    EXPECT_EQ(big, Bitmap24(3, 3, Bgr{200, 200, 200}));
    for (const auto& list : ResampleContributors(1, 5, &Lanczos3Filter, 3.0f))
        for (const auto& c : list) EXPECT_EQ(c.pixel, 0);
    // A target one pixel wide: scale W2 / W1, never a division by zero.
    Bitmap24 row = grey(5, 1, {10, 10, 10, 10, 10});
    Bitmap24 thin = stretch(row, 1, 1, "Triangle");
    EXPECT_EQ(thin.width(), 1);
    for (const auto& list : ResampleContributors(5, 1, &MitchellFilter, 2.0f))
        for (const auto& c : list) {
            EXPECT_GE(c.pixel, 0);
            EXPECT_LT(c.pixel, 5);
        }
}

TEST(Resample, EmptySourceRaisesAndLeavesTheDestination)
{
    Bitmap24 empty;
    Bitmap24 dst = noise(2, 2, 1);
    const Bitmap24 before = dst;
    try {
        ResampleStretch(empty, dst, &MitchellFilter, 2.0f);
        FAIL() << "no error";
    } catch (const ResampleError& e) {
        EXPECT_STREQ(e.what(), "Source bitmap too small");
    }
    EXPECT_EQ(dst, before);
}

// The kernels both have, under ImageMagick's names.
TEST(Resample, KernelWeightsAgreeWithImageMagick)
{
    if (!testsupport::haveHostProgram("convert")) GTEST_SKIP() << "ImageMagick's convert is not installed";
    const std::pair<const char*, const char*> pairs[] = {
        {"Box", "Box"},       {"Triangle", "Triangle"}, {"Hermite", "Hermite"}, {"Bell", "Quadratic"},
        {"B-Spline", "Spline"}, {"Lanczos3", "Lanczos"}, {"Mitchell", "Mitchell"},
    };
    for (const auto& [ours, theirs] : pairs) {
        const ResampleFilterRecord rec = filterNamed(ours);
        int status = -1;
        const QString out = testsupport::runHost(
            QString("convert xc: -define filter:verbose=1 -filter %1 -resize 2x2 null: 2>/dev/null").arg(theirs), &status);
        ASSERT_EQ(status, 0) << theirs;
        QStringList rows;
        double support = -1;
        for (const QString& line : out.split('\n')) {
            if (line.startsWith("# support = ")) support = line.mid(12).toDouble();
            if (line.trimmed().isEmpty() || line.startsWith('#')) continue;
            rows << line;
        }
        ASSERT_NEAR(support, rec.support, 1e-6) << theirs;
        ASSERT_GT(rows.size(), 10) << theirs;
        rows.removeLast();  // the closing "support 0" line for graphing, not a weight
        // ImageMagick steps x from 0 by 0.01f in double precision; step the same way.
        double x = 0.0;
        double worst = 0;
        for (const QString& row : rows) {
            const QStringList cols = row.split('\t');
            ASSERT_EQ(cols.size(), 2) << row.toStdString();
            ASSERT_NEAR(cols[0].trimmed().toDouble(), x, 0.0051) << theirs;
            const double weight = cols[1].trimmed().toDouble();
            const double mine = rec.filter(float(x));
            worst = std::max(worst, std::fabs(mine - weight));
            EXPECT_LT(std::fabs(mine - weight), 1e-5) << ours << " at x = " << x;
            x += 0.01f;
        }
        EXPECT_LT(worst, 1e-5) << ours;
    }
}
