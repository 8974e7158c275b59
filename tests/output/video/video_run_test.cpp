// The video run: a show of three pictures and an MP3 becomes a video CD or super video CD.
#include "video_fixture.h"

#include <QImage>
#include "output/video/videoframes.h"
#include "platform/process.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QPainter>
#include <QProgressBar>
#include <QScreen>
#include <QTimer>

namespace {

struct PlainCase {
    const char* mode;
    bool pal;
    int width, height;
    const char* modeLine;
    const char* file;
};

} // namespace

// Plain modes: one AVI frame per picture plus the closing picture, each held for the seconds
// per picture; the soundtrack is cut to seconds × pictures + 4.
TEST_F(VideoTest, PlainModesWriteAnAviOfOneFramePerPictureWithTheSoundtrack)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    const PlainCase cases[] = {
        {"VCD", true, 352, 288, "MODE: PAL VCD", "holiday_VCD.avi"},
        {"SVCD", false, 480, 480, "MODE: NTSC SVCD", "holiday_SVCD.avi"},
        {"SVCD", true, 576, 480, "MODE: PAL SVCD", "holiday_SVCD.avi"}, // 576 wide, 480 high
        {"VCD", false, 352, 240, "MODE: NTSC VCD", "holiday_VCD.avi"},
    };
    createShow("2");
    addMp3("Audio001.mp3", 15);
    makeInstructionsDialog(false);
    for (const PlainCase& c : cases) {
        SCOPED_TRACE(c.modeLine);
        dialogs.clear();
        instructionsSeen.clear();
        makeVideo(c.mode, c.pal, false);
        ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
        EXPECT_TRUE(dvd->RunOver);
        const QString avi = videoHost(c.file);
        ASSERT_TRUE(QFile::exists(avi)) << avi.toStdString();
        const QJsonObject probed = probe(avi);
        const QJsonObject v = stream(probed, "video");
        EXPECT_EQ(v["width"].toInt(), c.width);
        EXPECT_EQ(v["height"].toInt(), c.height);
        EXPECT_EQ(v["nb_read_frames"].toString(), "4"); // three pictures and the closing picture
        EXPECT_EQ(v["r_frame_rate"].toString(), "1/2"); // each frame held 2 seconds
        const QJsonObject a = stream(probed, "audio");
        EXPECT_EQ(a["sample_rate"].toString(), "44100");
        EXPECT_EQ(a["channels"].toInt(), 2);
        // The soundtrack is cut from the 15 s track after the block that reaches 2 × 3 + 4
        // seconds: 441,000 sample frames and less than one block of 4,000 more.
        const qint64 samples = testsupport::runHost("ffmpeg -nostdin -v error -i '" + avi + "' -map 0:a -f s16le - | wc -c")
                                   .trimmed().toLongLong() / 4;
        EXPECT_GE(samples, 441000);
        EXPECT_LT(samples, 445000);
        EXPECT_NEAR(v["duration"].toString().toDouble(), 8, 0.01);
        EXPECT_EQ(decodeErrors(avi), "");
        // A plain run leaves the encoder folder empty.
        EXPECT_TRUE(QDir(encoderHost()).entryList(QDir::Files).isEmpty()) << QDir(encoderHost()).entryList(QDir::Files).join(' ').toStdString();

        const QStringList log = logLines();
        const QStringList expected = {
            "BEGIN", c.modeLine, "START: Convert pictures for video", "FERTIG: Bilder für Video konvertieren",
            "START: AUDIO", "     ---------MP3TOWAV---------", "        Fertig: Lame.exe", "     Audio: 10 sec",
            "     Audio created " + form->EncoderFolder + "Input.wav", "START: AVI",
            "     AviWriter: Audiodatei=Input.wav", "     Fertig: AviWriter", "FERTIG: AVI", "END"};
        qsizetype at = 0;
        for (const QString& line : expected) {
            const qsizetype found = log.indexOf(line, at);
            EXPECT_GE(found, 0) << "missing or out of order: " << line.toStdString() << "\n" << log.join('\n').toStdString();
            if (found >= 0) at = found + 1;
        }

        // Closing the window tells where the video is and offers the burning guide; the player
        // icon an earlier showing left visible is hidden.
        instructions->Prepare("earlier heading", "earlier text", false, true);
        selectMakePage();
        confirmInstructions();
        dvd->CloseBitBtn->click();
        EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
        EXPECT_EQ(dialogs.modalForms, QStringList({"AnweisungForm"}));
        ASSERT_EQ(instructionsSeen.size(), 1);
        const bool vcd = QString(c.mode) == "VCD";
        EXPECT_EQ(instructionsSeen[0].heading, LangText(vcd ? 4607 : 4608));
        EXPECT_EQ(instructionsSeen[0].text, LangText(vcd ? 4622 : 4624) + " " + form->VideoFolder + " "
                                                + LangText(vcd ? 4623 : 4625));
        EXPECT_TRUE(instructionsSeen[0].burningGuide);
        EXPECT_FALSE(instructionsSeen[0].icon);
        EXPECT_FALSE(instructionsSeen[0].iconLabel);
        EXPECT_EQ(instructionsSeen[0].page, 0);
    }
}

// The frames themselves: the placement of each picture and the caption band.
TEST_F(VideoTest, FramesPlacePicturesInTheFrameWithTheCaptionBand)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    form->BKGColor = 0x00FF00; // green (0x00BBGGRR)
    form->TextOffset = 10;
    dvd->ModeName = "VCD";
    dvd->FrameWidth = 352;
    dvd->FrameHeight = 288;
    QDir().mkpath(encoderHost());
    const QString e = form->EncoderFolder;
    auto frame = [&](const QString& name, const QString& caption) {
        EXPECT_TRUE(video::ConvertPictureForVideo(form->CurrentShow(), dvd->frameSettings(), caption, showWin(name), e + "inp0001",
                                                  dvd->frameEvents()));
        return QImage(encoderHost("inp0001.bmp"));
    };
    auto isBackground = [](QRgb c) { return qGreen(c) > 200 && qRed(c) < 60 && qBlue(c) < 60; };

    // Landscape 800 × 600: width 352, height 264, 12 rows of background above and below.
    QImage f = frame("beach.jpg", "");
    ASSERT_EQ(f.size(), QSize(352, 288));
    EXPECT_TRUE(isBackground(f.pixel(176, 5)));
    EXPECT_FALSE(isBackground(f.pixel(176, 14)));
    EXPECT_FALSE(isBackground(f.pixel(0, 144)));

    // Portrait 300 × 1000: height 288, width round(0.3 × 288) = 86, centred.
    f = frame("tower.jpg", "");
    EXPECT_TRUE(isBackground(f.pixel(130, 144)));
    EXPECT_FALSE(isBackground(f.pixel(176, 144)));
    EXPECT_FALSE(isBackground(f.pixel(176, 0)));

    // Small 120 × 90: unscaled in the middle.
    f = frame("small.jpg", "");
    EXPECT_TRUE(isBackground(f.pixel(115, 144)));
    EXPECT_FALSE(isBackground(f.pixel(117, 144)));
    EXPECT_FALSE(isBackground(f.pixel(234, 144)));
    EXPECT_TRUE(isBackground(f.pixel(237, 144)));

    // A caption on the portrait picture: a background band across the whole width whose bottom
    // lies TextOffset rows above the bottom edge; the picture shows below the band.
    f = frame("tower.jpg", "Tower");
    EXPECT_TRUE(isBackground(f.pixel(140, 288 - 10 - 3)));
    EXPECT_TRUE(isBackground(f.pixel(210, 288 - 10 - 3)));
    EXPECT_FALSE(isBackground(f.pixel(176, 288 - 5)));

    // A picture that cannot be read is reported and stops the step.
    run(QString("sh -c \"printf 'not a picture' > '%1'\"").arg(showHost("broken.jpg")));
    EXPECT_FALSE(video::ConvertPictureForVideo(form->CurrentShow(), dvd->frameSettings(), "Tower", showWin("broken.jpg"), e + "inp0002",
                                               dvd->frameEvents()));
    EXPECT_FALSE(QFile::exists(encoderHost("inp0002.bmp")));
    EXPECT_FALSE(dialogs.messages.isEmpty());
}

// A picture fitted into the frame: decoded at a reduced size where it is a JPEG, the same
// picture as from a PNG, in the frames of either mode; what cannot be read says why.
TEST_F(VideoTest, PicturesAreFittedIntoTheFrame)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    run("convert -size 2560x1440 gradient:orange-navy -fill white -draw 'circle 1280,720 1280,200' '" + showHost("big.png") + "'");
    run("convert '" + showHost("big.png") + "' -quality 95 '" + showHost("big.jpg") + "'");
    run("convert -size 1000x3000 gradient:red-blue '" + showHost("portrait.jpg") + "'");
    struct Case {
        const char* file;
        int frameWidth, frameHeight;
        QRect placed;
    };
    const Case cases[] = {
        {"big.jpg", 352, 288, {0, 45, 352, 198}},    // 2560 x 1440: the frame's width, centred
        {"big.png", 352, 288, {0, 45, 352, 198}},
        {"big.jpg", 480, 480, {0, 105, 480, 270}},
        {"portrait.jpg", 480, 480, {160, 0, 160, 480}}, // the frame's height
    };
    QImage bigFromJpeg, bigFromPng;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const video::PlacedPicture p = video::PlacePicture(showWin(c.file), c.frameWidth, c.frameHeight);
        ASSERT_FALSE(p.image.isNull()) << p.error.toStdString();
        EXPECT_EQ(QRect(QPoint(p.x, p.y), p.image.size()), c.placed);
        if (c.frameWidth == 352 && QString(c.file) == "big.jpg") bigFromJpeg = p.image;
        if (QString(c.file) == "big.png") bigFromPng = p.image;
    }
    // The reduced decoding gives the picture the full one gives.
    ASSERT_EQ(bigFromJpeg.size(), bigFromPng.size());
    double difference = 0;
    for (int y = 0; y < bigFromJpeg.height(); ++y)
        for (int x = 0; x < bigFromJpeg.width(); ++x) {
            const QRgb a = bigFromJpeg.pixel(x, y), b = bigFromPng.pixel(x, y);
            difference += std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
        }
    EXPECT_LT(difference / (3.0 * bigFromJpeg.width() * bigFromJpeg.height()), 3.0);

    run(QString("sh -c \"printf 'not a picture' > '%1'\"").arg(showHost("broken.jpg")));
    for (const char* bad : {"broken.jpg", "missing.jpg"}) {
        const video::PlacedPicture p = video::PlacePicture(showWin(bad), 352, 288);
        EXPECT_TRUE(p.image.isNull()) << bad;
        EXPECT_FALSE(p.error.isEmpty()) << bad;
    }
}

// Many pictures are fitted on worker threads; the frames keep the show's order, and a picture
// that cannot be read stops the run with its name, leaving no frames behind.
TEST_F(VideoTest, FramesKeepTheShowOrder)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    form->TextCheckBox->setChecked(false);
    const int count = 24;
    auto colourOf = [](int i) { return QColor((i * 37) % 256, (i * 91) % 256, (255 - i * 10) % 256); };
    auto makeShow = [&](int broken) {
        QStringList lines;
        for (int i = 0; i < count; ++i) {
            const QString name = QString("p%1.%2").arg(i, 2, 10, QChar('0')).arg(i % 2 ? "png" : "jpg");
            if (i == broken) {
                writeAll(showHost(name), "not a picture");
            } else {
                QImage image(i % 3 ? 800 : 64, 600, QImage::Format_RGB888); // some scaled, some not
                image.fill(colourOf(i));
                ASSERT_TRUE(image.save(showHost(name), nullptr, 100));
            }
            lines << name + " | ";
        }
        ASSERT_TRUE(platform::writeTextLines(showWin("Pictures.ini"), lines));
    };

    makeShow(-1);
    ASSERT_TRUE(platform::forceDirectories(form->EncoderFolder));
    dvd->ModeName = "VCD";
    dvd->FrameWidth = 352;
    dvd->FrameHeight = 288;
    dvd->HighQuality = false;
    dvd->PictureCount = count;
    ASSERT_TRUE(video::ConvertPicturesForVideo(form->CurrentShow(), dvd->frameSettings(), dvd->frameEvents()).ok)
        << dialogs.messageTexts().join('\n').toStdString();
    for (int i = 0; i < count; ++i) {
        const QImage frame(encoderHost(QString("inp%1.bmp").arg(i + 1, 4, 10, QChar('0'))));
        ASSERT_FALSE(frame.isNull()) << i;
        const QColor seen = frame.pixelColor(176, 144), wanted = colourOf(i);
        EXPECT_LE(std::abs(seen.red() - wanted.red()) + std::abs(seen.green() - wanted.green()) + std::abs(seen.blue() - wanted.blue()), 9)
            << i;
    }
    EXPECT_TRUE(QFile::exists(encoderHost(QString("inp%1.bmp").arg(count + 1, 4, 10, QChar('0'))))); // the closing picture

    makeShow(17);
    dialogs.clear();
    makeVideo("VCD", true, false);
    EXPECT_TRUE(dvd->RunFailed);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("p17.png")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(QDir(encoderHost()).entryList(QDir::Files).isEmpty()) << QDir(encoderHost()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.avi")));
}

// High quality: JPEG key frames renamed in play order, the frame list, and the plug-in's MPEG,
// which the disc tool takes as a video CD or super video CD stream as it is: the norm's size and
// rate, 4:3 on the screen, and the frame list's time in either norm.
TEST_F(VideoTest, HighQualityModesEncodeAStandardStreamThroughThePlugin)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    if (!testsupport::haveHostProgram("vcdimager")) GTEST_SKIP() << "vcdimager missing";
    struct Case {
        const char* mode;
        bool pal;
        const char* codec;
        int width, height;
        const char* rate;
        int frames;         // 286 25ths of a second in the norm's frames
        const char* file;
        const char* discType;
    };
    const Case cases[] = {
        {"VCD", true, "mpeg1video", 352, 288, "25/1", 286, "holiday_VCD.mpg", "vcd2"},
        {"VCD", false, "mpeg1video", 352, 240, "30000/1001", 343, "holiday_VCD.mpg", "vcd2"},
        {"SVCD", true, "mpeg2video", 480, 576, "25/1", 286, "holiday_SVCD.mpg", "svcd"},
        {"SVCD", false, "mpeg2video", 480, 480, "30000/1001", 343, "holiday_SVCD.mpg", "svcd"},
    };
    createShow("2.5");
    addMp3("Audio001.mp3", 10);
    for (const Case& c : cases) {
        const std::string name = std::string(c.mode) + (c.pal ? " PAL" : " NTSC");
        SCOPED_TRACE(name);
        makeVideo(c.mode, c.pal, true);
        ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
        // 2.5 seconds give 62 frames (halves to even); the closing picture 100.
        EXPECT_EQ(platform::readTextLines(form->EncoderFolder + "Test_quantity.nno").value_or(QStringList()),
                  QStringList({"Test_0000.jpg*62", "Test_0001.jpg*62", "Test_0002.jpg*62", "Test_0003.jpg*100"}));
        EXPECT_EQ(QImage(encoderHost("Test_0001.jpg")).size(), QSize(c.width, c.height));
        const QString mpg = videoHost(c.file);
        EXPECT_EQ(testsupport::discToolComplaints(mpg, c.discType, world.root() + "/disc-" + QString::fromStdString(name).replace(' ', '-'))
                      .toStdString(),
                  "");
        const QJsonObject probed = probe(mpg);
        const QJsonObject v = stream(probed, "video");
        EXPECT_EQ(v["codec_name"].toString(), c.codec);
        EXPECT_EQ(v["width"].toInt(), c.width);
        EXPECT_EQ(v["height"].toInt(), c.height);
        EXPECT_EQ(v["r_frame_rate"].toString(), c.rate);
        const QStringList dar = v["display_aspect_ratio"].toString().split(':');
        ASSERT_EQ(dar.size(), 2);
        EXPECT_NEAR(dar[0].toDouble() / dar[1].toDouble(), 4.0 / 3.0, 0.01) << v["display_aspect_ratio"].toString().toStdString();
        // 3 × 62 + 100 25ths of a second: 11.44 s, in whole frames of the norm.
        EXPECT_EQ(v["nb_read_frames"].toString().toInt(), c.frames);
        const QJsonObject a = stream(probed, "audio");
        EXPECT_EQ(a["sample_rate"].toString(), "44100");
        EXPECT_EQ(a["channels"].toInt(), 2);
        EXPECT_NEAR(a["nb_read_frames"].toString().toDouble() * 1152 / 44100, 11.44, 1152.0 / 44100);
        EXPECT_EQ(decodeErrors(mpg), "");
        EXPECT_FALSE(QFile::exists(mpg + ".part"));
        // The soundtrack: 2.5 × 3 rounded to 8, + 4, + round(1 / 25) for the one frame beyond
        // the pictures.
        EXPECT_TRUE(logLines().contains("     Audio: 12 sec")) << logLines().join('\n').toStdString();
        EXPECT_TRUE(logLines().contains("Calculate slides: Picture 3 of 3"));
        EXPECT_TRUE(logLines().contains("END"));
        // A high-quality run keeps frames, frame list and soundtrack in the encoder folder.
        EXPECT_TRUE(QFile::exists(encoderHost("Input.wav")));
    }
}

// Without music the plain video has no sound and the MPEG gets the silent soundtrack.
TEST_F(VideoTest, NoMusicGivesASilentVideo)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    makeVideo("VCD", true, false);
    ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_TRUE(logLines().contains("KEINE AUDIO DATEI FÜR DIE QUORBEL AUSGEWÄHLT"));
    EXPECT_TRUE(logLines().contains("     AviWriter: File not exist Input.wav --> AVI ohne Audio herstellen"));
    QJsonObject probed = probe(videoHost("holiday_VCD.avi"));
    EXPECT_TRUE(stream(probed, "audio").isEmpty());

    makeVideo("VCD", true, true);
    ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
    probed = probe(videoHost("holiday_VCD.mpg"));
    EXPECT_EQ(stream(probed, "audio")["sample_rate"].toString(), "44100");
    EXPECT_EQ(decodeErrors(videoHost("holiday_VCD.mpg")), "");
}

// A log that cannot be written (a folder in its place) is named once; the video is made all the same.
TEST_F(VideoTest, ALogThatCannotBeWrittenIsNamedOnce)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    ASSERT_TRUE(QDir().mkpath(hostProgram("Quorbel.log")));
    dialogs.clear();
    makeVideo("VCD", true, false);
    EXPECT_FALSE(dvd->RunFailed);
    ASSERT_EQ(dialogs.messages.size(), 1) << dialogs.messageTexts().join('|').toStdString();
    EXPECT_EQ(dialogs.messages[0].kind, platform::MessageKind::Error);
    EXPECT_TRUE(dialogs.messages[0].text.contains(form->ProgramDir + "Quorbel.log")) << dialogs.messages[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(videoHost("holiday_VCD.avi")));
}

// Runs that cannot make a video end as failures, report why and leave no video behind.
TEST_F(VideoTest, FailuresLeaveNoVideoAndSayWhy)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");

    // A WAV at 48,000 Hz: the wrong-format message before anything is encoded.
    run(QString("sox -n -r 48000 -c 2 -b 16 '%1' synth 2 sine 440").arg(showHost("Audio001.wav")));
    form->AudioListBox->addItem(showWin("Audio001.wav"));
    makeVideo("VCD", true, false);
    EXPECT_TRUE(dvd->RunFailed);
    EXPECT_TRUE(dvd->RunOver);
    EXPECT_TRUE(logLines().contains("wrong Samplerate / or not Stereo"));
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains("AUDIO001.WAV"));
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.avi")));
    EXPECT_TRUE(QDir(encoderHost()).entryList(QDir::Files).isEmpty());
    form->AudioListBox->clear();

    // Closing the failed run's window: the instructions say so, without the burning guide.
    makeInstructionsDialog(true);
    confirmInstructions();
    const qsizetype formsBefore = dialogs.modalForms.size();
    dvd->CloseBitBtn->click();
    EXPECT_EQ(dialogs.modalForms.mid(formsBefore), QStringList({"AnweisungForm"}));
    ASSERT_EQ(instructionsSeen.size(), 1);
    EXPECT_EQ(instructionsSeen[0].heading, LangText(4606));
    EXPECT_EQ(instructionsSeen[0].text, LangText(4615));
    EXPECT_FALSE(instructionsSeen[0].burningGuide);
    EXPECT_FALSE(instructionsSeen[0].icon);
    EXPECT_FALSE(instructionsSeen[0].iconLabel);
    EXPECT_EQ(dialogs.messages.size(), 1); // only the wrong-format message

    // The plug-in missing from the program directory: a failure, not a finished run.
    dialogs.clear();
    QFile::remove(hostProgram("mpdx_dll.dll"));
    makeVideo("VCD", true, true);
    EXPECT_TRUE(dvd->RunFailed);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"mpdx_dll.dll not found! Error No: 0"}));
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.mpg")));

    // A plug-in file that is no library.
    dialogs.clear();
    writeAll(hostProgram("mpdx_dll.dll"), "not a library");
    makeVideo("VCD", true, true);
    EXPECT_TRUE(dvd->RunFailed);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"mpdx_dll.dll not found! Error No: 0"}));

    // The decoder missing: "Error starting", the log says which wave file was not made.
    dialogs.clear();
    addMp3("Audio001.mp3", 2);
    platform::ProgramTable::instance().set("Lame.exe", world.root() + "/no-such-decoder");
    makeVideo("VCD", true, false);
    platform::ProgramTable::instance().loadFromEnvironment();
    EXPECT_TRUE(dvd->RunFailed);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"Error starting Lame.exe"}));
    EXPECT_TRUE(logLines().contains("FEHLER: " + form->EncoderFolder + "Inp001.wav wurde nicht erzeugt!"));
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.avi")));
    form->AudioListBox->clear();

    // Seconds per picture that are no number.
    dialogs.clear();
    form->SecondsPerPicture = "x";
    makeVideo("VCD", true, false);
    EXPECT_TRUE(dvd->RunFailed);
    EXPECT_EQ(dialogs.messages.size(), 1);
}

// Cancel while the decoder runs: the decoder is killed, the window closes, and neither a video
// nor a partial wave file is left.
TEST_F(VideoTest, AbortDuringDecodingKillsTheDecoderAndLeavesNoVideo)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    addMp3("Audio001.mp3", 120);
    makeInstructionsDialog(true);
    confirmInstructions(); // shown by the cancel button
    dialogs.clear();
    dvd->show();
    QTimer watch;
    bool clicked = false, stayedOpen = false;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!clicked && logLines().contains("     ---------MP3TOWAV---------")) {
            clicked = true;
            dvd->close(); // refused while the run works
            stayedOpen = dvd->isVisible();
            dvd->AbortBitBtn->click();
        }
    });
    watch.start(5);
    QElapsedTimer timer;
    timer.start();
    makeVideo("VCD", true, false);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(stayedOpen);
    EXPECT_LT(timer.elapsed(), 20000);
    EXPECT_TRUE(dvd->AbortRequested);
    EXPECT_TRUE(dvd->RunOver);
    EXPECT_FALSE(dvd->isVisible());
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.avi")));
    EXPECT_TRUE(QDir(encoderHost()).entryList(QDir::Files).isEmpty()) << QDir(encoderHost()).entryList(QDir::Files).join(' ').toStdString();
    EXPECT_FALSE(logLines().contains("        Fertig: Lame.exe"));
    EXPECT_FALSE(logLines().contains("END"));
    EXPECT_EQ(testsupport::runHost("pgrep -f -- '" + encoderHost() + "/[I]np001' || true").trimmed(), "");
    // The cancel explains itself in the short instructions, not in a message box.
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_EQ(dialogs.modalForms, QStringList({"AnweisungForm"}));
    ASSERT_EQ(instructionsSeen.size(), 1);
    EXPECT_EQ(instructionsSeen[0].heading, LangText(4605));
    EXPECT_EQ(instructionsSeen[0].text, LangText(4614));
    EXPECT_FALSE(instructionsSeen[0].burningGuide);
    EXPECT_FALSE(instructionsSeen[0].icon);
    EXPECT_FALSE(instructionsSeen[0].iconLabel);
}

namespace {

// The box of the picture in a frame, found along the middle row and the middle column: the
// pixels brighter than half the picture's grey on the black background.
QRect pictureBox(const QImage& frame)
{
    const int midY = frame.height() / 2, midX = frame.width() / 2;
    int left = -1, right = -1, top = -1, bottom = -1;
    for (int x = 0; x < frame.width(); ++x)
        if (qGray(frame.pixel(x, midY)) > 110) {
            if (left < 0) left = x;
            right = x;
        }
    for (int y = 0; y < frame.height(); ++y)
        if (qGray(frame.pixel(midX, y)) > 110) {
            if (top < 0) top = y;
            bottom = y;
        }
    if (left < 0 || top < 0) return {};
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

// "12:11" as a number; a stream without one (the AVI) has square pixels.
double aspectOf(const QString& text)
{
    const QStringList parts = text.split(u':');
    if (parts.size() != 2 || parts[0].toDouble() <= 0 || parts[1].toDouble() <= 0) return 1.0;
    return parts[0].toDouble() / parts[1].toDouble();
}

} // namespace

// Every picture keeps its shape on the screen: in each mode the picture's box in a frame at
// the middle of its hold, widened by the stream's pixel aspect, has the picture's proportions
// (landscape, portrait and square, each larger than every frame).
TEST_F(VideoTest, PicturesKeepTheirShapeInEveryMode)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("2");
    form->TextCheckBox->setChecked(false);
    form->BKGColor = 0;
    struct Source { const char* name; int w, h; };
    const Source sources[] = {{"wide.jpg", 1600, 900}, {"portrait.jpg", 1622, 2880}, {"square.jpg", 1000, 1000}};
    QStringList lines;
    for (const Source& s : sources) {
        run(QString("convert -size %1x%2 xc:'#dcdcdc' '%3'").arg(s.w).arg(s.h).arg(showHost(s.name)));
        lines << QString(s.name) + " | ";
    }
    ASSERT_TRUE(platform::writeTextLines(showWin("Pictures.ini"), lines));
    struct Case { const char* mode; bool pal; bool highQuality; const char* file; };
    const Case cases[] = {
        {"VCD", true, true, "holiday_VCD.mpg"},   {"VCD", false, true, "holiday_VCD.mpg"},
        {"SVCD", true, true, "holiday_SVCD.mpg"}, {"SVCD", false, true, "holiday_SVCD.mpg"},
        {"VCD", true, false, "holiday_VCD.avi"},  {"VCD", false, false, "holiday_VCD.avi"},
        {"SVCD", true, false, "holiday_SVCD.avi"}, {"SVCD", false, false, "holiday_SVCD.avi"},
    };
    for (const Case& c : cases) {
        const std::string name = std::string(c.mode) + (c.pal ? " PAL" : " NTSC") + (c.highQuality ? " MPEG" : " AVI");
        SCOPED_TRACE(name);
        makeVideo(c.mode, c.pal, c.highQuality);
        ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
        const QString video = videoHost(c.file);
        const QJsonObject v = stream(probe(video), "video");
        const double pixelAspect = aspectOf(v["sample_aspect_ratio"].toString());
        if (c.highQuality) {
            // The frame fills the 4:3 screen.
            EXPECT_NEAR(v["width"].toInt() * pixelAspect / v["height"].toInt(), 4.0 / 3.0, 0.01)
                << v["sample_aspect_ratio"].toString().toStdString();
        }
        for (int k = 0; k < 3; ++k) {
            SCOPED_TRACE(sources[k].name);
            const QString png = world.root() + "/frame.png";
            QFile::remove(png);
            // At the norm's rate (the AVI holds each picture as one frame of two seconds).
            run(QString("ffmpeg -nostdin -v error -i '%1' -vf fps=25 -ss %2 -frames:v 1 -y '%3'").arg(video).arg(2 * k + 1).arg(png));
            const QImage frame(png);
            ASSERT_FALSE(frame.isNull());
            const QRect box = pictureBox(frame);
            ASSERT_FALSE(box.isEmpty());
            const double shown = box.width() * pixelAspect / box.height();
            const double wanted = double(sources[k].w) / sources[k].h;
            EXPECT_NEAR(shown / wanted, 1.0, 0.02) << box.width() << " x " << box.height() << " at " << pixelAspect;
        }
    }
}

// A long caption wraps within the frame, centred, at most three lines: none of its letters
// reaches the frame's sides, and a caption that fits in three lines shows every letter.
TEST_F(VideoTest, LongCaptionsWrapWithinTheFrame)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("1");
    form->BKGColor = 0x00FF00;  // green
    form->TextColor = 0x0000FF; // red (0x00BBGGRR)
    form->TextOffset = 10;
    run(QString("convert -size 800x600 xc:blue '%1'").arg(showHost("blue.jpg")));
    QDir().mkpath(encoderHost());
    const QString e = form->EncoderFolder;
    const QString medium = "Evening light over the harbour as the boats come back home"; // 58 characters
    QString tooLong;
    while (tooLong.size() < 200) tooLong += "The lighthouse on the northern cliff at sunset ";
    tooLong = tooLong.left(200).trimmed();
    // The caption's ink: red is in the caption only (the band is green, the picture blue).
    auto ink = [](const QImage& image) {
        double sum = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) sum += qRed(image.pixel(x, y));
        return sum;
    };
    // A letter's pixel is redder than green (the JPEG frames keep little of the pure red).
    auto isLetter = [](QRgb c) { return qRed(c) - qGreen(c) > 40; };
    struct Case { const char* mode; int w, h; bool highQuality; QString caption; int lines; };
    const Case cases[] = {
        {"VCD", 352, 288, false, medium, 2},
        {"VCD", 352, 288, false, tooLong, 3},
        {"VCD", 352, 288, true, medium, 2},
        {"SVCD", 480, 480, true, tooLong, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mode) + (c.highQuality ? " high quality " : " plain ") + std::to_string(c.caption.size()));
        dvd->ModeName = c.mode;
        dvd->FrameWidth = c.w;
        dvd->FrameHeight = c.h;
        dvd->HighQuality = c.highQuality;
        ASSERT_TRUE(video::ConvertPictureForVideo(form->CurrentShow(), dvd->frameSettings(), c.caption, showWin("blue.jpg"), e + "inp0001",
                                                  dvd->frameEvents()));
        const QImage frame(encoderHost(c.highQuality ? "inp0001_Key.jpg" : "inp0001.bmp"));
        ASSERT_EQ(frame.size(), QSize(c.w, c.h));
        // No letter at either side; the rows with letters form the caption's lines (rows
        // apart by more than two empty ones), the last ending TextOffset above the bottom.
        int lineCount = 0, lastRow = -100;
        for (int y = 0; y < c.h; ++y) {
            bool letters = false;
            for (int x = 0; x < c.w; ++x)
                if (isLetter(frame.pixel(x, y))) {
                    letters = true;
                    EXPECT_TRUE(x >= 3 && x < c.w - 3) << "a letter at the side, " << x << "," << y;
                }
            if (!letters) continue;
            if (y - lastRow > 3) ++lineCount;
            lastRow = y;
        }
        EXPECT_EQ(lineCount, c.lines);
        EXPECT_LT(lastRow, c.h - 10);
        if (!c.highQuality && c.lines == 2) {
            // Every letter is there: as much ink as the caption drawn on one line of its own.
            QImage reference(4000, 100, QImage::Format_RGB888);
            reference.fill(Qt::green);
            {
                QPainter p(&reference);
                QFont font = p.font();
                font.setPointSize(12);
                p.setFont(font);
                p.setPen(Qt::red);
                p.drawText(QRect(0, 0, 4000, 100), Qt::AlignLeft | Qt::AlignTop, c.caption);
            }
            EXPECT_NEAR(ink(frame) / ink(reference), 1.0, 0.03);
        }
    }
}

// The encoder plug-in is loaded with its two entries and released again; a file that is no
// library is reported and leaves none. (A library once loaded stays mapped in the process, so
// the file that is no library comes first.)
TEST_F(VideoTest, TheEncoderPluginLoadsWithItsTwoEntries)
{
    createShow("1");
    const QString plugin = hostProgram("mpdx_dll.dll");
    ASSERT_TRUE(QFile::rename(plugin, plugin + ".kept"));
    writeAll(plugin, "not a library");
    EXPECT_FALSE(dvd->LoadEncoderPlugin());
    EXPECT_EQ(dvd->OpenMPDX, nullptr);
    EXPECT_EQ(dvd->EncodeMPDX, nullptr);
    EXPECT_EQ(dialogs.messageTexts(), QStringList({"mpdx_dll.dll not found! Error No: 0"}));

    dialogs.clear();
    ASSERT_TRUE(QFile::remove(plugin));
    ASSERT_TRUE(QFile::rename(plugin + ".kept", plugin));
    ASSERT_TRUE(dvd->LoadEncoderPlugin()) << dialogs.messageTexts().join('\n').toStdString();
    EXPECT_NE(dvd->OpenMPDX, nullptr);
    EXPECT_NE(dvd->EncodeMPDX, nullptr);
    dvd->UnloadEncoderPlugin();
    EXPECT_EQ(dvd->OpenMPDX, nullptr);
    EXPECT_EQ(dvd->EncodeMPDX, nullptr);
    EXPECT_FALSE(dvd->MpdxLibrary.isLoaded());
    EXPECT_TRUE(dialogs.messages.isEmpty());
}

// The window fills the screen; its progress bar spans it but for 10 pixels at either side.
TEST_F(VideoTest, TheProgressBarSpansTheScreenButTwentyPixels)
{
    createShow("1");
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(dvd->ProgressBar1->width(), screen.width() - 20);
    dvd->showMaximized();
    QCoreApplication::processEvents();
    EXPECT_LE(dvd->width(), screen.width());
    EXPECT_EQ(dvd->ProgressBar1->width(), screen.width() - 20);
    const QRect bar(dvd->ProgressBar1->mapTo(dvd.get(), QPoint(0, 0)), dvd->ProgressBar1->size());
    EXPECT_EQ(bar.left(), 10);
    EXPECT_LE(bar.right(), dvd->width() - 1);
    if (qEnvironmentVariableIsSet("VIDEO_WINDOW_PNG")) dvd->grab().save(qEnvironmentVariable("VIDEO_WINDOW_PNG"));
    dvd->hide();
}
