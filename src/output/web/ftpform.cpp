#include "ftpform.h"

#include "app/language.h"
#include "app/wizardpicture.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/ftpclient.h"
#include "platform/hourglass.h"
#include "platform/numbers.h"
#include "platform/rounding.h"
#include "util/strutils.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>

TFTPForm::TFTPForm(const QString& programDir, QWidget* parent) : QDialog(parent), programDir_(programDir)
{
    setObjectName(QStringLiteral("FTPForm"));
    setWindowTitle(QStringLiteral("FTP"));
    setModal(false);
    setFixedSize(480, 520);

    Image1 = new QLabel(this);
    Image1->setGeometry(0, 0, 480, 60);
    Image1->setScaledContents(true);
    GroupBox1 = new QGroupBox(this);
    GroupBox1->setGeometry(12, 66, 456, 146);
    Label1 = new QLabel(GroupBox1);
    Label1->setGeometry(12, 24, 150, 22);
    Edit1 = new QLineEdit(GroupBox1);
    Edit1->setGeometry(170, 24, 270, 22);
    Label2 = new QLabel(GroupBox1);
    Label2->setGeometry(12, 54, 150, 22);
    Edit2 = new QLineEdit(GroupBox1);
    Edit2->setGeometry(170, 54, 270, 22);
    Label3 = new QLabel(GroupBox1);
    Label3->setGeometry(12, 84, 150, 22);
    Edit3 = new QLineEdit(GroupBox1);
    Edit3->setGeometry(170, 84, 270, 22);
    Edit3->setEchoMode(QLineEdit::Password);
    Label4 = new QLabel(GroupBox1);
    Label4->setGeometry(12, 114, 150, 22);
    Edit4 = new QLineEdit(GroupBox1);
    Edit4->setGeometry(170, 114, 80, 22);
    Edit4->setText(QStringLiteral("21"));
    GroupBox2 = new QGroupBox(this);
    GroupBox2->setGeometry(12, 218, 456, 60);
    Label5 = new QLabel(GroupBox2);
    Label5->setGeometry(12, 26, 150, 22);
    Edit5 = new QLineEdit(GroupBox2);
    Edit5->setGeometry(170, 26, 270, 22);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setGeometry(12, 286, 160, 30);
    ProgressLabel = new QLabel(this);
    ProgressLabel->setGeometry(180, 290, 288, 22);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setGeometry(12, 322, 456, 16);
    ProgressBar1->setRange(0, 100);
    ListBox1 = new QListWidget(this);
    ListBox1->setGeometry(12, 344, 456, 164);
    NMFTP1 = new platform::FtpClient(this);

    const std::pair<QObject*, const char*> names[] = {
        {Image1, "Image1"}, {GroupBox1, "GroupBox1"}, {Label1, "Label1"}, {Edit1, "Edit1"}, {Label2, "Label2"},
        {Edit2, "Edit2"}, {Label3, "Label3"}, {Edit3, "Edit3"}, {Label4, "Label4"}, {Edit4, "Edit4"},
        {GroupBox2, "GroupBox2"}, {Label5, "Label5"}, {Edit5, "Edit5"}, {BitBtn1, "BitBtn1"},
        {ProgressLabel, "ProgressLabel"}, {ProgressBar1, "ProgressBar1"}, {ListBox1, "ListBox1"}, {NMFTP1, "NMFTP1"}};
    for (const auto& [o, n] : names) o->setObjectName(QString::fromLatin1(n));

    connect(BitBtn1, &QPushButton::clicked, this, &TFTPForm::BitBtn1Click);
    connect(Edit1, &QLineEdit::textChanged, this, [this](const QString& t) { Settings.host = t; });
    connect(Edit2, &QLineEdit::textChanged, this, [this](const QString& t) { Settings.userId = t; });
    connect(Edit3, &QLineEdit::textChanged, this, [this](const QString& t) { Settings.password = t; });
    connect(Edit4, &QLineEdit::textChanged, this, [this](const QString& t) { Settings.port = t; });
    connect(Edit5, &QLineEdit::textChanged, this, [this](const QString& t) { Settings.serverDir = t; });
    Settings.port = Edit4->text();

    using platform::FtpClient;
    connect(NMFTP1, &FtpClient::OnSuccess, this, [this](int t) {
        ProgressLabel->setText(web::TransactionName(t) + QStringLiteral(" success"));
        logResult();
    });
    connect(NMFTP1, &FtpClient::OnFailure, this, [this](int t) {
        ProgressLabel->setText(QStringLiteral("ERROR: ") + web::TransactionName(t) + QStringLiteral(" failure"));
        failed_ = true;
        logResult();
    });
    connect(NMFTP1, &FtpClient::OnUnSupportedFunction, this, [this](int t) {
        ProgressLabel->setText(QStringLiteral("ERROR: ") + web::TransactionName(t) + QStringLiteral(" unsupported"));
        failed_ = true;
        logResult();
    });
    connect(NMFTP1, &FtpClient::OnPacketRecvd, this, [this](qint64 done, qint64 total) {
        if (Connected) ProgressLabel->setText(QString::number(done) + QStringLiteral(" of ") + QString::number(total));
    });
    connect(NMFTP1, &FtpClient::OnPacketSent, this, [this](qint64 done, qint64 total) {
        ProgressLabel->setText(QString::number(done) + QStringLiteral(" of ") + QString::number(total) +
                               QStringLiteral(" bytes sent"));
    });
    connect(NMFTP1, &FtpClient::OnConnect, this, [this] { ProgressLabel->setText(QStringLiteral("Connected")); });
    connect(NMFTP1, &FtpClient::OnDisconnect, this, [this] { ProgressLabel->setText(QStringLiteral("Disconnected")); });
    connect(NMFTP1, &FtpClient::OnHostResolved, this, [this] { ProgressLabel->setText(QStringLiteral("Host resolved")); });
    connect(NMFTP1, &FtpClient::OnTransactionStart, this,
            [this] { ProgressLabel->setText(QStringLiteral("Beginning Data Transfer")); });
    connect(NMFTP1, &FtpClient::OnTransactionStop, this,
            [this] { ProgressLabel->setText(QStringLiteral("Data Transfer Complete")); });
    // While connecting, what the client reports goes into the one message that tells the user
    // what to check.
    connect(NMFTP1, &FtpClient::InvalidHost, this, [this] { clientProblem(QStringLiteral("Invalid Host")); });
    connect(NMFTP1, &FtpClient::OnConnectionFailed, this, [this] { clientProblem(QStringLiteral("Connection Failed")); });
    connect(NMFTP1, &FtpClient::OnError, this, [this](int number, const QString& text) {
        clientProblem(QStringLiteral("Error ") + QString::number(number) + QStringLiteral(": ") + text);
    });
    FormCreate();
}

TFTPForm::~TFTPForm()
{
    if (Connected || NMFTP1->Connected()) NMFTP1->Disconnect();
}

QString TFTPForm::GalleryFolder() const { return programDir_ + QStringLiteral("gallery\\"); }
QString TFTPForm::SettingsPath() const { return programDir_ + QStringLiteral("Gallery.ini"); }

void TFTPForm::FormCreate()
{
    Image1->setPixmap(LoadWizardPicture());
    GroupBox1->setTitle(LangText(2800));
    Label1->setText(LangText(2801));
    Label2->setText(LangText(2802));
    Label3->setText(LangText(2803));
    Label4->setText(LangText(2804));
    GroupBox2->setTitle(LangText(2805));
    Label5->setText(LangText(2806));
    BitBtn1->setText(LangText(2807));
    ProgressLabel->clear();
}

void TFTPForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TFTPForm::FormActivate()
{
    ProgressBar1->setValue(0);
    LoadFtpSettings();
}

void TFTPForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QDialog::closeEvent(event);
}

void TFTPForm::FormClose()
{
    if (Connected) {
        NMFTP1->Abort();
        NMFTP1->Disconnect();
        Connected = false;
    }
    CommandList.clear();
}

void TFTPForm::LoadFtpSettings()
{
    const web::FtpSettings s = web::LoadFtpSettings(SettingsPath());
    Edit1->setText(s.host);
    Edit2->setText(s.userId);
    Edit3->setText(s.password);
    Edit4->setText(s.port);
    Edit5->setText(s.serverDir);
    Settings = s;
}

void TFTPForm::SaveFtpSettings()
{
    if (!web::SaveFtpSettings(SettingsPath(), Settings))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(SettingsPath(), platform::lastFileError()));
}

void TFTPForm::clientProblem(const QString& text)
{
    if (connecting_) connectProblem_ = text;
    else platform::showError(text);
}

void TFTPForm::BitBtn1Click()
{
    SaveFtpSettings();
    if (Connected) {
        NMFTP1->Abort();
        Connected = false;
        aborted_ = true;
        return;
    }
    if (running_) return; // the list of an aborted upload is still winding down
    ConnectFtp();
    CommandList.clear();
    BuildUploadCommands();
    RunFtpCommands();
}

void TFTPForm::ConnectFtp()
{
    // The bar tells about this run from its start, whatever the last one left.
    ProgressBar1->setValue(0);
    connectProblem_.clear();
    {
        platform::HourglassCursor hourglass;
        ListBox1->clear();
        // An empty field is the usual FTP port.
        const auto port = Settings.port.trimmed().isEmpty() ? std::optional<int>(21) : platform::parseInteger(Settings.port);
        if (!port || *port < 1 || *port > 65535) {
            // Not a port: nothing is tried, and the list that follows runs without a connection.
            platform::showError(QStringLiteral("'%1' is not a valid integer value").arg(Settings.port));
            return;
        }
        NMFTP1->Host = Settings.host.trimmed();
        NMFTP1->Port = *port;
        NMFTP1->TimeOut = 10000;
        NMFTP1->UserID = Settings.userId;
        NMFTP1->Password = Settings.password;
        connecting_ = true;
        const bool connected = NMFTP1->Connect();
        connecting_ = false;
        if (connected) {
            Connected = true;
            NMFTP1->Mode(platform::MODE_IMAGE);
            return;
        }
    }
    // Which of the user's entries to check: the server and port, or the user name and password;
    // below it what the client or the server said, in one message.
    QString text;
    switch (NMFTP1->ConnectError()) {
    case platform::FtpConnectError::LoginRefused: text = LangText(2808); break;
    case platform::FtpConnectError::Unreachable: text = LangText(2809); break;
    default: text = LangText(10028);
    }
    if (!connectProblem_.isEmpty()) text += u'\n' + connectProblem_;
    platform::showError(text);
}

void TFTPForm::BuildUploadCommands()
{
    ListBox1->clear();
    CommandList << web::BuildUploadCommands(GalleryFolder(), Settings.serverDir);
}

void TFTPForm::RunFtpCommands()
{
    running_ = true;
    failed_ = false;
    aborted_ = false;
    notArrived_.clear();
    const bool connectedAtStart = Connected;
    const int count = static_cast<int>(CommandList.size());
    for (int i = 0; i < count; ++i) {
        const QString line = CommandList[i].trimmed();
        if (!line.isEmpty()) {
            const web::FtpCommand c = web::ParseFtpCommand(line);
            ExecuteFtpCommand(c.verb, c.source, c.target);
        }
        ProgressBar1->setValue(platform::roundHalfEven((i + 1) / static_cast<double>(count) * 100.0));
        ProgressBar1->repaint();
    }
    // A full bar says the gallery is on the server; after a failure it starts again at 0.
    if (!Connected || failed_) ProgressBar1->setValue(0);
    // The session ends with its list: the button uploads again at the next press. The label
    // keeps what the run came to.
    if (NMFTP1->Connected()) {
        const QSignalBlocker quiet(NMFTP1);
        NMFTP1->Disconnect();
    }
    Connected = false;
    running_ = false;
    // Every file that is not on the server whole is named; a stopped run was the user's own.
    if (connectedAtStart && !aborted_ && !notArrived_.isEmpty()) {
        notArrived_.removeDuplicates();
        ProgressLabel->setText(LangText(2811));
        platform::showError(HeadedList(LangText(2810), notArrived_));
    }
}

void TFTPForm::ExecuteFtpCommand(const QString& verb, const QString& source, const QString& target)
{
    QString s = source;
    QString t = target;
    auto remember = [&] { LastCommand = verb + u' ' + s + u' ' + t; };
    if (verb == QStringLiteral("copy")) {
        if (s.contains(u':')) {
            t = web::ToFtpPath(t);
            remember();
            if (Connected && !NMFTP1->Upload(s, t)) notArrived_.append(t);
        }
        if (t.contains(u':')) {
            s = web::ToFtpPath(s);
            remember();
            if (Connected && !NMFTP1->Download(s, t)) notArrived_.append(t);
        }
        remember();
    } else if (verb == QStringLiteral("del")) {
        s = web::ToFtpPath(s);
        remember();
        if (Connected) NMFTP1->Delete(s);
    } else if (verb == QStringLiteral("md")) {
        s = web::ToFtpPath(s);
        remember();
        if (Connected) NMFTP1->MakeDirectory(s);
    } else if (verb == QStringLiteral("rmdir")) {
        s = web::ToFtpPath(s);
        remember();
        if (Connected) NMFTP1->RemoveDir(s);
    } else if (verb == QStringLiteral("cd")) {
        s = web::ToFtpPath(s);
        remember();
        if (Connected) NMFTP1->ChangeDir(s);
    } else if (verb == QStringLiteral("cd..")) {
        remember();
        if (Connected) NMFTP1->ChangeDir(QStringLiteral("../"));
    } else if (verb == QStringLiteral("cd\\")) {
        remember();
        // Up to the server's root; a folder that cannot be left ends the climb.
        while (Connected && NMFTP1->CurrentDir() != QStringLiteral("/"))
            if (!NMFTP1->ChangeDir(QStringLiteral("../"))) break;
    } else {
        remember();
        platform::showError(QStringLiteral("Command unknown!"));
    }
}

void TFTPForm::logResult() { ListBox1->addItem(LastCommand + u' ' + ProgressLabel->text()); }
