#pragma once
// A small web server on 127.0.0.1 (Python's http.server) serving a folder on a free port, one
// thread a request. Besides the files:
//   /r/N            a redirect to /r/N-1, and /r/0 one to /a.jpg (N + 1 redirects in all)
//   /loop           a redirect to itself
//   /status/N       an answer with status N and a small HTML page
//   /slow/NAME      the file, announced whole, one byte a second
//   /trickle/NAME   the file in pieces of 4096 bytes, one every 50 ms
//   /cut/NAME       the file announced whole, its first half sent, then the connection closed
//   /silent         takes the request and answers nothing
//   /slow-headers   the status line, then its headers one byte a second
//   /endless        a chunked body without end: a GIF header, then image data that never ends
// It stops when the object goes, and by itself after two minutes.
#include <QProcess>
#include <QString>

namespace testsupport {

class WebServer {
public:
    explicit WebServer(const QString& hostFolder);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // 0 when the server did not start.
    int port() const { return port_; }
    QString url(const QString& path) const;

private:
    QProcess process_;
    int port_ = 0;
};

} // namespace testsupport
