// The URL download against a web server on 127.0.0.1: pieces, the body limit, the address check,
// and servers that stall, answer with a failure or never end: each download ends within its
// limit with its cause.
#include "platform/urldownload.h"
#include "support/fixture.h"
#include "support/webserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using platform::UrlDownload;

namespace {

class Download : public testsupport::WorldTest {
protected:
    void TearDown() override { UrlDownload::setLimits({}); }
    // Runs a download to its end; the body arrives in received.
    UrlDownload::Result run(const QString& url, qint64 maxBytes, QString* cause = nullptr)
    {
        received.clear();
        bool over = false;
        UrlDownload::Result result = UrlDownload::Failed;
        UrlDownload::Handlers h;
        h.data = [this](const QByteArray& piece) {
            received += piece;
            return true;
        };
        UrlDownload* running = nullptr;
        h.finished = [&](UrlDownload::Result r) {
            result = r;
            over = true;
            if (cause) *cause = running->FailureText(r);
        };
        UrlDownload d(url, maxBytes, h);
        running = &d;
        const UrlDownload::Result started = d.Start();
        if (started != UrlDownload::Complete) return started;
        QElapsedTimer waited;
        waited.start();
        while (!over && waited.elapsed() < 30000) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
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

TEST_F(Download, ServersThatStallOrFailEndWithinTheLimitsAndSayWhy)
{
    QByteArray body;
    for (int i = 0; i < 5000; ++i) body += char(i * 31);
    world.writeHostFile("c/body.bin", body);
    testsupport::WebServer server(world.hostC());
    ASSERT_GT(server.port(), 0);
    UrlDownload::Limits limits;
    limits.connectMs = 2000;
    limits.stallSeconds = 2;
    UrlDownload::setLimits(limits);
    struct Case {
        const char* path;
        UrlDownload::Result result;
        const char* cause;
        qint64 maxBytes = 1 << 20;
    };
    const Case cases[] = {
        {"slow/body.bin", UrlDownload::Stalled, "the transfer stalled: less than 1024 bytes a second for 2 s"},
        {"silent", UrlDownload::Stalled, "no answer within 2 s"},
        {"slow-headers", UrlDownload::Stalled, "the transfer stalled: less than 1024 bytes a second for 2 s"},
        {"endless", UrlDownload::TooLarge, "larger than 1048576 bytes"},
        {"status/500", UrlDownload::HttpError, "the server answered with HTTP status 500"},
        {"status/403", UrlDownload::HttpError, "the server answered with HTTP status 403"},
        {"loop", UrlDownload::TooManyRedirects, "more than 5 redirects"},
        {"cut/body.bin", UrlDownload::CutShort, "the connection ended after 2500 of 5000 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        QElapsedTimer took;
        took.start();
        QString cause;
        EXPECT_EQ(run(server.url(c.path), c.maxBytes, &cause), c.result);
        EXPECT_EQ(cause.toStdString(), c.cause);
        // Within its limit, with a second to spare for a loaded machine.
        EXPECT_LT(took.elapsed(), limits.stallSeconds * 1000 + 3000);
        EXPECT_LE(received.size(), c.maxBytes);
    }
    // A refused connection and an unknown host say so.
    QString cause;
    EXPECT_EQ(run("http://127.0.0.1:1/a.jpg", 1000, &cause), UrlDownload::ConnectFailed);
    EXPECT_EQ(cause, "the server refused the connection");
    EXPECT_EQ(run("http://no-such-host.invalid/a.jpg", 1000, &cause), UrlDownload::HostNotFound);
    EXPECT_EQ(cause, "the host name is not known");
}

} // namespace
