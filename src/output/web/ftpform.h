#pragma once
// The upload window: access data of the web server, one button that connects and uploads every
// file of the gallery folder (and aborts while connected), a status text and a log.
#include "ftpcommands.h"
#include "app/windowregistry.h"

#include <QDialog>
#include <QStringList>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
namespace platform {
class FtpClient;
}

class TFTPForm : public QDialog, public RegisteredWindow<TFTPForm> {
    Q_OBJECT
public:
    // programDir: the program directory (settings in "Gallery.ini", files in "gallery\").
    explicit TFTPForm(const QString& programDir, QWidget* parent = nullptr);
    ~TFTPForm() override;

    web::FtpSettings Settings;
    bool Connected = false;
    QStringList CommandList;
    QString LastCommand;

    QLabel* Image1;
    QGroupBox* GroupBox1;
    QLabel* Label1;
    QLineEdit* Edit1; // host
    QLabel* Label2;
    QLineEdit* Edit2; // user ID
    QLabel* Label3;
    QLineEdit* Edit3; // password
    QLabel* Label4;
    QLineEdit* Edit4; // port
    QGroupBox* GroupBox2;
    QLabel* Label5;
    QLineEdit* Edit5; // folder on the server
    QPushButton* BitBtn1;
    QLabel* ProgressLabel;
    QProgressBar* ProgressBar1;
    QListWidget* ListBox1;
    platform::FtpClient* NMFTP1;

    // True while the command list runs.
    bool Busy() const { return running_; }
    QString GalleryFolder() const;
    QString SettingsPath() const;

    void FormCreate();
    void FormActivate();
    void FormClose();
    void BitBtn1Click();
    void ConnectFtp();
    void BuildUploadCommands();
    void RunFtpCommands();
    void ExecuteFtpCommand(const QString& verb, const QString& source, const QString& target);
    void LoadFtpSettings();
    void SaveFtpSettings();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void logResult();
    // A problem the client reports: kept for the message of a failed connection while
    // connecting, shown as an error otherwise.
    void clientProblem(const QString& text);
    QString programDir_;
    bool running_ = false;
    bool failed_ = false;     // a transfer of the running list failed
    bool aborted_ = false;    // the user stopped the running list
    bool connecting_ = false;
    QString connectProblem_;  // what the client said about the failed connection
    QStringList notArrived_;  // the files of the running list that did not arrive whole
};
