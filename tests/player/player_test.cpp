#include "player/playerwindow.h"
#include "player/playplan.h"
#include "platform/colors.h"
#include "sdk/effectpaint.h"
#include "support/fixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTest>

#include <tuple>

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
        write("Effects.ini", "2000;8;4;1;0\r\n1001;8;4;1;0\r\n5000;8;4;1;0\r\n3000;8;4;1;0\r\n4000;8;6;1;0\r\n"
                             "7000;8;4;1;0\r\n10000;3;4;2;0\r\n");
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
                   "Language=ENGLISH\nShow=Quorbel_0002|Second|3\nPicture=c.jpg|See\nTransition=7|10000;3;4;2;0\n");
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

// Started as the screensaver the player never ends a show on its own, whatever
// "Settings.ini" says: after the last picture the first comes again, and without a show the
// text stays until the user comes back.
TEST_F(PlayerTest, AsTheScreensaverItNeverEndsOnItsOwn)
{
    makeRoot();
    write("Settings.ini", "[SETTINGS]\r\nStopQuorbelAtEnd=TRUE\r\nFullscreen=FALSE\r\nManuell=TRUE\r\n");
    EXPECT_TRUE(ReadPlan(Root, {}).settings.stopAtEnd);
    EXPECT_TRUE(ReadPlan(Root, {"TEST"}).settings.stopAtEnd);
    for (const char* argument : {"/s", "/S"}) {
        SCOPED_TRACE(argument);
        Plan plan = ReadPlan(Root, {argument});
        EXPECT_FALSE(plan.settings.stopAtEnd);
        EXPECT_TRUE(PlanText(plan).contains("StopQuorbelAtEnd=FALSE\n"));
        plan.settings.manuell = true;
        PlayerWindow w(plan);
        w.start();
        for (int i = 0; i < 3 * 3; ++i) QTest::keyClick(&w, Qt::Key_Right); // three rounds of three pictures
        EXPECT_FALSE(w.atEnd());
        EXPECT_EQ(w.showIndex(), 0);
        EXPECT_EQ(w.pictureIndex(), 0);
    }

    QDir(host("")).removeRecursively();
    PlayerWindow empty(ReadPlan(Root, {"/s"}));
    empty.start();
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 5500) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    EXPECT_TRUE(empty.isVisible());
}

TEST_F(PlayerTest, TheClockAdvancesWhenNotSteppedByHand)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    plan.shows[0].seconds = 1;
    PlayerWindow w(plan);
    w.start();
    std::ignore = QTest::qWaitFor([&] { return w.pictureIndex() != 0; }, 60000);
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

TEST_F(PlayerTest, EveryPictureComesInWithTheTransitionTheSettingsChoose)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    ASSERT_EQ(plan.transitions.size(), 7);
    for (const Show& show : plan.shows)
        for (const Picture& picture : show.pictures) EXPECT_EQ(picture.transition, 7) << picture.file.toStdString();

    // The choice, for each mode, from a short list with unusable lines.
    QList<std::optional<Transition>> list{ParseTransition("2000;8;4;1;0"), ParseTransition("7;10;4"),
                                          ParseTransition("5000;x;4;1;0"), ParseTransition("999;8;4;1;0"),
                                          ParseTransition(" 6003 ; 0 ; 300 ; 0 ; -2 ")};
    ASSERT_TRUE(list[0] && list[4]);
    EXPECT_FALSE(list[1] || list[2] || list[3]);
    // Grain and passes into their ranges, delay and wand size not below 0.
    EXPECT_EQ(list[4]->effect, 6003);
    EXPECT_EQ(list[4]->grain, 256);
    EXPECT_EQ(list[4]->passes, 1);
    EXPECT_EQ(list[4]->wandSize, 0);
    struct Case {
        const char* mode;
        int effect;
        quint32 random;
        int want;
    };
    for (const Case& c : {Case{"OFF", 1, 0, 0}, Case{"ON", 1, 0, 1}, Case{"ON", 5, 0, 5}, Case{"ON", 200, 0, 5},
                          Case{"ON", 0, 0, 1}, Case{"ON", 2, 0, 0}, Case{"RANDOM", 1, 4, 5}, Case{"RANDOM", 1, 5, 1},
                          Case{"RANDOM", 1, 3, 0}}) {
        Settings s;
        s.effectMode = c.mode;
        s.effect = c.effect;
        EXPECT_EQ(ChooseTransition(s, list, c.random), c.want) << c.mode << " " << c.effect << " " << c.random;
    }
    Settings on;
    on.effectMode = "ON";
    EXPECT_EQ(ChooseTransition(on, {}, 0), 0); // no "Effects.ini"

    // Random mode draws from the whole list, each picture on its own.
    write("Settings.ini", "[SETTINGS]\r\nEffectMode=RANDOM\r\n");
    QSet<int> seen;
    for (int i = 0; i < 40; ++i)
        for (const Show& show : ReadPlan(Root, {}).shows)
            for (const Picture& picture : show.pictures) seen.insert(picture.transition);
    EXPECT_GT(seen.size(), 3);
    for (int n : seen) EXPECT_TRUE(n >= 1 && n <= 7) << n;
}

// The transition is timed by its clock, not by how fast the frames are drawn: halfway on the
// clock the picture is partly in, however long the drawing took; at the end it is whole.
TEST_F(PlayerTest, APictureComesInStepByStepAndEndsAsTheWholePicture)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    plan.settings.manuell = true;
    plan.escapeText.clear(); // the hint goes after four seconds of the wall's clock: not in these pictures
    PlayerWindow w(plan);
    qint64 now = 0;
    w.setTransitionClock([&now] { return now; });
    // Lets the transition's timer tick; the limit only keeps a broken transition from hanging.
    auto runUntilStill = [&w] {
        QElapsedTimer guard;
        guard.start();
        while (w.inTransition() && guard.elapsed() < 60000) QTest::qWait(20);
    };
    const int perPercent = 3; // the delay of transition 7, the one the settings choose
    w.start();
    EXPECT_TRUE(w.inTransition());
    now = 50 * perPercent;
    QTest::qWait(100);
    EXPECT_TRUE(w.inTransition());
    const QImage half = w.grab().toImage();
    now = 100 * perPercent;
    runUntilStill();
    EXPECT_FALSE(w.inTransition());
    const QImage whole = w.grab().toImage();
    EXPECT_NE(half, whole);

    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_TRUE(w.inTransition());
    // A step during a transition starts the next one from what is shown.
    QTest::keyClick(&w, Qt::Key_Left);
    EXPECT_TRUE(w.inTransition());
    now += 100 * perPercent;
    runUntilStill();
    EXPECT_EQ(w.grab().toImage(), whole);
}

// While a picture stands, the one after it is read and fitted to the window on a worker thread,
// so that its turn comes without a read; a step back, or a window that changed its size since,
// reads the picture at its turn.
TEST_F(PlayerTest, TheNextPictureIsReadAheadOfItsTurn)
{
    makeRoot();
    Plan plan = ReadPlan(Root, {});
    plan.settings.manuell = true;
    plan.escapeText.clear();
    for (Show& show : plan.shows)
        for (Picture& picture : show.pictures) picture.transition = 0;
    PlayerWindow w(plan);
    w.start();
    const QImage first = w.grab().toImage();
    EXPECT_EQ(w.picturesReadAtTheirTurn(), 1);
    auto stepWhenReady = [](PlayerWindow& window, Qt::Key key) {
        EXPECT_TRUE(QTest::qWaitFor([&window] { return window.nextPictureReady(); }, 60000));
        QTest::keyClick(&window, key);
    };
    // A whole round of the three pictures of both shows, back to the first.
    for (int i = 0; i < 3; ++i) stepWhenReady(w, Qt::Key_Right);
    EXPECT_EQ(w.showIndex(), 0);
    EXPECT_EQ(w.pictureIndex(), 0);
    EXPECT_EQ(w.picturesReadAtTheirTurn(), 1);
    EXPECT_EQ(w.grab().toImage(), first);

    stepWhenReady(w, Qt::Key_Right);
    stepWhenReady(w, Qt::Key_Left);
    EXPECT_EQ(w.pictureIndex(), 0);
    EXPECT_EQ(w.picturesReadAtTheirTurn(), 2);

    EXPECT_TRUE(QTest::qWaitFor([&w] { return w.nextPictureReady(); }, 60000));
    w.resize(w.width() / 2, w.height() / 2);
    QTest::keyClick(&w, Qt::Key_Right);
    EXPECT_EQ(w.picturesReadAtTheirTurn(), 3);

    // After the last picture of a show that ends there is nothing to read.
    plan.settings.stopAtEnd = true;
    PlayerWindow last(plan);
    last.start();
    for (int i = 0; i < 2; ++i) stepWhenReady(last, Qt::Key_Right);
    EXPECT_EQ(last.showIndex(), 1);
    QTest::qWait(50);
    EXPECT_FALSE(last.nextPictureReady());
}

// Each step of a transition shows exactly what the effect draws, percent by percent, from the
// frame on the screen to the picture's whole frame (the picture with its texts as it stands once
// still): from the background at the start, from a picture that stood still, from a picture still
// coming in, and from a picture shown at once.
TEST_F(PlayerTest, ATransitionStepShowsTheEffectFromTheFrameOnTheScreen)
{
    makeRoot();
    // Three different pictures, narrower than the window so that the background shows beside them.
    for (const auto& [file, hue] : {std::pair{"Quorbel_0001/b.jpg", 0}, std::pair{"Quorbel_0001/a.jpg", 120},
                                    std::pair{"Quorbel_0002/c.jpg", 240}}) {
        QImage img(320, 240, QImage::Format_RGB32);
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) img.setPixelColor(x, y, QColor::fromHsv(hue, 55 + x * 200 / 320, 55 + y * 200 / 240));
        ASSERT_TRUE(img.save(host(file), "PNG"));
    }
    Plan plan = ReadPlan(Root, {});
    plan.settings.manuell = true;
    plan.settings.fileName = true;
    plan.escapeText.clear();
    for (Show& show : plan.shows) show.audio.clear(); // the tracks' trials would hold the clock's steps back
    // A wipe with its wand; the last picture is shown at once.
    plan.transitions = {ParseTransition("2000;8;4;1;3")};
    ASSERT_TRUE(plan.transitions[0]);
    plan.shows[0].pictures[0].transition = plan.shows[0].pictures[1].transition = 1;
    plan.shows[1].pictures[0].transition = 0;
    const int delay = 8;
    sdk::PxEffectParams effect;
    effect.effect = 2000;
    effect.grain = 4;
    effect.wandSize = 3;
    auto expected = [&effect](QImage from, const QImage& to, int percent) {
        for (int p = 1; p <= percent; ++p) sdk::PX_EfxPaintBitmap(&from, to, from.rect(), effect, static_cast<unsigned>(p), 100);
        return from;
    };
    // Where two frames differ (nothing when they are the same).
    auto differences = [](const QImage& a, const QImage& b) {
        if (a.size() != b.size()) return QRect(QPoint(0, 0), a.size().expandedTo(b.size()));
        QRect d;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) d |= QRect(x, y, 1, 1);
        return d;
    };

    PlayerWindow w(plan);
    qint64 now = 0, start = 0;
    w.setTransitionClock([&now] { return now; });
    auto screen = [&w] { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); };
    // The screen once the clock has come to percent (more than the first, which the turn shows).
    auto at = [&](int percent) {
        const QImage first = screen();
        now = start + (percent - 1) * delay;
        EXPECT_TRUE(QTest::qWaitFor([&] { return screen() != first; }, 60000));
        EXPECT_TRUE(w.inTransition());
        return screen();
    };
    auto whole = [&] {
        now = start + 100 * delay;
        EXPECT_TRUE(QTest::qWaitFor([&w] { return !w.inTransition(); }, 60000));
        return screen();
    };
    auto turn = [&](Qt::Key key) {
        start = now;
        QTest::keyClick(&w, key);
    };
    w.start();
    const QImage b60 = at(60), bWhole = whole();
    QImage background(bWhole.size(), QImage::Format_RGB32);
    background.fill(platform::colorToQColor(plan.settings.bkgColor));
    EXPECT_EQ(differences(b60, expected(background, bWhole, 60)), QRect());

    turn(Qt::Key_Right);
    const QImage a40 = at(40);
    turn(Qt::Key_Left); // back to b while a comes in
    const QImage b30 = at(30);
    EXPECT_EQ(differences(b30, expected(a40, bWhole, 30)), QRect());
    EXPECT_EQ(differences(whole(), bWhole), QRect());

    turn(Qt::Key_Right);
    const QImage a99 = at(99), aWhole = whole();
    EXPECT_EQ(differences(a40, expected(bWhole, aWhole, 40)), QRect());
    EXPECT_EQ(differences(a99, expected(bWhole, aWhole, 99)), QRect());

    turn(Qt::Key_Right);
    EXPECT_FALSE(w.inTransition());
    const QImage cWhole = screen();
    turn(Qt::Key_Right); // round to b, from c, which came without a transition
    EXPECT_EQ(w.showIndex(), 0);
    EXPECT_EQ(differences(at(60), expected(cWhole, bWhole, 60)), QRect());
    EXPECT_NE(cWhole, aWhole);
}

// A show whose tracks all fail to play stays silent once each has been tried: trying them round
// and round would keep the player from its pictures.
TEST_F(PlayerTest, TracksThatCannotPlayAreTriedOnceEach)
{
    makeRoot(); // the first show's three tracks are no sound
    Plan plan = ReadPlan(Root, {});
    plan.settings.manuell = true;
    ASSERT_EQ(plan.shows[0].audio.size(), 3);
    PlayerWindow w(plan);
    auto* music = w.findChild<QMediaPlayer*>();
    ASSERT_TRUE(music);
    int tried = 0, failed = 0;
    // Heard after the player's own handler, which tries the next track.
    QObject::connect(music, &QMediaPlayer::sourceChanged, &w, [&tried] { ++tried; });
    QObject::connect(music, &QMediaPlayer::mediaStatusChanged, &w,
                     [&failed](QMediaPlayer::MediaStatus status) { failed += status == QMediaPlayer::InvalidMedia; });
    w.start();
    EXPECT_TRUE(QTest::qWaitFor([&failed] { return failed >= 3; }, 60000));
    EXPECT_EQ(tried, 3);
    EXPECT_EQ(failed, 3);
}

// Started as the screensaver ("/s"), the installed copy plays the shows staged for it in the
// documents folder; otherwise, or while nothing is staged, the shows beside it.
TEST_F(PlayerTest, AsTheScreensaverItPlaysTheStagedShows)
{
    QDir().mkpath(world.hostC() + "/Documents/Quorbelix_Screensaver");
    struct Case {
        const char* program;
        QStringList arguments;
        const char* root;
    };
    const Case cases[] = {
        {"C:\\Windows\\system32\\Quorbelix.scr", {"/s"}, "C:\\Documents\\Quorbelix_Screensaver\\"},
        {"C:\\Windows\\system32\\Quorbelix.scr", {"/S"}, "C:\\Documents\\Quorbelix_Screensaver\\"},
        {"C:\\Windows\\system32\\Quorbelix.scr", {}, "C:\\Windows\\system32\\"},
        {"C:\\Windows\\system32\\Quorbelix.scr", {"TEST"}, "C:\\Windows\\system32\\"},
        {"C:\\Windows\\system\\Quorbel.scr", {"/s"}, "C:\\Windows\\system\\"}, // nothing staged for it
        {"D:\\Quorbelix\\Quorbelix-Player.exe", {"/s"}, "C:\\Documents\\Quorbelix_Screensaver\\"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowRootFor(c.program, c.arguments, "C:\\Documents"), c.root) << c.program << " " << c.arguments.join(' ').toStdString();
}

// A show without numbered tracks (the sample shows) plays its MP3 and WAV files in name order;
// numbered tracks, where there are any, are the only music.
TEST_F(PlayerTest, AShowWithoutNumberedTracksPlaysItsOtherMusicInNameOrder)
{
    makeRoot();
    for (const char* file : {"Quorbel_0002/b.wav", "Quorbel_0002/Bumble Bee - TORVELD.mp3", "Quorbel_0002/a.MP3", "Quorbel_0002/notes.txt"})
        write(file, "x");
    QDir().mkpath(host("Quorbel_0002/folder.mp3"));
    const Plan plan = ReadPlan(Root, {});
    ASSERT_EQ(plan.shows.size(), 2);
    EXPECT_EQ(plan.shows[0].audio, QStringList({"Audio001.mp3", "Audio002.mp3", "Audio010.wav"}));
    EXPECT_EQ(plan.shows[1].audio, QStringList({"a.MP3", "b.wav", "Bumble Bee - TORVELD.mp3"}));
}

// A long caption wraps within the screen, at most three lines, its last line where a short
// caption stands: no letter reaches the screen's sides, and one that fits in three lines shows
// every letter (as much ink as on a screen wide enough for one line).
TEST_F(PlayerTest, LongCaptionsWrapWithinTheScreen)
{
    QString medium, tooLong;
    for (int i = 1; medium.size() < 100; ++i) medium += QString("harbour%1 ").arg(i);
    for (int i = 1; tooLong.size() < 600; ++i) tooLong += QString("lighthouse%1 ").arg(i);
    struct Case { const char* name; QString caption; int lines; };
    const Case cases[] = {{"medium", medium.trimmed(), 2}, {"too long", tooLong.trimmed(), 3}};
    // White letters (over a black outline) on the black screen: the picture cannot be read.
    auto letters = [](const QImage& image, QRect* box, QList<int>* lineStarts) {
        qint64 ink = 0;
        bool inLine = false;
        for (int y = 0; y < image.height(); ++y) {
            bool row = false;
            for (int x = 0; x < image.width(); ++x) {
                const int g = qGray(image.pixel(x, y));
                if (g <= 128) continue;
                ink += g;
                row = true;
                *box |= QRect(x, y, 1, 1);
            }
            if (row && !inLine) lineStarts->append(y);
            inLine = row;
        }
        return ink;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Plan plan;
        plan.root = Root;
        plan.settings.pictureText = true;
        plan.settings.manuell = true;
        plan.settings.fullscreen = false;
        plan.settings.bkgColor = 0;
        plan.settings.textColor = 0xFFFFFF;
        plan.settings.textOffset = 30;
        Show show;
        show.folder = Root + "Quorbel_0001\\";
        show.pictures = {Picture{"none.jpg", c.caption, 0}};
        plan.shows = {show};
        PlayerWindow w(plan);
        w.resize(640, 480);
        const QImage screen = w.grab().toImage();
        if (qEnvironmentVariableIsSet("PLAYER_CAPTION_PNG"))
            screen.save(qEnvironmentVariable("PLAYER_CAPTION_PNG").replace(".png", QString("-%1.png").arg(c.lines)));
        QRect box;
        QList<int> lineStarts;
        const qint64 ink = letters(screen, &box, &lineStarts);
        EXPECT_EQ(lineStarts.size(), c.lines);
        EXPECT_GE(box.left(), 9);
        EXPECT_LE(box.right(), 640 - 10);
        EXPECT_LT(box.bottom(), 480 - 30);
        if (c.lines < 3) {
            w.resize(8000, 480); // the font follows the height only
            QRect wideBox;
            QList<int> wideLines;
            const qint64 wideInk = letters(w.grab().toImage(), &wideBox, &wideLines);
            EXPECT_EQ(wideLines.size(), 1);
            EXPECT_NEAR(double(ink) / double(wideInk), 1.0, 0.03);
            // The last line stands where the single line stands.
            EXPECT_NEAR(box.bottom(), wideBox.bottom(), 6);
        }
    }
}
