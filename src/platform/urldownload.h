#pragma once
// One download of an http or https address, run by the event loop: the body arrives in pieces
// through handlers while the program goes on. Nothing but http and https is fetched, at most 5
// redirects are followed (to http or https only), a body larger than the caller's limit is
// refused whatever the headers say, and a server that does not connect in time or then sends
// (almost) nothing for a while is given up: no download runs for ever.
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
        ConnectFailed,      // connection refused
        HttpError,          // the server answered with a failure status (404 and the like)
        TooLarge,           // the body passed the limit
        TooManyRedirects,
        Stopped,            // the data handler or Abort stopped it
        Failed,             // any other transfer failure
        HostNotFound,       // the host name is not known
        ConnectTimedOut,    // no connection within the connect limit
        Stalled,            // less than the lowest speed for the stall limit, headers included
        CutShort,           // the connection ended before the body the server announced was in
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

    // The time limits every download runs under. The program keeps the defaults; tests shorten
    // them so that a server that stalls is given up within a test's time.
    struct Limits {
        int connectMs = 30000;         // to have a connection
        int stallSeconds = 30;         // to stay below the lowest speed before giving up
        int lowestBytesPerSecond = 1024;
        qint64 bodyCeiling = 0;        // above 0: no body is larger, whatever its caller allows
    };
    static Limits limits();
    static void setLimits(const Limits& limits);

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
    // Body bytes received so far.
    qint64 Received() const { return received_; }
    // What went wrong, in words, for a result other than Complete and Stopped (the status, the
    // limit that was passed, the bytes that came): empty for those two.
    QString FailureText(Result result) const;

private:
    struct Transfer;
    void poll();
    std::size_t receive(const char* data, std::size_t bytes);

    QString url_;
    qint64 maxBytes_;
    Handlers handlers_;
    std::unique_ptr<Transfer> t_;
    Limits limits_;
    int status_ = 0;
    qint64 received_ = 0;
    qint64 announced_ = -1; // the body's length as the server gave it, -1 when it did not
    QString error_;         // libcurl's words for a failure it gave no result of ours for
    bool startedTold_ = false;
    Result stop_ = Complete;
};

} // namespace platform
