#include "ftpclient.h"

#include "curlsetup.h"
#include "files.h"

#include <QCoreApplication>
#include <QStringList>
#include <QUrl>
#include <curl/curl.h>

namespace platform {

struct FtpClient::Session {
    CURL* easy = nullptr;
    char error[CURL_ERROR_SIZE] = {};
    curl_slist* quote = nullptr;
    QIODevice* source = nullptr;  // upload
    QIODevice* target = nullptr;  // download
    bool writeFailed = false;
    qint64 lastNow = -1;
    QByteArray lastReply; // the server's last reply line while connecting

    ~Session()
    {
        if (quote) curl_slist_free_all(quote);
        if (easy) curl_easy_cleanup(easy);
    }
};

// The library's callbacks, with access to the client.
struct FtpTransferHooks {
    static size_t read(char* buffer, size_t size, size_t count, void* data)
    {
        auto* c = static_cast<FtpClient*>(data);
        if (c->aborted_) return CURL_READFUNC_ABORT;
        const qint64 n = c->s_->source->read(buffer, static_cast<qint64>(size * count));
        return n < 0 ? CURL_READFUNC_ABORT : static_cast<size_t>(n);
    }
    static size_t write(char* buffer, size_t size, size_t count, void* data)
    {
        auto* c = static_cast<FtpClient*>(data);
        const qint64 want = static_cast<qint64>(size * count);
        if (c->s_->target->write(buffer, want) != want) {
            c->s_->writeFailed = true;
            return 0; // the library ends the transfer with a write error
        }
        return static_cast<size_t>(want);
    }
    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }
    static size_t reply(char* buffer, size_t size, size_t count, void* data)
    {
        auto* c = static_cast<FtpClient*>(data);
        const QByteArray line = QByteArray(buffer, static_cast<qsizetype>(size * count)).trimmed();
        if (!line.isEmpty()) c->s_->lastReply = line;
        return size * count;
    }
    static int progress(void* data, curl_off_t dlTotal, curl_off_t dlNow, curl_off_t ulTotal, curl_off_t ulNow)
    {
        auto* c = static_cast<FtpClient*>(data);
        if (c->s_->source && ulNow != c->s_->lastNow) {
            c->s_->lastNow = ulNow;
            emit c->OnPacketSent(ulNow, ulTotal);
        } else if (c->s_->target && dlNow != c->s_->lastNow) {
            c->s_->lastNow = dlNow;
            emit c->OnPacketRecvd(dlNow, dlTotal);
        }
        QCoreApplication::processEvents();
        return c->aborted_ ? 1 : 0;
    }
};

FtpClient::FtpClient(QObject* parent) : QObject(parent), s_(std::make_unique<Session>()) { initCurlOnce(); }

FtpClient::~FtpClient() = default;

QString FtpClient::ResolveRemotePath(const QString& current, const QString& name)
{
    QStringList parts;
    const QString start = name.startsWith(u'/') ? name : current + u'/' + name;
    for (const QString& p : start.split(u'/', Qt::SkipEmptyParts)) {
        if (p == QStringLiteral(".")) continue;
        if (p == QStringLiteral("..")) {
            if (!parts.isEmpty()) parts.removeLast();
            continue;
        }
        parts << p;
    }
    return u'/' + parts.join(u'/');
}

QByteArray FtpClient::urlOf(const QString& absolutePath, bool folder) const
{
    QByteArray url = "ftp://";
    const QString host = Host.trimmed();
    url += host.contains(u':') ? "[" + host.toUtf8() + "]" : QUrl::toPercentEncoding(host, ".-");
    url += ":" + QByteArray::number(Port) + "/%2F";
    QByteArrayList parts;
    for (const QString& p : absolutePath.split(u'/', Qt::SkipEmptyParts)) parts << QUrl::toPercentEncoding(p);
    url += parts.join('/');
    if (folder && !parts.isEmpty()) url += '/';
    if (folder && parts.isEmpty()) url += '/';
    return url;
}

namespace {

void commonOptions(CURL* easy, const FtpClient& c, char* error, void* self, bool ascii)
{
    curl_easy_reset(easy);
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, error);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(easy, CURLOPT_USERNAME, c.UserID.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_PASSWORD, c.Password.toUtf8().constData());
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(c.TimeOut));
    curl_easy_setopt(easy, CURLOPT_SERVER_RESPONSE_TIMEOUT, static_cast<long>(std::max(1, c.TimeOut / 1000)));
    // A transfer that moves nothing for the time-out ends with an error.
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, static_cast<long>(std::max(1, c.TimeOut / 1000)));
    curl_easy_setopt(easy, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(easy, CURLOPT_TRANSFERTEXT, ascii ? 1L : 0L);
    curl_easy_setopt(easy, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(easy, CURLOPT_XFERINFOFUNCTION, &FtpTransferHooks::progress);
    curl_easy_setopt(easy, CURLOPT_XFERINFODATA, self);
}

} // namespace

bool FtpClient::Connect()
{
    if (busy_) return false;
    if (connected_) Disconnect();
    if (!s_->easy) s_->easy = curl_easy_init();
    connectError_ = FtpConnectError::Failed;
    if (!s_->easy) {
        emit OnConnectionFailed();
        return false;
    }
    aborted_ = false;
    commonOptions(s_->easy, *this, s_->error, this, mode_ == MODE_ASCII);
    s_->lastReply.clear();
    curl_easy_setopt(s_->easy, CURLOPT_HEADERFUNCTION, &FtpTransferHooks::reply);
    curl_easy_setopt(s_->easy, CURLOPT_HEADERDATA, this);
    const QByteArray url = "ftp://" +
        (Host.trimmed().contains(u':') ? "[" + Host.trimmed().toUtf8() + "]" : QUrl::toPercentEncoding(Host.trimmed(), ".-")) +
        ":" + QByteArray::number(Port) + "/";
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_NOBODY, 1L);
    busy_ = true;
    const CURLcode code = Host.trimmed().isEmpty() || Port <= 0 || Port > 65535 ? CURLE_COULDNT_RESOLVE_HOST
                                                                                : curl_easy_perform(s_->easy);
    busy_ = false;
    if (code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_URL_MALFORMAT) {
        connectError_ = FtpConnectError::InvalidHost;
        emit InvalidHost();
        return false;
    }
    if (code == CURLE_LOGIN_DENIED) {
        // The server's own words: "530 Login incorrect." gives 530 and its text.
        connectError_ = FtpConnectError::LoginRefused;
        long number = 0;
        curl_easy_getinfo(s_->easy, CURLINFO_RESPONSE_CODE, &number);
        QString text = QString::fromUtf8(s_->lastReply);
        if (text.left(3).toInt() == number && number > 0) text = text.mid(3).trimmed();
        if (text.isEmpty()) text = QString::fromUtf8(s_->error);
        emit OnError(static_cast<int>(number), text);
        return false;
    }
    if (code != CURLE_OK) {
        if (code == CURLE_COULDNT_CONNECT || code == CURLE_OPERATION_TIMEDOUT)
            connectError_ = FtpConnectError::Unreachable;
        emit OnConnectionFailed();
        return false;
    }
    connectError_ = FtpConnectError::None;
    emit OnHostResolved();
    char* entry = nullptr;
    curl_easy_getinfo(s_->easy, CURLINFO_FTP_ENTRY_PATH, &entry);
    currentDir_ = entry && *entry == '/' ? ResolveRemotePath(QStringLiteral("/"), QString::fromUtf8(entry))
                                         : QStringLiteral("/");
    connected_ = true;
    emit OnConnect();
    return true;
}

void FtpClient::Disconnect()
{
    if (busy_) aborted_ = true; // the running transfer ends first; its caller sees the failure
    const bool was = connected_;
    connected_ = false;
    if (!busy_ && s_->easy) {
        curl_easy_cleanup(s_->easy); // closes the control connection
        s_->easy = nullptr;
    }
    if (was) emit OnDisconnect();
}

void FtpClient::Abort() { aborted_ = true; }

bool FtpClient::finish(int transaction, int code)
{
    if (code == CURLE_OK) {
        emit OnSuccess(transaction);
        return true;
    }
    if (code == CURLE_UNSUPPORTED_PROTOCOL || code == CURLE_NOT_BUILT_IN) emit OnUnSupportedFunction(transaction);
    else emit OnFailure(transaction);
    return false;
}

bool FtpClient::runCommand(int transaction, const QString& command)
{
    if (!connected_ || busy_) return finish(transaction, CURLE_FAILED_INIT);
    aborted_ = false;
    commonOptions(s_->easy, *this, s_->error, this, mode_ == MODE_ASCII);
    if (s_->quote) curl_slist_free_all(s_->quote);
    s_->quote = curl_slist_append(nullptr, command.toUtf8().constData());
    const QByteArray url = urlOf(currentDir_, true);
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_QUOTE, s_->quote);
    curl_easy_setopt(s_->easy, CURLOPT_NOBODY, 1L);
    busy_ = true;
    const CURLcode code = curl_easy_perform(s_->easy);
    busy_ = false;
    curl_easy_setopt(s_->easy, CURLOPT_QUOTE, nullptr);
    return finish(transaction, code);
}

bool FtpClient::ChangeDir(const QString& dir)
{
    if (!connected_ || busy_) return finish(cmdChangeDir, CURLE_FAILED_INIT);
    const QString target = ResolveRemotePath(currentDir_, dir);
    aborted_ = false;
    commonOptions(s_->easy, *this, s_->error, this, mode_ == MODE_ASCII);
    const QByteArray url = urlOf(target, true);
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_NOBODY, 1L);
    busy_ = true;
    const CURLcode code = curl_easy_perform(s_->easy);
    busy_ = false;
    if (code == CURLE_OK) currentDir_ = target;
    return finish(cmdChangeDir, code);
}

bool FtpClient::MakeDirectory(const QString& dir)
{
    return runCommand(cmdMakeDir, QStringLiteral("MKD ") + ResolveRemotePath(currentDir_, dir));
}

bool FtpClient::RemoveDir(const QString& dir)
{
    return runCommand(cmdRemoveDir, QStringLiteral("RMD ") + ResolveRemotePath(currentDir_, dir));
}

bool FtpClient::Delete(const QString& name)
{
    return runCommand(cmdDelete, QStringLiteral("DELE ") + ResolveRemotePath(currentDir_, name));
}

bool FtpClient::Upload(const QString& localFile, const QString& remoteName)
{
    if (!connected_ || busy_) return finish(cmdUpload, CURLE_FAILED_INIT);
    const std::unique_ptr<QIODevice> in =
        isRegularFile(localFile) ? openFile(localFile, QIODevice::ReadOnly) : nullptr;
    if (!in) return finish(cmdUpload, CURLE_READ_ERROR);
    aborted_ = false;
    commonOptions(s_->easy, *this, s_->error, this, mode_ == MODE_ASCII);
    const QByteArray url = urlOf(ResolveRemotePath(currentDir_, remoteName), false);
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(s_->easy, CURLOPT_READFUNCTION, &FtpTransferHooks::read);
    curl_easy_setopt(s_->easy, CURLOPT_READDATA, this);
    curl_easy_setopt(s_->easy, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(in->size()));
    s_->source = in.get();
    s_->lastNow = -1;
    busy_ = true;
    emit OnTransactionStart();
    CURLcode code = curl_easy_perform(s_->easy);
    s_->source = nullptr;
    // A server whose data connection gave out may still answer "226 Transfer complete." with
    // part of the file: the upload counts only when the server holds every byte.
    if (code == CURLE_OK && mode_ != MODE_ASCII) code = static_cast<CURLcode>(checkRemoteSize(url, in->size()));
    busy_ = false;
    emit OnTransactionStop();
    return finish(cmdUpload, code);
}

int FtpClient::checkRemoteSize(const QByteArray& url, qint64 expected)
{
    commonOptions(s_->easy, *this, s_->error, this, false);
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_NOBODY, 1L);
    // The library hands the size over as a header line too; nothing of it is written anywhere.
    curl_easy_setopt(s_->easy, CURLOPT_WRITEFUNCTION, &FtpTransferHooks::discard);
    const CURLcode code = curl_easy_perform(s_->easy);
    if (code != CURLE_OK) return code;
    curl_off_t size = -1;
    curl_easy_getinfo(s_->easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size);
    // A server that does not tell sizes leaves the library's own checks.
    return size < 0 || size == expected ? CURLE_OK : CURLE_PARTIAL_FILE;
}

bool FtpClient::Download(const QString& remoteName, const QString& localFile)
{
    if (!connected_ || busy_) return finish(cmdDownload, CURLE_FAILED_INIT);
    // The local file is replaced only by a complete download.
    ReplacingWriter out(localFile);
    if (!out.open()) return finish(cmdDownload, CURLE_WRITE_ERROR);
    aborted_ = false;
    commonOptions(s_->easy, *this, s_->error, this, mode_ == MODE_ASCII);
    const QByteArray url = urlOf(ResolveRemotePath(currentDir_, remoteName), false);
    curl_easy_setopt(s_->easy, CURLOPT_URL, url.constData());
    curl_easy_setopt(s_->easy, CURLOPT_WRITEFUNCTION, &FtpTransferHooks::write);
    curl_easy_setopt(s_->easy, CURLOPT_WRITEDATA, this);
    s_->target = out.device();
    s_->writeFailed = false;
    s_->lastNow = -1;
    busy_ = true;
    emit OnTransactionStart();
    CURLcode code = curl_easy_perform(s_->easy);
    busy_ = false;
    s_->target = nullptr;
    emit OnTransactionStop();
    if (code == CURLE_OK && !out.commit()) code = CURLE_WRITE_ERROR;
    return finish(cmdDownload, code);
}

} // namespace platform
