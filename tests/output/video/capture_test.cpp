// The transition capture: a transition of the list painted from one key frame to the next, every
// fifth progress step below 94 percent saved as a numbered frame, and the high-quality video run
// with transitions switched on.
#include "video_fixture.h"

#include "effects/random.h"
#include "imaging/piximage.h"
#include "output/video/captureform.h"

#include <QEventLoop>
#include <QSpinBox>
#include <QTimer>

namespace {

// Shows a capture window as the modal loop does and waits until it closes itself; a window that
// does not close within the time fails the test instead of blocking it.
int runCapture(QDialog& d)
{
    QEventLoop loop;
    QObject::connect(&d, &QDialog::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(20000, &loop, &QEventLoop::quit);
    d.open();
    if (d.isVisible()) loop.exec();
    EXPECT_FALSE(d.isVisible()) << "the capture window did not close";
    if (d.isVisible()) d.reject();
    return d.result();
}

// The blue share of a frame: pixels where blue outweighs red.
double blueShare(const QImage& image)
{
    qint64 blue = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = image.pixel(x, y);
            if (qBlue(c) > qRed(c)) ++blue;
        }
    return double(blue) / (qint64(image.width()) * image.height());
}

} // namespace

class CaptureTest : public VideoTest {
protected:
    std::unique_ptr<TCaptureForm> capture;
    std::vector<int> percents;

    // The main window, a transition list and two key frames: red to blue, 64 × 48.
    void makeWorld(const QStringList& effectLines)
    {
        form = std::make_unique<TMainForm>(outputWindows());
        ASSERT_TRUE(platform::forceDirectories(form->EncoderFolder));
        ASSERT_TRUE(platform::writeTextLines(form->ProgramDir + "Effects.ini", effectLines));
        for (const auto& [name, colour] : {std::pair{"inp0003_Key.jpg", Qt::red}, std::pair{"inp0004_Key.jpg", Qt::blue}}) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(encoderHost(name), "JPG", 85));
        }
    }

    // A capture window from picture 3 to picture 4 with transition n, its status events recorded.
    void makeCapture(int n)
    {
        capture = std::make_unique<TCaptureForm>(form->showHost(), form.get());
        EXPECT_EQ(TCaptureForm::instance(), capture.get()); // found like the start-up's windows, never an earlier one
        capture->FromPicture = form->EncoderFolder + "inp0003_Key.jpg";
        capture->ToPicture = form->EncoderFolder + "inp0004_Key.jpg";
        capture->TransitionNumber = n;
        capture->TransitionListFile = form->ProgramDir + "Effects.ini";
        capture->FramePrefix = form->EncoderFolder + "inp0003";
        auto handler = capture->Pix1->OnStatus;
        capture->Pix1->OnStatus = [this, handler](imaging::TPixImage* sender, int percent) {
            percents.push_back(percent);
            handler(sender, percent);
        };
    }

    void TearDown() override
    {
        capture.reset();
        VideoTest::TearDown();
    }

    QStringList frameFiles() const { return QDir(encoderHost()).entryList({"inp0003???.jpg"}, QDir::Files, QDir::Name); }
};

// Each transition gives 18 frames (steps 5, 10, ..., 90) named from inp0003001.jpg, whatever the
// effect and the number of passes; the paint stops at 94 percent and the window closes itself.
TEST_F(CaptureTest, SavesEveryFifthStepBelow94PercentAsANumberedFrame)
{
    makeWorld({"2000;0;4;1;0", "5000;0;4;4;0", "4000;0;8;2;3"});
    for (int n : {1, 2, 3}) {
        SCOPED_TRACE(n);
        percents.clear();
        for (const QString& f : frameFiles()) QFile::remove(encoderHost(f));
        makeCapture(n);
        runCapture(*capture);

        QStringList want;
        for (int i = 1; i <= 18; ++i) want << QString("inp0003%1.jpg").arg(i, 3, 10, QLatin1Char('0'));
        ASSERT_EQ(frameFiles(), want);
        EXPECT_EQ(capture->FrameNumber, 18);
        // Stopping: no status event after 94, progress events off, the control left showing the
        // to-picture.
        ASSERT_FALSE(percents.empty());
        EXPECT_EQ(percents.front(), 1);
        EXPECT_EQ(percents.back(), 94);
        EXPECT_EQ(int(percents.size()), 94);
        EXPECT_FALSE(capture->Capturing);
        EXPECT_FALSE(capture->Pix1->EnableProgressEvent());
        EXPECT_GT(blueShare(capture->Pix1->ComposedFrame()), 0.99);

        // The frames are the steps of the way from red to blue, at the key frames' size.
        double last = -1;
        for (int i = 0; i < want.size(); ++i) {
            const QImage frame(encoderHost(want[i]));
            ASSERT_EQ(frame.size(), QSize(64, 48)) << i;
            const double share = blueShare(frame);
            EXPECT_GE(share, last - 0.02) << i;
            last = share;
            if (i == 0) {
                EXPECT_LT(share, 0.25);
            }
        }
        EXPECT_GT(last, 0.75);
        if (n == 1 && testsupport::haveHostProgram("identify")) {
            EXPECT_EQ(testsupport::runHost("identify -format %Q '" + encoderHost(want[0]) + "'").trimmed(), "85");
        }
    }
}

// A line, picture or effect that gives nothing to capture ends the capture without frames
// instead of leaving the window open.
TEST_F(CaptureTest, NothingToCaptureClosesTheWindowWithoutFrames)
{
    struct Case {
        const char* what;
        int n;
        const char* to;
        const char* from;
    };
    const Case cases[] = {
        {"no effect", 1, "inp0004_Key.jpg", "inp0003_Key.jpg"},
        {"unknown effect", 2, "inp0004_Key.jpg", "inp0003_Key.jpg"},
        {"not five integers", 3, "inp0004_Key.jpg", "inp0003_Key.jpg"},
        {"beyond the list", 9, "inp0004_Key.jpg", "inp0003_Key.jpg"},
        {"to-picture missing", 4, "inp0009_Key.jpg", "inp0003_Key.jpg"},
        {"from-picture missing", 4, "inp0004_Key.jpg", "inp0009_Key.jpg"},
    };
    makeWorld({"1000;0;4;1;0", "999;0;4;1;0", "2000;0;x;1;0", "2000;0;4;1;0"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        makeCapture(c.n);
        capture->ToPicture = form->EncoderFolder + c.to;
        capture->FromPicture = form->EncoderFolder + c.from;
        runCapture(*capture);
        EXPECT_EQ(frameFiles(), QStringList());
        EXPECT_FALSE(capture->Capturing);
    }
}

// The transition line's fields go into the control; with the random option the line is drawn
// from every line but the last.
TEST_F(CaptureTest, TransitionLineAndRandomChoice)
{
    makeWorld({"2003;7;9;3;2", "5000;1;4;1;0", "4000;0;8;2;3"});
    makeCapture(1);
    capture->Pix1->SetWandColor(255);
    capture->ApplyTransitionLine(0);
    imaging::TPixImage* pix = capture->Pix1;
    EXPECT_EQ(pix->PaintEffect(), 2003);
    EXPECT_EQ(pix->EffectDelay(), 0u); // the line's 7 ms per step are for the screen, not the frames
    EXPECT_EQ(pix->EffectGrain(), 9u);
    EXPECT_EQ(pix->PaintMaxPasses(), 3u);
    EXPECT_EQ(pix->WandSize(), 2u);
    EXPECT_EQ(pix->WandColor(), 0u);

    static std::uint32_t clock = 0;
    effects::SetRandomizeClock([] { return clock; });
    form->RNDRadioButton->setChecked(true);
    QSet<int> drawn;
    for (clock = 1; clock < 4000000000u; clock += 97654321u) {
        capture->ApplyTransitionLine(2);
        drawn << pix->PaintEffect();
    }
    effects::SetRandomizeClock(nullptr);
    EXPECT_EQ(drawn, QSet<int>({2003, 5000}));
}

// A high-quality run of three pictures with transitions on: every picture pair gives 18 frames
// between its key frames, the frame list names the key frames among them, and the plug-in encodes
// them all. Stale frames of an earlier run do not get in.
TEST_F(CaptureTest, HighQualityRunWithTransitionsEncodesTheCapturedFrames)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    struct Case {
        const char* mode;
        const char* codec;
        int width, height;
        const char* file;
    };
    const Case cases[] = {
        {"VCD", "mpeg1video", 352, 288, "holiday_VCD.mpg"},
        {"SVCD", "mpeg2video", 480, 576, "holiday_SVCD.mpg"},
    };
    createShow("0.2");
    addMp3("Audio001.mp3", 2);
    ASSERT_TRUE(platform::writeTextLines(form->ProgramDir + "Effects.ini", {"5000;0;4;1;0", "2000;0;4;2;0"}));
    form->ONRadioButton->setChecked(true);
    form->SpinEdit1->setValue(2);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        dialogs.clear();
        QDir().mkpath(encoderHost());
        QImage stale(352, 288, QImage::Format_RGB32);
        stale.fill(Qt::green);
        ASSERT_TRUE(stale.save(encoderHost("inp0001099.jpg"), "JPG"));
        for (int i = 0; i < 3; ++i) dialogs.modalScript.push_back([](QDialog& d) { return runCapture(d); });
        makeVideo(c.mode, true, true);
        ASSERT_FALSE(dvd->RunFailed) << dialogs.messageTexts().join('\n').toStdString();
        EXPECT_EQ(dialogs.modalForms, QStringList({"CaptureForm", "CaptureForm", "CaptureForm"}));

        // 0.2 seconds give 5 frames per key frame; 3 × 18 transition frames lie between them.
        EXPECT_EQ(platform::readTextLines(form->EncoderFolder + "Test_quantity.nno").value_or(QStringList()),
                  QStringList({"Test_0000.jpg*5", "Test_0019.jpg*5", "Test_0038.jpg*5", "Test_0057.jpg*100"}));
        const QStringList frames = QDir(encoderHost()).entryList({"*.jpg"}, QDir::Files, QDir::Name);
        ASSERT_EQ(frames.size(), 58);
        EXPECT_EQ(frames.last(), "Test_0057.jpg");
        EXPECT_EQ(QImage(encoderHost("Test_0010.jpg")).size(), QSize(c.width, c.height));
        // The soundtrack covers the transition frames too: round(0.6) + round(55 / 25) + 4.
        EXPECT_TRUE(logLines().contains("     Audio: 7 sec")) << logLines().join('\n').toStdString();

        const QString mpg = videoHost(c.file);
        const QJsonObject probed = probe(mpg);
        const QJsonObject v = stream(probed, "video");
        EXPECT_EQ(v["codec_name"].toString(), c.codec);
        EXPECT_EQ(v["width"].toInt(), c.width);
        EXPECT_EQ(v["height"].toInt(), c.height);
        EXPECT_EQ(v["nb_read_frames"].toString(), "169"); // 3 × 5 + 100 + 54
        EXPECT_EQ(decodeErrors(mpg), "");
        EXPECT_TRUE(logLines().contains("END"));
    }
}

// Cancel while a transition is captured: the run makes no further transitions, writes no video
// and leaves the encoder folder empty.
TEST_F(CaptureTest, CancelDuringTheTransitionsStopsTheRunAndEmptiesTheEncoderFolder)
{
    if (!haveTools()) GTEST_SKIP() << "convert, sox, lame, ffprobe or ffmpeg missing";
    createShow("0.2");
    form->ONRadioButton->setChecked(true);
    dvd->show();
    dialogs.clear();
    dialogs.modalScript.push_back([](QDialog& d) { return runCapture(d); });
    dialogs.modalScript.push_back([this](QDialog& d) {
        dvd->AbortBitBtn->click();
        return runCapture(d);
    });
    makeInstructionsDialog(true);
    confirmInstructions(); // shown by the cancel button while the capture window is up
    makeVideo("VCD", true, true);
    EXPECT_EQ(dialogs.modalForms, QStringList({"CaptureForm", "CaptureForm", "AnweisungForm"})) << dialogs.messageTexts().join('\n').toStdString();
    ASSERT_EQ(instructionsSeen.size(), 1);
    EXPECT_EQ(instructionsSeen[0].heading, LangText(4605));
    EXPECT_EQ(instructionsSeen[0].text, LangText(4614));
    EXPECT_FALSE(instructionsSeen[0].burningGuide);
    EXPECT_FALSE(instructionsSeen[0].icon);
    EXPECT_TRUE(dvd->AbortRequested);
    EXPECT_TRUE(dvd->RunOver);
    EXPECT_FALSE(dvd->isVisible());
    EXPECT_FALSE(logLines().contains("Calculate slides: Picture 3 of 3"));
    EXPECT_FALSE(logLines().contains("END"));
    EXPECT_FALSE(QFile::exists(videoHost("holiday_VCD.mpg")));
    EXPECT_TRUE(QDir(encoderHost()).entryList(QDir::Files).isEmpty()) << QDir(encoderHost()).entryList(QDir::Files).join(' ').toStdString();
}
