// Where an aligned control goes in its parent's contents: along an edge it keeps its own depth
// and spans the edge, on a contents area that need not start at the parent's corner.
#include "imaging/pixwindowplace.h"

#include <gtest/gtest.h>

using namespace imaging;

namespace {

struct AlignCase {
    TAlign align;
    QRect expected;
};

class Alignment : public ::testing::TestWithParam<AlignCase> {};

// Contents from (5, 7), 300 x 200 (right edge 304, bottom 206); the control 40 x 30 at (50, 60).
const QRect area(5, 7, 300, 200);
const QRect control(50, 60, 40, 30);

TEST_P(Alignment, PlacesTheControlInTheParentsContents)
{
    EXPECT_EQ(PixWindowPlace::Aligned(GetParam().align, area, control), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Edges, Alignment,
                         ::testing::Values(AlignCase{alNone, control}, AlignCase{alTop, QRect(5, 7, 300, 30)},
                                           AlignCase{alBottom, QRect(5, 177, 300, 30)}, AlignCase{alLeft, QRect(5, 7, 40, 200)},
                                           AlignCase{alRight, QRect(265, 7, 40, 200)}, AlignCase{alClient, area}));

} // namespace
