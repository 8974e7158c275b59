#include "player/playerwindow.h"
#include "player/playplan.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>

using namespace player;

class PlayerTest : public testsupport::WorldTest {
protected:
    const QString Root = QStringLiteral("D:\\Quorbel\\");

    QString host(const QString& rel) const { return world.hostD() + "/Quorbel/" + rel; }
    void write(const QString& rel, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(host(rel)).absolutePath());
        QFile f(host(rel));
        if (f.open(QIODevice::WriteOnly)) f.write(bytes);
    }
    void picture(const QString& rel)
    {
        QImage img(64, 48, QImage::Format_RGB32);
        img.fill(Qt::darkGreen);
        QDir().mkpath(QFileInfo(host(rel)).absolutePath());
        img.save(host(rel), "JPG");
    }
    void setSaved(const QString& rel, int secondsAgo)
    {
        QFile f(host(rel));
        f.open(QIODevice::ReadWrite);
        f.setFileTime(QDateTime::currentDateTime().addSecs(-secondsAgo), QFileDevice::FileModificationTime);
    }
    // Two shows, the placeholder and a show without pictures.
    void makeRoot()
    {
        write("Settings.ini", "[SETTINGS]\r\nStopQuorbelAtEnd=FALSE\r\nFullscreen=FALSE\r\nManuell=FALSE\r\nPictureTextVisible=TRUE\r\n"
                              "FileNameVisible=FALSE\r\nBKGColor=255\r\nTextColor=16777215\r\nEffectMode=ON\r\nEffect=7\r\nTextOffset=30\r\n");
        write("Language.ini", "[PLAYER]\r\nLanguage=ENGLISH\r\n100001=Loading\r\n100002=The end\r\n100003=Esc ends\r\n100004=No show\r\n");
        write("Quorbel_0001/Quorbel.ini", "[QUORBEL]\r\nTitel=First\r\nTime=4,5\r\n");
        write("Quorbel_0001/Pictures.ini", "b.jpg | Bee > caption\r\na.jpg | \r\nmissing.jpg | gone\r\n..\\Settings.ini | escape\r\n");
        picture("Quorbel_0001/a.jpg");
        picture("Quorbel_0001/b.jpg");
        for (const char* track : {"Audio010.wav", "Audio002.mp3", "Audio001.mp3", "music.mp3", "_F_Audio003.mp3"}) write(QString("Quorbel_0001/") + track, "x");
        write("Quorbel_0002/Quorbel.ini", "[QUORBEL]\r\nTitel=Second\r\nTime=\r\n");
        write("Quorbel_0002/Pictures.ini", "c.jpg | See\r\n");
        picture("Quorbel_0002/c.jpg");
        write("del/Quorbel.ini", "[QUORBEL]\r\nTitel=SPECIALDUMMY\r\n");
        write("Quorbel_0003/Quorbel.ini", "[QUORBEL]\r\nTitel=Empty\r\n");
        setSaved("Quorbel_0001/Pictures.ini", 100);
        setSaved("Quorbel_0002/Pictures.ini", 10);
    }
};

TEST_F(PlayerTest, WithoutArgumentEveryShowPlaysInFolderOrder)
{
    makeRoot();
    const Plan plan = ReadPlan(Root, {});
    ASSERT_EQ(plan.shows.size(), 2);
    EXPECT_EQ(plan.shows[0].name, "Quorbel_0001");
    EXPECT_EQ(plan.shows[0].title, "First");
    EXPECT_EQ(plan.shows[0].seconds, 4);
    ASSERT_EQ(plan.shows[0].pictures.size(), 2);
    EXPECT_EQ(plan.shows[0].pictures[0].file, "b.jpg");
    EXPECT_EQ(plan.shows[0].pictures[0].caption, "Bee > caption");
    EXPECT_EQ(plan.shows[0].pictures[1].caption, "");
    EXPECT_EQ(plan.shows[0].audio, QStringList({"Audio001.mp3", "Audio002.mp3", "Audio010.wav"}));
    EXPECT_EQ(plan.shows[1].seconds, 3);
    const Settings& s = plan.settings;
    EXPECT_FALSE(s.stopAtEnd);
    EXPECT_FALSE(s.fullscreen);
    EXPECT_FALSE(s.manuell);
    EXPECT_TRUE(s.pictureText);
    EXPECT_EQ(s.bkgColor, 255);
    EXPECT_EQ(s.effectMode, "ON");
    EXPECT_EQ(s.effect, 7);
    EXPECT_EQ(s.textOffset, 30);
    EXPECT_EQ(plan.language, "ENGLISH");
    EXPECT_EQ(plan.endText, "The end");
}

TEST_F(PlayerTest, TestPlaysTheShowSavedLast)
{
    makeRoot();
    EXPECT_EQ(ReadPlan(Root, {"TEST"}).shows.size(), 1);
    EXPECT_EQ(ReadPlan(Root, {"TEST"}).shows[0].name, "Quorbel_0002");
    setSaved("Quorbel_0001/Pictures.ini", 1);
    EXPECT_EQ(ReadPlan(Root, {"TEST"}).shows[0].name, "Quorbel_0001");
}

TEST_F(PlayerTest, TheDeliveredPlayerPrintsItsPlan)
{
    makeRoot();
    const QString built = qEnvironmentVariable("QUORBEL_PROGRAM_BUILD_DIR") + "/quorbel/Quorbel-Player.exe";
    ASSERT_TRUE(QFile::copy(built, host("Quorbel-Player.exe")));
    int status = -1;
    const QString out = testsupport::runHost("QT_QPA_PLATFORM=offscreen QUORBEL_PLAYER_PLAN=- '" + host("Quorbel-Player.exe") + "' TEST", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(out, "Arguments=TEST\nStopQuorbelAtEnd=FALSE\nFullscreen=FALSE\nManuell=FALSE\nPictureTextVisible=TRUE\n"
                   "FileNameVisible=FALSE\nBKGColor=255\nTextColor=16777215\nEffectMode=ON\nEffect=7\nTextOffset=30\n"
                   "Language=ENGLISH\nShow=Quorbel_0002|Second|3\nPicture=c.jpg|See\n");
}

TEST_F(PlayerTest, KeysStepThroughTheShowsAndTheEndDependsOnEndlessPlay)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    plan.settings.manuell = true;
    {
        PlayerWindow w(plan);
        w.start();
        EXPECT_EQ(w.pictureIndex(), 0);
        QTest::keyClick(&w, Qt::Key_Right);
        EXPECT_EQ(w.pictureIndex(), 1);
        QTest::keyClick(&w, Qt::Key_Right);
        EXPECT_EQ(w.showIndex(), 1);
        QTest::keyClick(&w, Qt::Key_Left);
        EXPECT_EQ(w.showIndex(), 0);
        EXPECT_EQ(w.pictureIndex(), 1);
        QTest::keyClick(&w, Qt::Key_Right);
        QTest::keyClick(&w, Qt::Key_Right); // endless: back to the first show
        EXPECT_EQ(w.showIndex(), 0);
        EXPECT_EQ(w.pictureIndex(), 0);
        EXPECT_FALSE(w.atEnd());
        QTest::keyClick(&w, Qt::Key_Escape);
        EXPECT_FALSE(w.isVisible());
    }
    plan.settings.stopAtEnd = true;
    PlayerWindow w(plan);
    w.start();
    for (int i = 0; i < 3; ++i) QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_TRUE(w.atEnd());
}

TEST_F(PlayerTest, TheClockAdvancesWhenNotSteppedByHand)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    plan.shows[0].seconds = 1;
    PlayerWindow w(plan);
    w.start();
    QElapsedTimer t;
    t.start();
    while (w.pictureIndex() == 0 && t.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_EQ(w.pictureIndex(), 1);
}

TEST_F(PlayerTest, AnEmptyRootShowsTheNoShowText)
{
    write("Language.ini", "[PLAYER]\r\n100004=No show\r\n");
    const Plan plan = ReadPlan(Root, {"TEST"});
    EXPECT_TRUE(plan.shows.isEmpty());
    EXPECT_TRUE(plan.settings.fullscreen); // defaults without "Settings.ini"
    PlayerWindow w(plan);
    w.start();
    EXPECT_TRUE(w.atEnd());
}
