#include "webserver.h"

namespace testsupport {

WebServer::WebServer(const QString& hostFolder)
{
    const char* script = R"(
import http.server, time
class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        if self.path.startswith('/r/'):
            n = int(self.path[3:])
            self.send_response(302)
            self.send_header('Location', '/r/%d' % (n - 1) if n > 0 else '/a.jpg')
            self.send_header('Content-Length', '0')
            self.end_headers()
            return
        return super().do_GET()
    def log_message(self, *args):
        pass
server = http.server.HTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.timeout = 0.2
end = time.time() + 120
while time.time() < end:
    server.handle_request()
)";
    process_.setWorkingDirectory(hostFolder);
    process_.start("/usr/bin/python3", {"-u", "-c", script});
    if (process_.waitForReadyRead(10000)) port_ = process_.readLine().trimmed().toInt();
}

WebServer::~WebServer()
{
    process_.kill();
    process_.waitForFinished();
}

QString WebServer::url(const QString& path) const { return QString("http://127.0.0.1:%1/%2").arg(port_).arg(path); }

} // namespace testsupport
