#pragma once
// The FTP client component: one session with a server (connect, binary transfers, folders,
// deletes, uploads and downloads, abort), reporting what happens through its events. Local files
// are Windows paths; remote names are "/"-separated, relative to the current remote folder
// unless they begin with "/". Transfers run on the calling thread and let the framework process
// pending messages while they wait, so a window's abort button stays usable.
#include <QObject>
#include <QString>
#include <memory>

namespace platform {

// The transaction types of the client's events.
enum FtpTransaction : int {
    cmdChangeDir = 0, cmdMakeDir, cmdDelete, cmdRemoveDir, cmdList, cmdRename, cmdUpRestore,
    cmdDownRestore, cmdDownload, cmdUpload, cmdAppend, cmdReInit, cmdAllocate, cmdNList, cmdDoCommand,
};

enum FtpTransferMode : int { MODE_ASCII = 1, MODE_IMAGE = 2, MODE_BYTE = 3 };

// Why the last Connect failed.
enum class FtpConnectError : int {
    None,
    InvalidHost,  // no host, or a name that does not resolve
    Unreachable,  // nothing answers on that host and port in time
    LoginRefused, // the server answered and refused the user name or password
    Failed,       // anything else
};

class FtpClient : public QObject {
    Q_OBJECT
public:
    explicit FtpClient(QObject* parent = nullptr);
    ~FtpClient() override;

    QString Host;
    int Port = 21;
    int TimeOut = 10000; // milliseconds, for connecting and for a stalled transfer
    QString UserID;
    QString Password;

    // Logs in and takes the login folder as the current remote folder. False when the host is
    // unknown or the connection or login fails: InvalidHost, OnConnectionFailed (unreachable or
    // other) or OnError with the server's reply (login refused) has told which, and so does
    // ConnectError.
    bool Connect();
    FtpConnectError ConnectError() const { return connectError_; }
    void Disconnect();
    bool Connected() const { return connected_; }

    void Mode(FtpTransferMode mode) { mode_ = mode; }
    FtpTransferMode TransferMode() const { return mode_; }

    // Each returns true on success and fires OnSuccess or OnFailure with its transaction type.
    bool ChangeDir(const QString& dir);
    bool MakeDirectory(const QString& dir);
    bool RemoveDir(const QString& dir);
    bool Delete(const QString& name);
    // In binary mode an upload succeeds only when the server then reports the local file's size.
    bool Upload(const QString& localFile, const QString& remoteName);
    bool Download(const QString& remoteName, const QString& localFile);
    // The current remote folder, absolute ("/" for the server's root).
    QString CurrentDir() const { return currentDir_; }
    // Stops the running transfer at its next step; the transfer then fails.
    void Abort();

    // An absolute remote path of name taken from the folder current: "." and ".." folded.
    static QString ResolveRemotePath(const QString& current, const QString& name);

signals:
    void OnSuccess(int transaction);
    void OnFailure(int transaction);
    void OnUnSupportedFunction(int transaction);
    void OnPacketRecvd(qint64 bytesReceived, qint64 bytesTotal);
    void OnPacketSent(qint64 bytesSent, qint64 bytesTotal);
    void OnConnect();
    void OnDisconnect();
    void OnHostResolved();
    void InvalidHost();
    void OnTransactionStart();
    void OnTransactionStop();
    void OnError(int number, const QString& text);
    void OnConnectionFailed();

private:
    struct Session;
    std::unique_ptr<Session> s_;
    bool connected_ = false;
    bool aborted_ = false;
    bool busy_ = false;
    FtpConnectError connectError_ = FtpConnectError::None;
    FtpTransferMode mode_ = MODE_IMAGE;
    QString currentDir_ = QStringLiteral("/");

    QByteArray urlOf(const QString& absolutePath, bool folder) const;
    bool runCommand(int transaction, const QString& command);
    // CURLE_OK when the remote file at url holds expected bytes (or the server does not say).
    int checkRemoteSize(const QByteArray& url, qint64 expected);
    bool finish(int transaction, int code);
    friend struct FtpTransferHooks;
};

} // namespace platform
