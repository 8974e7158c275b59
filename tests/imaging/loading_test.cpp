// Pictures from memory, from bytes fed in pieces and from http addresses: each gives what Load
// gives for the same bytes, and a failure leaves the control empty with its result.
#include "fixture.h"

#include "platform/colors.h"
#include "platform/urldownload.h"
#include "support/scripted_dialogs.h"
#include "support/webserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace imaging;
using imagingtest::ControlTest;

namespace {

class Loading : public ControlTest {
protected:
    void SetUp() override
    {
        if (!imagingtest::haveTools({"convert"})) GTEST_SKIP() << "ImageMagick missing";
        ControlTest::SetUp();
    }
    // The pages the control holds, copied.
    std::vector<sdk::SdkBitmapHandle> pages()
    {
        std::vector<sdk::SdkBitmapHandle> out;
        for (int i = 0; pix->HasImage() && i < pix->BitmapListCount(); ++i) {
            sdk::SdkBitmapHandle b;
            sdk::PX_GetBitmapListItem(pix->BitmapList(), i, &b);
            out.push_back(std::move(b));
        }
        return out;
    }
    static bool samePages(const std::vector<sdk::SdkBitmapHandle>& a, const std::vector<sdk::SdkBitmapHandle>& b)
    {
        if (a.size() != b.size()) return false;
        for (std::size_t i = 0; i < a.size(); ++i)
            if (!sdktest::samePixels(a[i], b[i])) return false;
        return true;
    }
};

TEST_F(Loading, FeedsOfAnyPieceSizeGiveWhatLoadGives)
{
    makePicture("a.jpg", 61, 47);
    makePicture("a.png", 33, 21, sdk::fmtPNG);
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue three.gif");
    make("convert -size 17x9 xc:orange -size 17x9 xc:navy two.tif");
    make("convert -size 13x7 xc:teal a.bmp");
    for (const char* name : {"a.jpg", "a.png", "three.gif", "two.tif", "a.bmp"}) {
        ASSERT_EQ(pix->Load(win(name)), 1) << name;
        const auto loaded = pages();
        const QByteArray data = bytes(name);
        for (qsizetype piece : {qsizetype(1), qsizetype(7), qsizetype(4096), data.size()}) {
            int filePages = 0;
            pix->OnFilePage = [&](TPixImage*) { ++filePages; };
            ASSERT_EQ(pix->StartFeedLoad(0, 1, -1), 1);
            EXPECT_TRUE(pix->FeedLoadOpen());
            for (qsizetype at = 0; at < data.size(); at += piece)
                ASSERT_EQ(pix->FeedLoad(data.constData() + at, std::min(piece, data.size() - at)), 1) << name << piece;
            ASSERT_EQ(pix->StopFeedLoad(), 1) << name << piece;
            EXPECT_FALSE(pix->FeedLoadOpen());
            EXPECT_TRUE(samePages(pages(), loaded)) << name << " in pieces of " << piece;
            EXPECT_EQ(filePages, static_cast<int>(loaded.size())) << name;
            EXPECT_EQ(pix->BitmapListIndex(), 0);
            pix->OnFilePage = nullptr;
        }
    }
}

TEST_F(Loading, FeedMistakesAndBadBytes)
{
    // Feeding or closing without an open feed.
    const QString notStarted = "invalid: PixImage1 \nFeedLoad: Feed Load not Started.";
    EXPECT_EQ(raisedBy([&] { pix->FeedLoad("x", 1); }), notStarted);
    EXPECT_EQ(raisedBy([&] { pix->StopFeedLoad(); }), notStarted);
    EXPECT_EQ(pix->LastResult(), 0);

    // Bytes that are no picture are refused as soon as they show it, and nothing stays.
    makePicture("a.jpg", 20, 20);
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    ASSERT_EQ(pix->StartFeedLoad(0, 1, -1), 1);
    EXPECT_FALSE(pix->HasImage());
    // While a feed is open the control takes no other picture.
    EXPECT_EQ(raisedBy([&] { pix->Load(win("a.jpg")); }), "PixImage1 \nError code: 0\nProcessing not allowed: " +
                                                            sdk::ErrorCodeMessage(0) + " ");
    const QByteArray text = "<html><body>Not found</body></html>";
    pix->SetEnableMethodErrors(false);
    EXPECT_EQ(pix->FeedLoad(text.constData(), 10), 1);
    EXPECT_EQ(pix->FeedLoad(text.constData() + 10, 10), sdk::PXERR_BADFORMAT);
    EXPECT_FALSE(pix->FeedLoadOpen());
    EXPECT_FALSE(pix->HasImage());

    // A picture cut short fails when the feed is closed.
    const QByteArray jpeg = bytes("a.jpg");
    ASSERT_EQ(pix->StartFeedLoad(0, 1, -1), 1);
    ASSERT_EQ(pix->FeedLoad(jpeg.constData(), jpeg.size() / 3), 1);
    EXPECT_LT(pix->StopFeedLoad(), 1);
    EXPECT_FALSE(pix->HasImage());
    EXPECT_EQ(pix->Bitmap(), nullptr);
    // Nothing fed at all.
    ASSERT_EQ(pix->StartFeedLoad(0, 1, -1), 1);
    EXPECT_EQ(pix->StopFeedLoad(), sdk::PXERR_READ);
}

TEST_F(Loading, MemoryHoldsOnePageOfAPicture)
{
    make("convert -size 17x9 xc:orange -size 23x5 xc:navy two.tif");
    make("convert -delay 10 -size 20x10 xc:red xc:lime xc:blue three.gif");
    const QByteArray tif = bytes("two.tif");
    ASSERT_EQ(pix->LoadMemory(tif.constData(), 0, 2, tif.size()), 1);
    EXPECT_EQ(pix->BitmapWidth(), 23);
    EXPECT_EQ(pix->BitmapListCount(), 1);
    EXPECT_EQ(pix->FileInfo().Format, sdk::fmtTIFF);
    EXPECT_EQ(pix->FileInfo().Pages, 2);

    // An animation from memory is one still picture, whatever AutoAnimate says.
    pix->SetAutoAnimate(true);
    const QByteArray gif = bytes("three.gif");
    ASSERT_EQ(pix->LoadMemory(gif.constData(), 0, 1, gif.size()), 1);
    EXPECT_FALSE(pix->Animating());
    EXPECT_EQ(pix->BitmapListCount(), 1);
    EXPECT_EQ(sdktest::pixel(*pix->Bitmap(), 1, 1), 0xFF0000u);

    EXPECT_EQ(raisedBy([&] { pix->LoadMemory(nullptr, 0, 1, 10); }),
              "PixImage1 \nError code: -3\nLoadMemory: " + sdk::ErrorCodeMessage(-3) + " ");
    EXPECT_FALSE(pix->HasImage());
    pix->SetEnableMethodErrors(false);
    EXPECT_LT(pix->LoadMemory(gif.constData(), 0, 1, 12), 1);
    EXPECT_FALSE(pix->HasImage());
}

class UrlLoading : public Loading {
protected:
    void SetUp() override
    {
        Loading::SetUp();
        if (IsSkipped()) return;
        makePicture("a.jpg", 50, 40);
        server = std::make_unique<testsupport::WebServer>(world.hostC());
        ASSERT_GT(server->port(), 0);
        pix->OnReadyStateChanged = [this](TPixImage*, int state) { states.push_back(state); };
    }
    void TearDown() override
    {
        platform::UrlDownload::setLimits({});
        server.reset();
        Loading::TearDown();
    }
    // Sets the address and lets the program run until the download is over.
    void download(const QString& url)
    {
        states.clear();
        pix->SetBitmapDataPath(url);
        QElapsedTimer waited;
        waited.start();
        while (pix->ReadyState() != rsComplete && waited.elapsed() < 30000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        ASSERT_EQ(pix->ReadyState(), rsComplete) << url.toStdString();
    }

    std::unique_ptr<testsupport::WebServer> server;
    std::vector<int> states;
    testsupport::ScriptedDialogs dialogs;
};

TEST_F(UrlLoading, APictureComesDownAsLoadReadsIt)
{
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    const auto loaded = pages();
    download(server->url("a.jpg"));
    // Loading when it starts and when all has come (the picture is decoded then), complete at the end.
    EXPECT_EQ(states, (std::vector<int>{rsLoading, rsLoading, rsComplete}));
    EXPECT_EQ(pix->LastResult(), 1);
    EXPECT_TRUE(samePages(pages(), loaded));
    EXPECT_EQ(pix->BitmapDataPath(), server->url("a.jpg"));
    // Up to five redirects are followed.
    download(server->url("r/4"));
    EXPECT_TRUE(samePages(pages(), loaded));
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

TEST_F(UrlLoading, FailedDownloadsLeaveTheControlEmptyAndSayWhy)
{
    world.writeHostFile("c/garbage.jpg", QByteArray("This is no picture at all, only words and more words."));
    // A port that was free a moment ago: nothing listens there.
    const QString freePort = sdktest::mustRun("/usr/bin/python3 -c 'import socket; s=socket.socket(); "
                                              "s.bind((\"127.0.0.1\", 0)); print(s.getsockname()[1])'")
                                 .trimmed();
    const QString refusedUrl = QString("http://127.0.0.1:%1/a.jpg").arg(freePort);
    platform::UrlDownload::Limits limits;
    limits.stallSeconds = 2;
    limits.bodyCeiling = 1 << 20;
    platform::UrlDownload::setLimits(limits);
    const int size = bytes("a.jpg").size();
    struct Case {
        const char* what;
        QString url;
        int result;
        QString cause; // the line under the error text; none when the code says it all
    };
    const Case cases[] = {
        {"not found", server->url("missing.jpg"), sdk::PXERR_FILENOTFOUND, "the server answered with HTTP status 404"},
        {"server error", server->url("status/500"), -218, "the server answered with HTTP status 500"},
        {"connection refused", refusedUrl, -276, "the server refused the connection"},
        {"no picture", server->url("garbage.jpg"), sdk::PXERR_BADFORMAT, ""},
        {"six redirects", server->url("r/5"), -284, "more than 5 redirects"},
        {"redirect loop", server->url("loop"), -284, "more than 5 redirects"},
        {"one byte a second", server->url("slow/a.jpg"), -286, "the transfer stalled: less than 1024 bytes a second for 2 s"},
        {"no answer", server->url("silent"), -286, "no answer within 2 s"},
        {"no end", server->url("endless"), sdk::PXERR_NOMEMORY, "larger than 1048576 bytes"},
        {"cut short", server->url("cut/a.jpg"), sdk::PXERR_READ,
         QString("the connection ended after %1 of %2 bytes").arg(size / 2).arg(size)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(pix->Load(win("a.jpg")), 1);
        dialogs.messages.clear();
        QElapsedTimer took;
        took.start();
        download(c.url);
        EXPECT_LT(took.elapsed(), limits.stallSeconds * 1000 + 3000);
        EXPECT_EQ(pix->LastResult(), c.result);
        EXPECT_FALSE(pix->HasImage());
        EXPECT_EQ(pix->Bitmap(), nullptr);
        EXPECT_FALSE(pix->FeedLoadOpen());
        EXPECT_EQ(states.back(), rsComplete);
        // One error message, naming the address, the code and the cause.
        QString text = sdk::formatMethodError("PixImage1", c.result, c.url);
        if (!c.cause.isEmpty()) text += "\n" + c.cause;
        ASSERT_EQ(dialogs.messages.size(), 1);
        EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
        EXPECT_EQ(dialogs.messages[0].text, text);
        // The control takes the next picture as usual.
        EXPECT_EQ(pix->Load(win("a.jpg")), 1);
    }
    // Without method errors the result alone tells.
    dialogs.messages.clear();
    pix->SetEnableMethodErrors(false);
    download(server->url("status/503"));
    EXPECT_EQ(pix->LastResult(), -218);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    platform::UrlDownload::setLimits({});
}

// What comes down is decoded as it arrives: the frames of an animation one by one, the rows of a
// picture band by band on the screen, long before the last byte.
TEST_F(UrlLoading, APictureShowsWhileItArrives)
{
    make("convert -delay 12 -size 200x150 plasma:fractal plasma:fractal plasma:fractal plasma:fractal -loop 0 anim.gif");
    ASSERT_EQ(pix->Load(win("anim.gif")), 1);
    const auto frames = pages();
    std::vector<int> pagesWhileLoading;
    pix->OnFilePage = [&](TPixImage* sender) {
        if (sender->ReadyState() == rsLoading) pagesWhileLoading.push_back(sender->HasImage());
    };
    download(server->url("trickle/anim.gif"));
    pix->OnFilePage = nullptr;
    EXPECT_EQ(pix->LastResult(), 1);
    EXPECT_TRUE(samePages(pages(), frames));
    // Each frame came while the rest was still on its way, and the first one was shown then.
    ASSERT_EQ(pagesWhileLoading.size(), frames.size());
    EXPECT_EQ(pagesWhileLoading.back(), 1);

    make("convert -size 100x400 plasma:fractal -quality 95 tall.jpg");
    pix->resize(100, 400);
    pix->SetBackColor(platform::rgbColor(0, 0, 255));
    ASSERT_EQ(pix->Load(win("tall.jpg")), 1);
    pix->ForceRepaint();
    const QImage whole = pix->ComposedFrame();
    pix->SetPaintWhileLoad(true);
    pix->SetEnableProgressEvent(true);
    QImage partly;
    pix->OnStatus = [&](TPixImage* sender, int percent) {
        if (partly.isNull() && percent >= 30 && percent <= 70 && sender->ReadyState() == rsLoading) partly = sender->ComposedFrame();
    };
    download(server->url("trickle/tall.jpg"));
    pix->OnStatus = nullptr;
    ASSERT_FALSE(partly.isNull());
    if (qEnvironmentVariableIsSet("QUORBEL_SHOT")) partly.save(qEnvironmentVariable("QUORBEL_SHOT"));
    // The rows decoded so far are the picture's, the rest is still the background.
    EXPECT_EQ(imagingtest::rgbAt(partly, 40, 5), imagingtest::rgbAt(whole, 40, 5));
    EXPECT_EQ(imagingtest::rgbAt(partly, 40, partly.height() - 5), 0x0000FFu);
    EXPECT_NE(imagingtest::rgbAt(whole, 40, whole.height() - 5), 0x0000FFu);
    EXPECT_TRUE(pix->HasImage());
}

TEST_F(UrlLoading, OnlyWebAddressesAreFetched)
{
    ASSERT_EQ(pix->Load(win("a.jpg")), 1);
    for (const QString& url : {QString("file://" + world.hostC() + "/a.jpg"), QString("ftp://127.0.0.1/a.jpg"),
                               QString("C:\\a.jpg"), QString()}) {
        EXPECT_EQ(raisedBy([&] { pix->SetBitmapDataPath(url); }),
                  "PixImage1 \nError code: 0\nBitmapDataPath: " + sdk::ErrorCodeMessage(0) + " ")
            << url.toStdString();
        EXPECT_FALSE(pix->HasImage());
        EXPECT_EQ(pix->BitmapDataPath(), url);
        EXPECT_EQ(pix->ReadyState(), rsComplete);
    }
}

TEST_F(UrlLoading, APictureCutShortIsReportedUnderItsAddress)
{
    // Its first bytes are those of a GIF, the rest is not.
    world.writeHostFile("c/half.gif", QByteArray("GIF89a\x10\x00\x10\x00 and then nothing of a picture", 40));
    download(server->url("half.gif"));
    EXPECT_FALSE(pix->HasImage());
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith("PixImage1 \nError code: " + QString::number(pix->LastResult()) +
                                                    "\n" + server->url("half.gif") + ": "))
        << dialogs.messages[0].text.toStdString();
    // A new address stops a download under way.
    pix->SetBitmapDataPath(server->url("a.jpg"));
    download(server->url("a.jpg"));
    EXPECT_TRUE(pix->HasImage());
}

} // namespace
