#pragma once
// One download of an http or https address, run by the event loop: the body arrives in pieces
// through handlers while the program goes on. Nothing but http and https is fetched, at most 5
// redirects are followed (to http or https only), and a body larger than the caller's limit is
// refused.
#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace platform {

class UrlDownload {
public:
    enum Result : int {
        Complete = 0,       // the whole body arrived
        BadAddress,         // not an http or https address
        ConnectFailed,      // host unknown or connection refused
        HttpError,          // the server answered with a failure status (404 and the like)
        TooLarge,           // the body passed the limit
        TooManyRedirects,
        Stopped,            // the data handler or Abort stopped it
        Failed,             // any other transfer failure
    };
    struct Handlers {
        // The server answered with success; the body follows.
        std::function<void()> started;
        // A piece of the body; returning false stops the download (which it must not destroy).
        std::function<bool(const QByteArray& piece)> data;
        // Bytes so far and in all (0 when the server did not say).
        std::function<void(qint64 done, qint64 total)> progress;
        // The end, however it came. The download may be destroyed inside this handler.
        std::function<void(Result result)> finished;
    };

    UrlDownload(QString url, qint64 maxBytes, Handlers handlers);
    ~UrlDownload();
    UrlDownload(const UrlDownload&) = delete;
    UrlDownload& operator=(const UrlDownload&) = delete;

    // Starts it; BadAddress (nothing fetched) or Failed when it cannot start, Complete when it runs.
    Result Start();
    // Stops a download under way; finished is not called.
    void Abort();
    bool Running() const;
    // The last status the server answered with (0 before any).
    int HttpStatus() const { return status_; }

private:
    struct Transfer;
    void poll();
    std::size_t receive(const char* data, std::size_t bytes);

    QString url_;
    qint64 maxBytes_;
    Handlers handlers_;
    std::unique_ptr<Transfer> t_;
    int status_ = 0;
    qint64 received_ = 0;
    bool startedTold_ = false;
    Result stop_ = Complete;
};

} // namespace platform
