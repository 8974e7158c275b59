#include "webserver.h"

namespace testsupport {

WebServer::WebServer(const QString& hostFolder)
{
    const char* script = R"(
import http.server, os, socket, time
class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = 'HTTP/1.1'
    def file(self, name):
        with open(os.path.join(os.getcwd(), name), 'rb') as f:
            return f.read()
    def head(self, status, length=None, chunked=False):
        self.send_response(status)
        if length is not None:
            self.send_header('Content-Length', str(length))
        if chunked:
            self.send_header('Transfer-Encoding', 'chunked')
        self.send_header('Connection', 'close')
        self.end_headers()
        self.wfile.flush()
    def do_GET(self):
        self.close_connection = True
        try:
            self.answer()
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            pass
    def answer(self):
        p = self.path
        if p.startswith('/r/'):
            n = int(p[3:])
            self.send_response(302)
            self.send_header('Location', '/r/%d' % (n - 1) if n > 0 else '/a.jpg')
            self.send_header('Content-Length', '0')
            self.end_headers()
        elif p == '/loop':
            self.send_response(302)
            self.send_header('Location', '/loop')
            self.send_header('Content-Length', '0')
            self.end_headers()
        elif p.startswith('/status/'):
            page = b'<html><body><h1>It went wrong</h1></body></html>'
            self.head(int(p[8:]), len(page))
            self.wfile.write(page)
        elif p.startswith('/slow/'):
            data = self.file(p[6:])
            self.head(200, len(data))
            for i in range(len(data)):
                self.wfile.write(data[i:i + 1])
                self.wfile.flush()
                time.sleep(1)
        elif p.startswith('/trickle/'):
            data = self.file(p[9:])
            self.head(200, len(data))
            for i in range(0, len(data), 4096):
                self.wfile.write(data[i:i + 4096])
                self.wfile.flush()
                time.sleep(0.05)
        elif p.startswith('/cut/'):
            data = self.file(p[5:])
            self.head(200, len(data))
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
        elif p == '/silent':
            time.sleep(60)
        elif p == '/slow-headers':
            self.wfile.write(b'HTTP/1.1 200 OK\r\n')
            for c in b'Content-Type: image/jpeg\r\nX-Padding: ' + b'x' * 100:
                self.wfile.write(bytes([c]))
                self.wfile.flush()
                time.sleep(1)
        elif p == '/endless':
            self.head(200, chunked=True)
            start = b'GIF89a\x64\x00\x64\x00\x00\x00\x00' + b'\x2c\x00\x00\x00\x00\x64\x00\x64\x00\x00\x08'
            block = b'\xff' + b'\x55' * 255
            self.wfile.write(b'%x\r\n%s\r\n' % (len(start), start))
            while True:
                self.wfile.write(b'%x\r\n%s\r\n' % (len(block) * 64, block * 64))
        else:
            return super().do_GET()
    def log_message(self, *args):
        pass
class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
server = Server(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.timeout = 0.2
end = time.time() + 120
while time.time() < end:
    server.handle_request()
)";    process_.setWorkingDirectory(hostFolder);
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
