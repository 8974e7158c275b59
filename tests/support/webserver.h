#pragma once
// A small web server on 127.0.0.1 (Python's http.server) serving a folder on a free port; the
// path /r/N answers with a redirect to /r/N-1, and /r/0 with one to /a.jpg (N + 1 redirects in
// all). It stops when the object goes, and by itself after two minutes.
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
