// The URL download against a web server on 127.0.0.1: pieces, the body limit, the address check.
#include "platform/urldownload.h"
#include "support/fixture.h"
#include "support/webserver.h"

#include <QTest>

#include <tuple>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using platform::UrlDownload;

namespace {

class Download : public testsupport::WorldTest {
protected:
    // Runs a download to its end; the body arrives in received.
    UrlDownload::Result run(const QString& url, qint64 maxBytes)
    {
        received.clear();
        bool over = false;
        UrlDownload::Result result = UrlDownload::Failed;
        UrlDownload::Handlers h;
        h.data = [this](const QByteArray& piece) {
            received += piece;
            return true;
        };
        h.finished = [&](UrlDownload::Result r) {
            result = r;
            over = true;
        };
        UrlDownload d(url, maxBytes, h);
        const UrlDownload::Result started = d.Start();
        if (started != UrlDownload::Complete) return started;
        std::ignore = QTest::qWaitFor([&] { return over; }, 60000);
        return result;
    }
    QByteArray received;
};

TEST_F(Download, BodiesUpToTheLimitArriveWhole)
{
    QByteArray body;
    for (int i = 0; i < 300000; ++i) body += char('a' + i % 26);
    world.writeHostFile("c/body.bin", body);
    world.writeHostFile("c/a.jpg", "the target of the redirects");
    testsupport::WebServer server(world.hostC());
    ASSERT_GT(server.port(), 0);

    EXPECT_EQ(run(server.url("body.bin"), body.size()), UrlDownload::Complete);
    EXPECT_EQ(received, body);
    // One byte over the limit: refused, and no more than the limit was handed on.
    EXPECT_EQ(run(server.url("body.bin"), body.size() - 1), UrlDownload::TooLarge);
    EXPECT_LE(received.size(), body.size() - 1);
    // r/N takes N + 1 redirects.
    EXPECT_EQ(run(server.url("r/4"), 1000), UrlDownload::Complete);
    EXPECT_EQ(received, "the target of the redirects");
    EXPECT_EQ(run(server.url("r/5"), 1000), UrlDownload::TooManyRedirects);
    EXPECT_EQ(run(server.url("nothing-here"), 1000), UrlDownload::HttpError);
    EXPECT_TRUE(received.isEmpty());
    for (const char* url : {"ftp://127.0.0.1/a.jpg", "file:///etc/hostname", "127.0.0.1/a.jpg", "http://"})
        EXPECT_EQ(run(url, 1000), UrlDownload::BadAddress) << url;
}

} // namespace
