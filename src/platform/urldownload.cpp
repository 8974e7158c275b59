#include "urldownload.h"

#include "curlsetup.h"

#include <QTimer>
#include <QUrl>
#include <curl/curl.h>

namespace platform {

namespace {

constexpr long maxRedirects = 5;
constexpr int pollInterval = 5; // milliseconds between two looks at the transfer

UrlDownload::Limits& currentLimits()
{
    static UrlDownload::Limits limits;
    return limits;
}

} // namespace

UrlDownload::Limits UrlDownload::limits() { return currentLimits(); }

void UrlDownload::setLimits(const Limits& limits) { currentLimits() = limits; }

struct UrlDownload::Transfer {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    // Its own tick may end the transfer: it goes once that tick is over.
    QTimer* timer = new QTimer;
    char error[CURL_ERROR_SIZE] = {};

    ~Transfer()
    {
        timer->stop();
        timer->disconnect();
        timer->deleteLater();
        if (multi && easy) curl_multi_remove_handle(multi, easy);
        if (easy) curl_easy_cleanup(easy);
        if (multi) curl_multi_cleanup(multi);
    }

    static std::size_t write(char* data, std::size_t size, std::size_t count, void* self)
    {
        return static_cast<UrlDownload*>(self)->receive(data, size * count);
    }

    static int progress(void* self, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t, curl_off_t)
    {
        auto* d = static_cast<UrlDownload*>(self);
        if (d->handlers_.progress && dlNow > 0) d->handlers_.progress(dlNow, dlTotal);
        return 0;
    }
};

UrlDownload::UrlDownload(QString url, qint64 maxBytes, Handlers handlers)
    : url_(std::move(url)), maxBytes_(maxBytes), handlers_(std::move(handlers)), limits_(currentLimits())
{
    if (limits_.bodyCeiling > 0) maxBytes_ = std::min(maxBytes_, limits_.bodyCeiling);
}

UrlDownload::~UrlDownload() = default;

bool UrlDownload::Running() const { return t_ != nullptr; }

UrlDownload::Result UrlDownload::Start()
{
    const QUrl url(url_, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty()) return BadAddress;
    if (!initCurlOnce()) return Failed;
    auto t = std::make_unique<Transfer>();
    t->multi = curl_multi_init();
    t->easy = curl_easy_init();
    if (!t->multi || !t->easy) return Failed;
    CURL* e = t->easy;
    const QByteArray address = url.toEncoded();
    curl_easy_setopt(e, CURLOPT_URL, address.constData());
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, maxRedirects);
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_ERRORBUFFER, t->error);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits_.connectMs));
    // Slower than this for the stall time, from the request on (a server that answers nothing or
    // stalls in its headers included), and the download is given up.
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, static_cast<long>(limits_.lowestBytesPerSecond));
    curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits_.stallSeconds));
    curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes_));
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::write);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::progress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, this);
    if (curl_multi_add_handle(t->multi, e) != CURLM_OK) return Failed;
    t->timer->setInterval(pollInterval);
    QObject::connect(t->timer, &QTimer::timeout, [this] { poll(); });
    t->timer->start();
    t_ = std::move(t);
    return Complete;
}

void UrlDownload::Abort() { t_.reset(); }

std::size_t UrlDownload::receive(const char* data, std::size_t bytes)
{
    long status = 0;
    curl_easy_getinfo(t_->easy, CURLINFO_RESPONSE_CODE, &status);
    status_ = static_cast<int>(status);
    if (status_ >= 400) {
        // An error page is no picture: nothing of it is handed on.
        stop_ = HttpError;
        return 0;
    }
    curl_off_t length = -1;
    curl_easy_getinfo(t_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    announced_ = length;
    if (received_ + static_cast<qint64>(bytes) > maxBytes_) {
        stop_ = TooLarge;
        return 0;
    }
    received_ += static_cast<qint64>(bytes);
    if (!startedTold_) {
        startedTold_ = true;
        if (handlers_.started) handlers_.started();
    }
    if (handlers_.data && !handlers_.data(QByteArray(data, static_cast<qsizetype>(bytes)))) {
        stop_ = Stopped;
        return 0;
    }
    return bytes;
}

void UrlDownload::poll()
{
    if (!t_) return;
    int running = 0;
    curl_multi_perform(t_->multi, &running);
    if (!t_) return; // a handler ended it
    int left = 0;
    CURLMsg* msg = nullptr;
    CURLcode code = CURLE_OK;
    bool done = false;
    while ((msg = curl_multi_info_read(t_->multi, &left))) {
        if (msg->msg == CURLMSG_DONE) {
            done = true;
            code = msg->data.result;
        }
    }
    if (!done) return;
    long status = 0;
    curl_easy_getinfo(t_->easy, CURLINFO_RESPONSE_CODE, &status);
    status_ = static_cast<int>(status);
    curl_off_t length = -1;
    curl_easy_getinfo(t_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (length >= 0) announced_ = length;
    curl_off_t connected = 0;
    curl_easy_getinfo(t_->easy, CURLINFO_CONNECT_TIME_T, &connected);
    Result result = Complete;
    if (stop_ != Complete) result = stop_;
    else if (code == CURLE_OK) result = status_ >= 400 ? HttpError : Complete;
    else if (code == CURLE_TOO_MANY_REDIRECTS) result = TooManyRedirects;
    else if (code == CURLE_FILESIZE_EXCEEDED) result = TooLarge;
    else if (code == CURLE_COULDNT_RESOLVE_HOST) result = HostNotFound;
    else if (code == CURLE_COULDNT_CONNECT) result = ConnectFailed;
    else if (code == CURLE_OPERATION_TIMEDOUT) result = connected > 0 ? Stalled : ConnectTimedOut;
    else if (code == CURLE_PARTIAL_FILE || code == CURLE_GOT_NOTHING || code == CURLE_RECV_ERROR) result = CutShort;
    else if (code == CURLE_UNSUPPORTED_PROTOCOL) result = BadAddress;
    else result = Failed;
    if (result == Failed) error_ = t_->error[0] ? QString::fromLocal8Bit(t_->error) : QString::fromUtf8(curl_easy_strerror(code));
    t_.reset();
    // Last, from a copy: the handler may destroy this download.
    const auto finished = handlers_.finished;
    if (finished) finished(result);
}

QString UrlDownload::FailureText(Result result) const
{
    switch (result) {
    case Complete:
    case Stopped: return {};
    case BadAddress: return QStringLiteral("not an http or https address");
    case ConnectFailed: return QStringLiteral("the server refused the connection");
    case HostNotFound: return QStringLiteral("the host name is not known");
    case ConnectTimedOut: return QStringLiteral("no connection within %1 s").arg(limits_.connectMs / 1000.0);
    case Stalled:
        if (status_ == 0) return QStringLiteral("no answer within %1 s").arg(limits_.stallSeconds);
        return QStringLiteral("the transfer stalled: less than %1 bytes a second for %2 s")
            .arg(limits_.lowestBytesPerSecond)
            .arg(limits_.stallSeconds);
    case HttpError: return QStringLiteral("the server answered with HTTP status %1").arg(status_);
    case TooLarge: return QStringLiteral("larger than %1 bytes").arg(maxBytes_);
    case TooManyRedirects: return QStringLiteral("more than %1 redirects").arg(maxRedirects);
    case CutShort:
        if (status_ == 0) return QStringLiteral("the server closed the connection without an answer");
        if (announced_ >= 0)
            return QStringLiteral("the connection ended after %1 of %2 bytes").arg(received_).arg(announced_);
        return QStringLiteral("the connection ended after %1 bytes, before the end of the data").arg(received_);
    case Failed: return error_.isEmpty() ? QStringLiteral("the transfer failed") : error_;
    }
    return {};
}

} // namespace platform
