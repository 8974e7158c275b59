// The feed load of an image control and the download of BitmapDataPath that feeds it.
#include "imaging/pixfeedloader.h"

#include "imaging/piximage.h"
#include "platform/dialogs.h"

namespace imaging {

using namespace sdk;

void PixFeedLoader::ShowFirstPage()
{
    if (c_.fHasImage || !c_.fList) return;
    int count = 0;
    if (PX_GetBitmapListCount(c_.fList, &count) != PX_SUCCESS || count == 0) return;
    c_.fListCount = count;
    c_.fListIndex = 0;
    c_.fHasImage = PX_GetBitmapListItem(c_.fList, 0, &c_.fBitmap) == PX_SUCCESS;
    if (c_.fHasImage) c_.ImageChanged();
}

void PixFeedLoader::CloseFeed()
{
    c_.fLoadingPage = nullptr;
    feed_.Close();
}

void PixFeedLoader::Release()
{
    url_.Release();
    CloseFeed();
}

void PixFeedLoader::StopDownload()
{
    url_.Stop();
    CloseFeed();
    c_.dropList();
    c_.fLoading = false;
    c_.fReadyState = rsComplete;
}

int PixFeedLoader::StartDownload(const QString& address)
{
    platform::UrlDownload::Handlers handlers;
    handlers.data = [this](const QByteArray& piece) {
        data(piece);
        return feed_.IsOpen();
    };
    handlers.progress = [this](qint64 done, qint64 total) {
        if (c_.OnStatus && c_.fEnableProgressEvent) c_.OnStatus(&c_, total > 0 ? static_cast<int>(done * 100 / total) : 0);
    };
    handlers.finished = [this](platform::UrlDownload::Result r) { finished(r); };
    int result = url_.Start(address, std::move(handlers));
    if (result == PX_SUCCESS) {
        started();
        if (!feed_.IsOpen()) result = c_.fLastResult;
    }
    if (result != PX_SUCCESS) url_.Release();
    return result;
}

void PixFeedLoader::started()
{
    c_.SuspendMethodErrors();
    c_.StartFeedLoad(0, 0, -1);
    c_.ResumeMethodErrors();
    c_.fLoading = true;
    c_.fReadyState = rsLoading;
    if (c_.OnReadyStateChanged) c_.OnReadyStateChanged(&c_, rsLoading);
}

void PixFeedLoader::data(const QByteArray& data)
{
    if (!feed_.IsOpen()) return;
    c_.SuspendMethodErrors();
    try {
        c_.FeedLoad(data.constData(), data.size());
    } catch (...) {
        // An event handler failed: the download stops (nothing may leave through the transfer).
        CloseFeed();
        c_.dropList();
        c_.ImageChanged();
        c_.fLastResult = PXERR_ABORTED;
    }
    c_.ResumeMethodErrors();
}

void PixFeedLoader::finished(int error)
{
    const auto result = static_cast<platform::UrlDownload::Result>(error);
    const int failure = url_.Failure(result);
    const QString cause = url_.FailureText(result);
    url_.Release();
    c_.fLoading = false;
    if (result == platform::UrlDownload::Complete && feed_.IsOpen()) {
        // All arrived: the rest of the picture is decoded now. A picture that cannot be read is
        // reported as an error of the address.
        c_.fReadyState = rsLoading;
        c_.SuspendMethodErrors();
        const int r = c_.StopFeedLoad();
        c_.ResumeMethodErrors();
        if (r != PX_SUCCESS) reportFailure(r, QString());
        if (c_.OnReadyStateChanged && !c_.fDestroying) c_.OnReadyStateChanged(&c_, rsLoading);
    } else {
        // Nothing of a failed download is kept. A feed that refused the bytes keeps its own
        // result; the download's failure is named with its cause.
        const bool fed = feed_.IsOpen();
        CloseFeed();
        c_.dropList();
        c_.ImageChanged();
        if (!fed && result == platform::UrlDownload::Stopped)
            reportFailure(c_.fLastResult, QString());
        else
            reportFailure(failure, cause);
    }
    c_.fReadyState = rsComplete;
    if (c_.OnReadyStateChanged && !c_.fDestroying) c_.OnReadyStateChanged(&c_, rsComplete);
}

void PixFeedLoader::reportFailure(int result, const QString& cause)
{
    c_.fLastResult = result;
    if (!c_.fEnableMethodErrors || c_.fDestroying) return;
    QString message = formatMethodError(c_.objectName(), result, c_.fBitmapDataPath);
    if (!cause.isEmpty()) message += QStringLiteral("\n") + cause;
    platform::showError(message);
}

} // namespace imaging
