// The upload window and the FTP client against a real FTP server on 127.0.0.1.
#include "web_fixture.h"

#include "output/web/ftpform.h"
#include "output/web/htmlform.h"
#include "platform/ftpclient.h"

#include <QTest>

#include <tuple>
#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QProcess>
#include <QThread>
#include <functional>

namespace {

// pyftpdlib serving a temporary folder on a free port of 127.0.0.1, user "anna", password "geheim".
class FtpServer {
public:
    explicit FtpServer(const QString& root) : root_(root)
    {
        QDir().mkpath(root);
        port_ = testsupport::runHost("/usr/bin/python3 -c 'import socket; s=socket.socket(); "
                                     "s.bind((\"127.0.0.1\", 0)); print(s.getsockname()[1])'")
                    .trimmed()
                    .toInt();
        process_.setProcessChannelMode(QProcess::MergedChannels);
        process_.start("/usr/bin/python3", {"-m", "pyftpdlib", "-i", "127.0.0.1", "-p", QString::number(port_), "-w",
                                            "-d", root, "-u", "anna", "-P", "geheim"});
        process_.waitForStarted();
        std::ignore = QTest::qWaitFor([&] { return ready(); }, 60000);
    }
    ~FtpServer() { stop(); }
    // The server goes away; its folder stays.
    void stop()
    {
        process_.kill();
        process_.waitForFinished();
    }
    int port() const { return port_; }
    bool ready() const
    {
        int status = -1;
        testsupport::runHost(QString("/usr/bin/python3 -c 'import socket; socket.create_connection((\"127.0.0.1\", %1), 1)' 2>/dev/null")
                                 .arg(port_),
                             &status);
        return status == 0;
    }
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
    EXPECT_TRUE(form->Connected);
    const QMap<QString, QByteArray> expected{{"Web/Galerie/Img_1.jpg", "picture bytes"},
                                             {"Web/Galerie/gallery.html", "<HTML></HTML>"}};
    EXPECT_EQ(server->tree(), expected);
    const QString g = world.programDir() + "gallery\\";
    EXPECT_EQ(log(), QStringList({"copy " + g + "gallery.html Web/Galerie/gallery.html Upload success",
                                  "copy " + g + "Img_1.jpg Web/Galerie/Img_1.jpg Upload success"}));
    EXPECT_EQ(form->ProgressBar1->value(), 100);

    // While connected the button aborts instead.
    form->BitBtn1Click();
    EXPECT_FALSE(form->Connected);
}

TEST_F(FtpTest, AMadeGalleryArrivesWholeInAnExistingMixedCaseFolder)
{
    // The gallery window opens its result with the desktop's opener: nothing to open here.
    platform::ProgramTable::instance().set("open", "/bin/true");
    openShow({{"Abend.jpg", 400, 300, "Am Wasser <Abend> \"ruhig\""}, {"Turm #2.jpg", 300, 400, "<script>alert(1)</script>"}});
    THTMLForm html;
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
        {"wrong password", [&] { settings("Web/Galerie", "falsch"); },
         {"Error 530: Authentication failed.", LangText(2808)}},
        {"no host", [&] {
             world.writeHostFile("program/Gallery.ini", "[FTP]\r\nport=21\r\n");
             form = std::make_unique<TFTPForm>(world.programDir());
             form->FormActivate();
         }, {"Invalid Host", LangText(10028)}},
        {"port no number", [&] { settings("", "geheim", "einundzwanzig"); },
         {"'einundzwanzig' is not a valid integer value"}},
        {"stopped server", [&] {
             settings("Web/Galerie");
             server->stop();
         }, {"Connection Failed", LangText(2809)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dialogs.clear();
        c.prepare();
        form->BitBtn1Click();
        EXPECT_FALSE(form->Connected);
        EXPECT_EQ(dialogs.messageTexts(), c.messages);
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
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Command unknown!"}));
    EXPECT_TRUE(server->tree().isEmpty());
    EXPECT_TRUE(QDir(world.root() + "/server/Neu").exists());
    EXPECT_FALSE(QDir(world.root() + "/server/Neu/Tief").exists());
    const QStringList l = log();
    // Source and target both with a drive: an upload under the target's name, then a download
    // to it; the server has no such folder, so both fail and the local file is never made.
    const QString localFtp = QString(local).replace('\\', '/');
    const QString backFtp = QString(back).replace('\\', '/');
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
