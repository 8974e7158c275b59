// The feed load: pictures whose bytes arrive in pieces are decoded as they come (bands and pages
// reach the load callback before the last piece), into exactly the pages a load of all the bytes
// gives, with the same result when the bytes are cut short or damaged.
#include "helpers.h"
#include "sdk/feedload.h"

#include <gtest/gtest.h>

using namespace sdk;
using sdktest::mustRun;
using sdktest::quoted;

namespace {

constexpr qsizetype kPiece = 4096;

struct Band {
    qsizetype fed = 0; // bytes handed over when the band came
    int page = 0;
    int flags = 0;
};

struct Loaded {
    int result = PX_FAILURE;
    int failedAt = -1; // the piece whose PX_FeedLoad failed, -1 when none did
    std::vector<SdkBitmapHandle> pages;
    PxFileInfo info;
    std::vector<Band> bands;
};

std::vector<SdkBitmapHandle> pagesOf(SdkBitmapListHandle list)
{
    std::vector<SdkBitmapHandle> out;
    int count = 0;
    PX_GetBitmapListCount(list, &count);
    for (int i = 0; i < count; ++i) {
        SdkBitmapHandle b;
        PX_GetBitmapListItem(list, i, &b);
        out.push_back(std::move(b));
    }
    return out;
}

Loaded wholeLoad(const QByteArray& data, int bits)
{
    Loaded out;
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    out.result = PX_LoadMemory(data, nullptr, bits, list, {}, {}, &out.info);
    out.pages = pagesOf(list);
    PX_DestroyBitmapList(&list);
    return out;
}

Loaded fedLoad(const QByteArray& data, int bits, qsizetype piece = kPiece, const PxLoadCallback& stop = {})
{
    Loaded out;
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    qsizetype fed = 0;
    const PxLoadCallback callback = [&](const PxLoadBand& band) {
        out.bands.push_back({fed, band.pagesDelivered, band.flags});
        return stop ? stop(band) : PX_SUCCESS;
    };
    SdkFeedLoadHandle feed = nullptr;
    EXPECT_EQ(PX_StartFeedLoad(&feed, bits, list, {}, callback), PX_SUCCESS);
    for (qsizetype at = 0; at < data.size() && out.failedAt < 0; at += piece) {
        const qsizetype n = std::min(piece, data.size() - at);
        fed = at + n;
        const int r = PX_FeedLoad(feed, data.constData() + at, n);
        if (r != PX_SUCCESS) {
            out.failedAt = static_cast<int>(at / piece);
            // A failed feed keeps its failure and holds no page of it.
            EXPECT_EQ(pagesOf(list).size(), 0u);
            EXPECT_EQ(PX_FeedLoad(feed, "x", 1), r);
        }
    }
    out.result = PX_StopFeedLoad(&feed, &out.info);
    EXPECT_EQ(feed, nullptr);
    out.pages = pagesOf(list);
    PX_DestroyBitmapList(&list);
    return out;
}

// Same pages: pixels and everything a page carries beside them.
void expectSamePages(const Loaded& fed, const Loaded& whole)
{
    ASSERT_EQ(fed.pages.size(), whole.pages.size());
    for (std::size_t i = 0; i < fed.pages.size(); ++i) {
        SCOPED_TRACE(i);
        const SdkBitmapHandle& a = fed.pages[i];
        const SdkBitmapHandle& b = whole.pages[i];
        EXPECT_TRUE(sdktest::samePixels(a, b));
        EXPECT_EQ(a.BitsPerPixel, b.BitsPerPixel);
        EXPECT_EQ(a.XResolution, b.XResolution);
        EXPECT_EQ(a.YResolution, b.YResolution);
        EXPECT_EQ(a.Delay, b.Delay);
        EXPECT_EQ(a.BackgroundColor, b.BackgroundColor);
        EXPECT_EQ(a.Flags & bfTransparent, b.Flags & bfTransparent);
        if (b.Flags & bfTransparent) {
            EXPECT_EQ(a.TransparentColor, b.TransparentColor);
        }
    }
}

class FeedLoad : public testsupport::WorldTest {
protected:
    void SetUp() override
    {
        if (!testsupport::haveHostProgram("convert")) GTEST_SKIP() << "ImageMagick missing";
    }
    // Runs command with the file's name at its end (right after a format prefix such as "PNG24:").
    QByteArray make(const QString& name, const QString& command)
    {
        mustRun("cd " + quoted(world.hostC()) + " && " + command + (command.endsWith(':') ? "" : " ") + name);
        return world.readHostFile("c/" + name);
    }
};

TEST_F(FeedLoad, PiecesAreDecodedAsTheyArriveIntoThePagesOfAWholeLoad)
{
    struct Case {
        const char* name;
        const char* command; // makes the file, named at its end
        bool coarseFirst;    // shown in passes, coarse to fine
    };
    const Case cases[] = {
        {"baseline.jpg", "convert -size 480x360 plasma:fractal -quality 90", false},
        {"progressive.jpg", "convert -size 480x360 plasma:fractal -quality 90 -interlace Plane", true},
        {"grey.jpg", "convert -size 300x300 plasma:fractal -colorspace Gray -quality 90", false},
        {"cmyk.jpg", "convert -size 300x200 plasma:fractal -colorspace CMYK -quality 90", false},
        {"plain.png", "convert -size 320x240 plasma:fractal PNG24:", false},
        {"interlaced.png", "convert -size 320x240 plasma:fractal -interlace PNG PNG24:", true},
        {"alpha.png", "convert -size 200x150 plasma:fractal -alpha set -channel A -fx 'i/w' +channel PNG32:", false},
        {"deep.png", "convert -size 200x150 plasma:fractal -depth 16 PNG48:", false},
        {"deep-alpha.png", "convert -size 200x150 plasma:fractal -alpha set -channel A -fx 'j/h' +channel -depth 16 PNG64:", false},
        {"paletted.png", "convert -size 200x150 plasma:fractal -colors 40 -transparent-color black PNG8:", false},
        {"grey.png", "convert -size 200x150 plasma:fractal -colorspace Gray -depth 8 PNG:", false},
        {"grey16.png", "convert -size 200x150 plasma:fractal -colorspace Gray -depth 16 PNG:", false},
        {"twobit.png", "convert -size 200x150 gradient: -colorspace Gray -depth 2 PNG:", false},
        {"mono.png", "convert -size 200x150 plasma:fractal -monochrome PNG:", false},
        {"grey-alpha.png", "convert -size 200x150 plasma:fractal -colorspace Gray -alpha set -channel A -fx 'i/w' +channel PNG:", false},
        {"anim.gif", "convert -delay 12 -size 200x150 plasma:fractal plasma:fractal plasma:fractal plasma:fractal -loop 0", false},
        {"holes.gif", "convert -size 120x90 xc:none -fill red -draw 'circle 60,45 60,10' xc:none -fill blue -draw 'rectangle 10,10 50,50' -dispose Background -loop 0", false},
    };
    for (const Case& c : cases) {
        const QByteArray data = make(c.name, c.command);
        ASSERT_GT(data.size(), 0) << c.name;
        for (int bits : {24, 8, 32}) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(bits) + " bits, " + std::to_string(data.size()) + " bytes");
            const Loaded whole = wholeLoad(data, bits);
            ASSERT_EQ(whole.result, PX_SUCCESS);
            const Loaded fed = fedLoad(data, bits);
            ASSERT_EQ(fed.result, PX_SUCCESS);
            EXPECT_EQ(fed.failedAt, -1);
            expectSamePages(fed, whole);
            EXPECT_EQ(fed.info.Format, whole.info.Format);
            EXPECT_EQ(fed.info.Pages, whole.info.Pages);
            EXPECT_EQ(fed.info.Width, whole.info.Width);
            // One end of a page for each page.
            int ends = 0;
            for (const Band& b : fed.bands) ends += (b.flags & bandLastRow) && (b.flags & bandLastPass);
            EXPECT_EQ(ends, static_cast<int>(whole.pages.size()));
            if (data.size() <= 2 * kPiece) continue;
            // Rows are shown before the last piece is in.
            ASSERT_FALSE(fed.bands.empty());
            EXPECT_LT(fed.bands.front().fed, data.size());
            if (c.coarseFirst) {
                // The whole picture, coarse, long before its last pass.
                const auto coarse = std::find_if(fed.bands.begin(), fed.bands.end(), [](const Band& b) {
                    return (b.flags & bandFirstPass) && !(b.flags & bandLastPass) && (b.flags & bandLastRow);
                });
                ASSERT_NE(coarse, fed.bands.end());
                EXPECT_LE(coarse->fed, data.size() / 2);
            }
            if (whole.pages.size() > 1) {
                // Every frame but the last is complete before the last piece.
                const int lastButOne = int(whole.pages.size()) - 2;
                const auto done = std::find_if(fed.bands.begin(), fed.bands.end(), [&](const Band& b) {
                    return b.page == lastButOne && (b.flags & bandLastRow) && (b.flags & bandLastPass);
                });
                ASSERT_NE(done, fed.bands.end());
                EXPECT_LT(done->fed, data.size());
            }
        }
    }
}

TEST_F(FeedLoad, BytesCutShortOrDamagedEndAsAWholeLoadOfThemEnds)
{
    // Fixed drawings (-seed): the same bytes in every run.
    const QByteArray jpeg = make("base.jpg", "convert -seed 1 -size 300x200 plasma:fractal -quality 90");
    const QByteArray progressive = make("prog.jpg", "convert -seed 1 -size 300x200 plasma:fractal -quality 90 -interlace Plane");
    const QByteArray png = make("plain.png", "convert -seed 1 -size 300x200 plasma:fractal PNG24:");
    const QByteArray interlaced = make("inter.png", "convert -seed 1 -size 300x200 plasma:fractal -interlace PNG PNG24:");
    const QByteArray gif = make("anim.gif", "convert -seed 1 -delay 10 -size 150x100 plasma:fractal plasma:fractal plasma:fractal");
    auto damaged = [](QByteArray data) {
        for (qsizetype i = data.size() / 2; i < data.size() / 2 + 64; ++i) data[i] = char(0x5A ^ (i * 7));
        return data;
    };
    struct Case {
        const char* what;
        QByteArray data;
    };
    const Case cases[] = {
        {"jpeg, two thirds", jpeg.left(jpeg.size() * 2 / 3)},
        {"jpeg, damaged", damaged(jpeg)},
        {"progressive jpeg, half", progressive.left(progressive.size() / 2)},
        {"progressive jpeg, damaged", damaged(progressive)},
        {"jpeg, header only", jpeg.left(300)},
        {"png, half", png.left(png.size() / 2)},
        {"png, all but its end chunk", png.left(png.size() - 12)},
        {"png, damaged", damaged(png)},
        {"interlaced png, half", interlaced.left(interlaced.size() / 2)},
        {"gif, half", gif.left(gif.size() / 2)},
        {"gif, damaged", damaged(gif)},
        {"gif, header only", gif.left(20)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Loaded whole = wholeLoad(c.data, 24);
        const Loaded fed = fedLoad(c.data, 24);
        EXPECT_EQ(fed.result, whole.result);
        if (whole.result == PX_SUCCESS) {
            expectSamePages(fed, whole);
        } else {
            EXPECT_TRUE(fed.pages.empty());
        }
    }
}

TEST_F(FeedLoad, ALoadCallbackThatStopsEndsTheFeedAtOnce)
{
    const QByteArray jpeg = make("a.jpg", "convert -size 300x300 plasma:fractal -quality 90");
    const Loaded fed = fedLoad(jpeg, 24, kPiece, [](const PxLoadBand&) { return 0; });
    EXPECT_EQ(fed.result, PXERR_ABORTED);
    // Long before the last piece, and nothing decoded after it.
    EXPECT_GE(fed.failedAt, 0);
    EXPECT_LT(qsizetype(fed.failedAt + 1) * kPiece, jpeg.size());
    EXPECT_EQ(fed.bands.size(), 1u);
    EXPECT_TRUE(fed.pages.empty());

    // The page limit is no failure: the pages up to it stay.
    const QByteArray gif = make("a.gif", "convert -delay 10 -size 150x100 plasma:fractal plasma:fractal plasma:fractal");
    SdkBitmapListHandle list = nullptr;
    PX_CreateBitmapList(&list);
    SdkFeedLoadHandle feed = nullptr;
    PxLoadOptions two;
    two.MaxPages = 2;
    ASSERT_EQ(PX_StartFeedLoad(&feed, 0, list, two, {}), PX_SUCCESS);
    for (qsizetype at = 0; at < gif.size(); at += kPiece)
        ASSERT_EQ(PX_FeedLoad(feed, gif.constData() + at, std::min(kPiece, gif.size() - at)), PX_SUCCESS);
    EXPECT_EQ(PX_StopFeedLoad(&feed), PXERR_STOPPED);
    EXPECT_EQ(pagesOf(list).size(), 2u);
    PX_DestroyBitmapList(&list);
}

} // namespace

// A damage that leaves the frame's blocks whole but not its pixels: the reader reads on past where
// the blocks end, and a feed must wait for those bytes instead of taking the frame as ended (each
// of these drawings kept a broken second frame when fed).
TEST_F(FeedLoad, ADamagedGifFrameEndsTheAnimationAsInAWholeLoad)
{
    for (const int seed : {3, 43, 46, 75}) {
        SCOPED_TRACE(seed);
        QByteArray gif = make("anim.gif", QString("convert -seed %1 -delay 10 -size 150x100 plasma:fractal plasma:fractal plasma:fractal").arg(seed));
        for (qsizetype i = gif.size() / 2; i < gif.size() / 2 + 64; ++i) gif[i] = char(0x5A ^ (i * 7));
        const Loaded whole = wholeLoad(gif, 24);
        const Loaded fed = fedLoad(gif, 24);
        EXPECT_EQ(fed.result, whole.result);
        expectSamePages(fed, whole);
    }
}
