#pragma once
// PixFeedLoader: the feed load of an image control and the download that feeds it. It keeps the
// feed (bytes that arrive in pieces, decoded into the control's bitmap list as they come), shows
// the first page as soon as it is decoded, and runs the download of an http or https address
// (BitmapDataPath) whose pieces it feeds in, telling the control's handlers how far it is and
// reporting a failed download as an error of the address.
#include "imaging/pixsources.h"

#include <QByteArray>
#include <QString>

namespace imaging {

class TPixImage;

class PixFeedLoader {
public:
    explicit PixFeedLoader(TPixImage& control) : c_(control) {}
    ~PixFeedLoader() { Release(); }
    PixFeedLoader(const PixFeedLoader&) = delete;
    PixFeedLoader& operator=(const PixFeedLoader&) = delete;

    // ---- the feed ----
    PixFeedSource& Feed() { return feed_; }
    bool FeedOpen() const { return feed_.IsOpen(); }
    // Shows the first page once it is decoded, while later ones may still arrive.
    void ShowFirstPage();
    // Closes the feed; the page being decoded goes with it.
    void CloseFeed();

    // ---- the download ----
    bool Downloading() const { return url_.Active(); }
    // Starts the download of address into a new feed load; PX_SUCCESS while it runs, else the
    // failure, with nothing left running.
    int StartDownload(const QString& address);
    // Ends a download under way: the feed closed, nothing kept.
    void StopDownload();
    // Lets go of the download and the feed without telling anyone (the control is going).
    void Release();

private:
    void started();
    void data(const QByteArray& data);
    void finished(int error);
    void reportFailure(int result, const QString& cause);

    TPixImage& c_;
    PixFeedSource feed_;
    PixUrlSource url_;
};

} // namespace imaging
