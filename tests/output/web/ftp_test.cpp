// The upload window and the FTP client against a real FTP server on 127.0.0.1.
#include "web_fixture.h"

#include "output/web/ftpform.h"
#include "output/web/htmlform.h"
#include "platform/ftpclient.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QScopeGuard>
#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QProcess>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <csignal>
#include <functional>

namespace {

// pyftpdlib serving a temporary folder on a port of 127.0.0.1 that the system chose, user
// "anna", password "geheim" (tests/output/web/ftpserver.py; options as it describes them).
class FtpServer {
public:
    explicit FtpServer(const QString& root, const QStringList& options = {}) : root_(root)
    {
        QDir().mkpath(root);
        process_.setStandardErrorFile(root + ".log"); // its log, beside the folder it serves
        process_.start("/usr/bin/python3", QStringList{FTP_SERVER_SCRIPT, "--root", root} + options);
        // The first line is the port, written once the server listens.
        if (process_.waitForStarted() && process_.waitForReadyRead(10000)) {
            while (!process_.canReadLine() && process_.waitForReadyRead(1000)) {
            }
            port_ = process_.readLine().trimmed().toInt();
        }
    }
    ~FtpServer() { stop(); }
    // The server goes away; its folder stays.
    void stop()
    {
        process_.kill();
        process_.waitForFinished();
    }
    // The server stands still: the system still takes connections for it, nothing answers.
    void freeze() { ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP); }
    int port() const { return port_; }
    bool ready() const { return port_ > 0; }
    // Every file below the root, relative, with its contents.
    QMap<QString, QByteArray> tree() const
    {
        QMap<QString, QByteArray> files;
        QDirIterator it(root_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString f = it.next();
            QFile file(f);
            file.open(QIODevice::ReadOnly);
            files.insert(QDir(root_).relativeFilePath(f), file.readAll());
        }
        return files;
    }

private:
    QString root_;
    int port_ = 0;
    QProcess process_;
};

} // namespace

class FtpTest : public WebTest {
protected:
    std::unique_ptr<FtpServer> server;
    std::unique_ptr<TFTPForm> form;

    void SetUp() override
    {
        WebTest::SetUp();
        server = std::make_unique<FtpServer>(world.root() + "/server");
        ASSERT_TRUE(server->ready());
        world.writeHostFile("program/gallery/Img_1.jpg", "picture bytes");
        world.writeHostFile("program/gallery/gallery.html", "<HTML></HTML>");
        world.writeHostFile("program/gallery/.hidden", "never sent");
    }
    void TearDown() override
    {
        form.reset();
        server.reset();
        WebTest::TearDown();
    }
    void settings(const QString& serverDir, const QString& password = "geheim", const QString& port = {})
    {
        world.writeHostFile("program/Gallery.ini",
                            ("[FTP]\r\nhost=127.0.0.1\r\nuser-ID=anna\r\npassword=" + password + "\r\nport=" +
                             (port.isEmpty() ? QString::number(server->port()) : port) + "\r\nServerDir=" + serverDir + "\r\n")
                                .toUtf8());
        form = std::make_unique<TFTPForm>(world.programDir());
        form->FormActivate();
    }
    QStringList log() const
    {
        QStringList l;
        for (int i = 0; i < form->ListBox1->count(); ++i) l << form->ListBox1->item(i)->text();
        return l;
    }
};

TEST_F(FtpTest, UploadsIntoAMixedCaseServerFolderKeepingEveryName)
{
    QDir().mkpath(world.root() + "/server/Web/Galerie");
    settings("Web/Galerie");
    EXPECT_EQ(form->Edit1->text(), "127.0.0.1");
    EXPECT_EQ(form->Edit4->text(), QString::number(server->port()));
    form->BitBtn1Click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_FALSE(form->Connected); // the session ends with its list
    const QMap<QString, QByteArray> expected{{"Web/Galerie/Img_1.jpg", "picture bytes"},
                                             {"Web/Galerie/gallery.html", "<HTML></HTML>"}};
    EXPECT_EQ(server->tree(), expected);
    const QString g = world.programDir() + "gallery\\";
    EXPECT_EQ(log(), QStringList({"copy " + g + "gallery.html Web/Galerie/gallery.html Upload success",
                                  "copy " + g + "Img_1.jpg Web/Galerie/Img_1.jpg Upload success"}));
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    EXPECT_EQ(form->ProgressLabel->text(), "Upload success");
}

TEST_F(FtpTest, AMadeGalleryArrivesWholeInAnExistingMixedCaseFolder)
{
    // The gallery window opens its result with the desktop's opener: nothing to open here.
    platform::ProgramTable::instance().set("open", "/bin/true");
    openShow({{"Abend.jpg", 400, 300, "Am Wasser <Abend> \"ruhig\""}, {"Turm #2.jpg", 300, 400, "<script>alert(1)</script>"}});
    THTMLForm html(mainForm->showHost());
    html.FormActivate();
    html.TextCheckBox->click();
    html.BitBtn1Click();
    platform::ProgramTable::instance().loadFromEnvironment();
    ASSERT_TRUE(html.PagesWritten) << dialogs.messageTexts().join("|").toStdString();

    QDir().mkpath(world.root() + "/server/Web/Galerie");
    settings("Web/Galerie");
    dialogs.clear();
    form->BitBtn1Click();
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(form->ProgressBar1->value(), 100);
    int status = -1;
    const QString diff = testsupport::runHost("diff -r '" + galleryHost() + "' '" + world.root() + "/server/Web/Galerie' 2>&1", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(diff.toStdString(), "");
    EXPECT_EQ(QDir(world.root() + "/server").entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"Web"});
}

TEST_F(FtpTest, EmptyServerFolderUploadsIntoTheLoginFolder)
{
    settings("  ");
    form->BitBtn1Click();
    EXPECT_EQ(server->tree().keys(), QStringList({"Img_1.jpg", "gallery.html"}));
}

TEST_F(FtpTest, AMissingServerFolderFailsPerFileAndTheListGoesOn)
{
    settings("fehlt");
    form->BitBtn1Click();
    EXPECT_TRUE(server->tree().isEmpty());
    const QStringList l = log();
    ASSERT_EQ(l.size(), 2);
    for (const QString& line : l) EXPECT_TRUE(line.endsWith("ERROR: Upload failure")) << line.toStdString();
    EXPECT_EQ(form->ProgressBar1->value(), 0); // a full bar would say the gallery is there
    EXPECT_EQ(dialogs.messageTexts(), QStringList{LangText(2810) + "\nfehlt/gallery.html\nfehlt/Img_1.jpg"});
    EXPECT_EQ(form->ProgressLabel->text(), LangText(2811));
}

TEST_F(FtpTest, EachFailedConnectionSaysWhyAndTouchesNothing)
{
    world.writeHostFile("server/Web/Galerie/alt.html", "the page on the server");
    const auto serverBefore = server->tree();
    const auto galleryBefore = snapshot(galleryHost());
    // The two things a user checks are told apart: the user name and password, or the server.
    ASSERT_NE(LangText(2808), LangText(2809));
    struct Case {
        const char* what;
        std::function<void()> prepare;
        QStringList messages;
    };
    const Case cases[] = {
        // One failure, one message: what to check, and below it what the client or server said.
        {"wrong password", [&] { settings("Web/Galerie", "falsch"); },
         {LangText(2808) + "\nError 530: Authentication failed."}},
        {"no host", [&] {
             world.writeHostFile("program/Gallery.ini", "[FTP]\r\nport=21\r\n");
             form = std::make_unique<TFTPForm>(world.programDir());
             form->FormActivate();
         }, {LangText(10028) + "\nInvalid Host"}},
        {"port no number", [&] { settings("", "geheim", "einundzwanzig"); },
         {"'einundzwanzig' is not a valid integer value"}},
        {"stopped server", [&] {
             settings("Web/Galerie");
             server->stop();
         }, {LangText(2809) + "\nConnection Failed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        c.prepare();
        form->ProgressBar1->setValue(100); // what a finished upload before left
        form->BitBtn1Click();
        EXPECT_FALSE(form->Connected);
        EXPECT_EQ(dialogs.messageTexts(), c.messages);
        for (const auto& m : dialogs.messages) {
            EXPECT_EQ(m.kind, platform::MessageKind::Error);
            EXPECT_EQ(m.format, Qt::PlainText);
        }
        EXPECT_EQ(form->ProgressBar1->value(), 0);
        EXPECT_TRUE(log().isEmpty());
        EXPECT_TRUE(form->LastCommand.startsWith("copy ")); // the list ran without the server
        EXPECT_EQ(server->tree(), serverBefore);
        EXPECT_EQ(snapshot(galleryHost()), galleryBefore);
    }
}

TEST_F(FtpTest, FirstUseConnectsOnTheUsualPortWithoutOneTyped)
{
    QFile::remove(world.programHost() + "/Gallery.ini");
    form = std::make_unique<TFTPForm>(world.programDir());
    form->FormActivate();
    EXPECT_EQ(form->Edit4->text(), "21");
    EXPECT_EQ(form->Settings.port, "21");
    // A port field left empty is the usual port too.
    form->Edit1->setText("127.0.0.1");
    form->Edit4->clear();
    form->ConnectFtp();
    EXPECT_EQ(form->NMFTP1->Port, 21);
    form->FormClose();
    // Typed, it is the one used.
    form->Edit4->setText(QString::number(server->port()));
    form->Edit2->setText("anna");
    form->Edit3->setText("geheim");
    form->ConnectFtp();
    EXPECT_TRUE(form->Connected);
    EXPECT_EQ(form->NMFTP1->Port, server->port());
}

TEST_F(FtpTest, CommandInterpreterRunsEveryVerb)
{
    settings("");
    form->ConnectFtp();
    ASSERT_TRUE(form->Connected);
    const QString local = world.programDir() + "gallery\\Img_1.jpg";
    const QString back = world.programDir() + "Back.jpg";
    form->CommandList = QStringList{"md |Neu", "cd |Neu", "md |Tief", "cd |Tief",
                                    "copy |" + local + " | Bild.jpg", "cd..", "del |Tief\\Bild.jpg", "rmdir |Tief",
                                    "copy |" + local + " | " + back, "cd\\", "", "zap |x"};
    form->RunFtpCommands();
    EXPECT_EQ(form->NMFTP1->CurrentDir(), "/");
    const QString backFtp = QString(back).replace('\\', '/');
    // The copy that failed both ways is named at the end of the run.
    EXPECT_EQ(dialogs.messageTexts().join('|').toStdString(), ("Command unknown!|" + LangText(2810) + "\n" + backFtp).toStdString());
    EXPECT_TRUE(server->tree().isEmpty());
    EXPECT_TRUE(QDir(world.root() + "/server/Neu").exists());
    EXPECT_FALSE(QDir(world.root() + "/server/Neu/Tief").exists());
    const QStringList l = log();
    // Source and target both with a drive: an upload under the target's name, then a download
    // to it; the server has no such folder, so both fail and the local file is never made.
    const QString localFtp = QString(local).replace('\\', '/');
    EXPECT_TRUE(l.contains("copy " + local + " " + backFtp + " ERROR: Upload failure"));
    EXPECT_TRUE(l.contains("copy " + localFtp + " " + backFtp + " ERROR: Download failure"));
    EXPECT_FALSE(QFile::exists(hostProgram("back.jpg")));
    EXPECT_TRUE(l.contains("md Neu  MakeDir success"));
    EXPECT_TRUE(l.contains("cd Neu  ChangeDir success"));
    EXPECT_TRUE(l.contains("del Tief/Bild.jpg  Delete success"));
    EXPECT_TRUE(l.contains("rmdir Tief  RemoveDir success"));
    EXPECT_TRUE(l.contains("cd\\   ChangeDir success"));
}

TEST(FtpClientPaths, RemotePathsResolveAgainstTheCurrentFolder)
{
    using platform::FtpClient;
    EXPECT_EQ(FtpClient::ResolveRemotePath("/", "a/b"), "/a/b");
    EXPECT_EQ(FtpClient::ResolveRemotePath("/a/b", "../"), "/a");
    EXPECT_EQ(FtpClient::ResolveRemotePath("/", "../"), "/");
    EXPECT_EQ(FtpClient::ResolveRemotePath("/a", "/x/./y"), "/x/y");
}

TEST_F(FtpTest, ClientDownloadReplacesTheLocalFileOnlyWhenComplete)
{
    platform::FtpClient client;
    client.Host = "127.0.0.1";
    client.Port = server->port();
    client.UserID = "anna";
    client.Password = "geheim";
    ASSERT_TRUE(client.Connect());
    QList<int> failures;
    QObject::connect(&client, &platform::FtpClient::OnFailure, [&](int t) { failures << t; });
    const QString local = world.programDir() + "keep.txt";
    world.writeHostFile("program/keep.txt", "mine");
    EXPECT_FALSE(client.Download("missing.txt", local));
    EXPECT_EQ(failures, QList<int>({platform::cmdDownload}));
    EXPECT_EQ(world.readHostFile("program/keep.txt"), "mine");
    EXPECT_FALSE(client.ChangeDir("nowhere"));
    EXPECT_EQ(client.CurrentDir(), "/");
    client.Disconnect();
    EXPECT_FALSE(client.Upload(local, "x.txt")); // not connected: nothing is sent
    EXPECT_TRUE(server->tree().isEmpty());
}

TEST_F(FtpTest, TheButtonAbortsARunningUploadAndTheRestOfTheList)
{
    // A file large enough to be still on its way when the button is pressed again.
    world.writeHostFile("program/gallery/big.jpg", QByteArray(8 * 1024 * 1024, 'x'));
    settings("");
    bool pressed = false;
    QObject::connect(form->NMFTP1, &platform::FtpClient::OnPacketSent, form.get(), [&] {
        if (!pressed) {
            pressed = true;
            form->BitBtn1Click(); // the user's second press while connected
        }
    });
    form->BitBtn1Click();
    ASSERT_TRUE(pressed);
    EXPECT_FALSE(form->Connected);
    const QStringList l = log();
    ASSERT_EQ(l.size(), 1) << l.join("\n").toStdString(); // the first file failed, the others were never tried
    EXPECT_TRUE(l[0].endsWith("big.jpg ERROR: Upload failure"));
    EXPECT_FALSE(server->tree().contains("gallery.html"));
    EXPECT_FALSE(server->tree().contains("Img_1.jpg"));
    EXPECT_EQ(form->ProgressBar1->value(), 0);
}

namespace {

// A JPEG of noise, so that it stays large: about 60 KB.
QByteArray noisyJpeg()
{
    QImage img(320, 240, QImage::Format_RGB32);
    quint32 x = 12345;
    for (int y = 0; y < img.height(); ++y)
        for (int i = 0; i < img.width(); ++i) {
            x = x * 1664525u + 1013904223u;
            img.setPixel(i, y, x >> 8);
        }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 95);
    return bytes;
}

} // namespace

// The server's data connection gives out after 6 KB and the server still answers "226": the
// client must not take that for an upload.
TEST_F(FtpTest, AFileCutShortOnTheWayEndsTheRunWithAFailureNamingIt)
{
    server = std::make_unique<FtpServer>(world.root() + "/cutting", QStringList{"--drop-after", "6144"});
    ASSERT_TRUE(server->ready());
    const QByteArray jpeg = noisyJpeg();
    ASSERT_GT(jpeg.size(), 30000);
    world.writeHostFile("program/gallery/Turm.jpg", jpeg);
    QDir().mkpath(world.root() + "/cutting/Web");
    settings("Web");
    form->BitBtn1Click();

    // What the server holds: the small files whole, the picture cut short.
    const auto tree = server->tree();
    EXPECT_EQ(tree.value("Web/Img_1.jpg"), "picture bytes");
    EXPECT_EQ(tree.value("Web/gallery.html"), "<HTML></HTML>");
    ASSERT_TRUE(tree.contains("Web/Turm.jpg"));
    EXPECT_LT(tree.value("Web/Turm.jpg").size(), jpeg.size());
    EXPECT_FALSE(jpegIntact(world.root() + "/cutting/Web/Turm.jpg"));

    // What the user is told: that one file, in one error, and nowhere a success for the run.
    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messageTexts().join("|").toStdString();
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_EQ(dialogs.messages[0].format, Qt::PlainText);
    EXPECT_EQ(dialogs.messages[0].text, LangText(2810) + "\nWeb/Turm.jpg");
    EXPECT_EQ(form->ProgressLabel->text(), LangText(2811));
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    const QStringList l = log();
    EXPECT_EQ(l.filter("Turm.jpg"), QStringList{"copy " + world.programDir() + "gallery\\Turm.jpg Web/Turm.jpg ERROR: Upload failure"});
    EXPECT_EQ(l.filter("success").size(), 2);
    EXPECT_FALSE(form->Connected);
}

// A finished upload leaves no session behind: the next press uploads again, and a server that
// has gone meanwhile is reported by that press, within the client's time limit.
TEST_F(FtpTest, TheNextPressAfterAnUploadUploadsAgainOrSaysTheServerIsGone)
{
    settings("");
    form->BitBtn1Click();
    ASSERT_EQ(form->ProgressBar1->value(), 100);
    ASSERT_TRUE(dialogs.messages.isEmpty());
    QFile::remove(world.root() + "/server/Img_1.jpg");
    form->BitBtn1Click();
    EXPECT_EQ(server->tree().keys(), QStringList({"Img_1.jpg", "gallery.html"}));
    EXPECT_EQ(log().filter("Upload success").size(), 2);
    EXPECT_TRUE(dialogs.messages.isEmpty());
    ASSERT_EQ(form->ProgressBar1->value(), 100);

    struct Case {
        const char* what;
        std::function<void()> stop;
    };
    const Case cases[] = {
        {"the server stands still", [&] { server->freeze(); }},
        {"the server is gone", [&] { server->stop(); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        c.stop();
        QElapsedTimer waited;
        waited.start();
        form->BitBtn1Click();
        // The client gives up after its 10 s; what took three times that never comes back.
        EXPECT_LT(waited.elapsed(), 25000);
        EXPECT_EQ(dialogs.messageTexts().size(), 1) << dialogs.messageTexts().join("|").toStdString();
        EXPECT_TRUE(dialogs.messageTexts().value(0).startsWith(LangText(2809))) << dialogs.messageTexts().join("|").toStdString();
        EXPECT_EQ(form->ProgressBar1->value(), 0);
        EXPECT_FALSE(form->Connected);
    }
}

// A server's reply is text: a refusal written as a page shows as the characters it holds, and
// the box the program shows has no heading and loads no picture.
TEST_F(FtpTest, AServersReplyIsShownAsTheCharactersItHolds)
{
    // The server sends its refusal with all but the first letter in lower case: the picture's
    // path is all lower case.
    const QString picture = "/tmp/quorbel-reply-" + QString::number(QCoreApplication::applicationPid()) + ".png";
    const auto removePicture = qScopeGuard([&] { QFile::remove(picture); });
    QImage red(64, 64, QImage::Format_RGB32);
    red.fill(Qt::red);
    ASSERT_TRUE(red.save(picture));
    const QString refusal = "<h1>zutritt verboten</h1><img src='" + picture + "'>";
    server = std::make_unique<FtpServer>(world.root() + "/refusing", QStringList{"--refusal", refusal});
    ASSERT_TRUE(server->ready());
    settings("", "falsch");
    form->BitBtn1Click();
    ASSERT_EQ(dialogs.messages.size(), 1);
    const testsupport::ShownMessage& m = dialogs.messages[0];
    EXPECT_EQ(m.text.toStdString(), (LangText(2808) + "\nError 530: " + refusal).toStdString());
    EXPECT_EQ(m.format, Qt::PlainText);

    // The real service's box for that message.
    const auto box = platform::makeMessageBox(m.kind, m.text, m.caption, m.format);
    auto* label = box->findChild<QLabel*>("qt_msgbox_label");
    ASSERT_TRUE(label);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->text(), m.text);
    box->adjustSize();
    if (const QString dir = qEnvironmentVariable("QUORBEL_SHOTS"); !dir.isEmpty()) box->grab().save(dir + "/ftp-refusal.png");
    const QImage shot = label->grab().toImage();
    int redPixels = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (QColor(shot.pixel(x, y)) == QColor(Qt::red)) ++redPixels;
    EXPECT_EQ(redPixels, 0); // the picture the reply names was never loaded
}
