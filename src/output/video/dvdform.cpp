#include "dvdform.h"

#include "output/video/aviwriter.h"
#include "output/video/mpdxplugin.h"
#include "output/video/captureform.h"
#include "output/video/videoestimate.h"
#include "output/video/videoframes.h"
#include "output/video/videoinstructions.h"

#include "app/language.h"
#include "app/productinfo.h"
#include "imaging/piximage.h"
#include "output/audio/checkaudioform.h"
#include "output/audio/waveform.h"
#include "output/audio/wavestream.h"
#include "platform/dialogs.h"
#include "platform/drives.h"
#include "platform/files.h"
#include "platform/hourglass.h"
#include "platform/plugin.h"
#include "platform/rounding.h"
#include "platform/textcodec.h"
#include "show/showhost.h"
#include "util/strutils.h"

#include <QApplication>
#include <QBuffer>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include <memory>

namespace {

QString threeDigits(int n) { return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0')); }
} // namespace

TDVDForm::TDVDForm(show::ShowHost& host, QWidget* parent, const util::TextTable& texts) : QDialog(parent), host_(host), texts_(texts)
{
    setObjectName(QStringLiteral("DVDForm"));
    setWindowTitle(QStringLiteral("Video creator"));
    auto* layout = new QVBoxLayout(this);
    StatusLabel = new QLabel(this);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    WorkingLabel = new QLabel(this);
    WorkingLabel->setObjectName(QStringLiteral("WorkingLabel"));
    PixImage1 = new imaging::TPixImage(this);
    PixImage1->setObjectName(QStringLiteral("PixImage1"));
    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    PercentLabel = new QLabel(this);
    PercentLabel->setObjectName(QStringLiteral("PercentLabel"));
    VideoBitBtn = new QPushButton(this);
    VideoBitBtn->setObjectName(QStringLiteral("VideoBitBtn"));
    CloseBitBtn = new QPushButton(this);
    CloseBitBtn->setObjectName(QStringLiteral("CloseBitBtn"));
    AbortBitBtn = new QPushButton(this);
    AbortBitBtn->setObjectName(QStringLiteral("AbortBitBtn"));
    WaveForm1 = new TWaveForm(this, texts_);

    layout->addWidget(StatusLabel);
    layout->addWidget(WorkingLabel);
    auto* middle = new QHBoxLayout;
    middle->addWidget(PixImage1, 1);
    middle->addWidget(Memo1, 1);
    layout->addLayout(middle, 1);
    // The progress bar spans the screen but for 10 pixels at either side (the window fills the
    // screen); the percent stands beside the buttons.
    layout->setContentsMargins(10, layout->contentsMargins().top(), 10, layout->contentsMargins().bottom());
    layout->addWidget(ProgressBar1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(PercentLabel);
    buttons->addStretch(1);
    buttons->addWidget(VideoBitBtn);
    buttons->addWidget(AbortBitBtn);
    buttons->addWidget(CloseBitBtn);
    layout->addLayout(buttons);

    connect(AbortBitBtn, &QPushButton::clicked, this, [this] { AbortBitBtnClick(); });
    connect(CloseBitBtn, &QPushButton::clicked, this, [this] { CloseBitBtnClick(); });
    connect(VideoBitBtn, &QPushButton::clicked, this, [this] { VideoBitBtnClick(); });
    FormCreate();
}

TDVDForm::~TDVDForm()
{
}

show::ShowContext TDVDForm::currentShow() const { return host_.CurrentShow(); }

void TDVDForm::FormCreate()
{
    if (QScreen* screen = QGuiApplication::primaryScreen())
        ProgressBar1->setFixedWidth(qMax(100, screen->geometry().width() - 20));
    StatusLabel->setText(texts_.text(2400));
    WorkingLabel->setText(texts_.text(2401));
    VideoBitBtn->setText(texts_.text(2402));
    CloseBitBtn->setText(texts_.text(2403));
    AbortBitBtn->setText(texts_.text(2404));
    makeClosingPictures();
}

// The closing pictures: the product title on a dark ground, in the video's proportions.
void TDVDForm::makeClosingPictures()
{
    auto make = [](const QString& line) {
        QImage image(720, 576, QImage::Format_RGB888);
        image.fill(QColor(16, 24, 48));
        QPainter p(&image);
        p.setPen(Qt::white);
        QFont font = p.font();
        font.setPixelSize(56);
        font.setBold(true);
        p.setFont(font);
        p.drawText(image.rect().adjusted(0, 0, 0, -60), Qt::AlignCenter, ProductInfo.Title.isEmpty() ? QStringLiteral("Quorbel pro") : ProductInfo.Title);
        font.setPixelSize(28);
        font.setBold(false);
        p.setFont(font);
        p.drawText(image.rect().adjusted(0, 120, 0, 0), Qt::AlignCenter, line);
        return image;
    };
    TORVELDImage = make(QStringLiteral("Ende"));
    ENImage = make(QStringLiteral("The End"));
}

void TDVDForm::closeEvent(QCloseEvent* event)
{
    // FormCloseQuery: no closing while a run works.
    if (!RunOver) event->ignore();
    else QDialog::closeEvent(event);
}

QString TDVDForm::VideoFileName() const
{
    const show::ShowContext m = currentShow();
    return m.VideoFolder + MakeDosName(m.ShowTitle) + u'_' + ModeName + (HighQuality ? QStringLiteral(".mpg") : QStringLiteral(".avi"));
}

void TDVDForm::AppendVideoLog(const QString& line)
{
    const QString programDir = currentShow().ProgramDir;
    if (programDir.isEmpty()) return;
    const QString log = programDir + QStringLiteral("Quorbel.log");
    if (!platform::appendTextLine(log, line) && !LogFailureShown) {
        LogFailureShown = true;
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(log, platform::lastFileError()));
    }
}

void TDVDForm::setStatus(const QString& text)
{
    StatusLabel->setText(text);
    StatusLabel->repaint();
}

void TDVDForm::memo(const QString& line)
{
    Memo1->appendPlainText(line);
    Memo1->repaint();
}

void TDVDForm::ProgressStep()
{
    ++ProgressCount;
    double percent = ProgressTotal > 0 ? double(ProgressCount) / ProgressTotal * 100 : 0;
    if (percent > 90) percent = 90;
    ProgressBar1->setValue(platform::roundHalfEven(percent));
    PercentLabel->setText(QString::number(percent, 'g', 15).left(4) + u'%');
    repaint();
}

void TDVDForm::CleanEncoderFolder()
{
    platform::HourglassCursor hourglass;
    const QString e = currentShow().EncoderFolder;
    if (e.isEmpty()) return; // no show: nothing of ours to clean, and never the working folder
    static const char* const masks[] = {"*.mp3", "*.jpg", "*.mpa", "*.nno", "*.wav", "*.mpg", "*.avi", "*.bmp", "*.jpg"};
    // A file that stays could be taken into the next video: each one is named.
    QStringList stayed;
    for (const char* mask : masks)
        for (const platform::DirEntry& entry : platform::findFiles(e, QString::fromLatin1(mask)))
            if (!(entry.attributes & platform::faDirectory) && !platform::deleteFile(e + entry.name, e)) stayed << e + entry.name;
    if (!stayed.isEmpty()) platform::showError(HeadedList(QStringLiteral("Unable to delete these files:"), stayed));
}

void TDVDForm::EnsureInputWav()
{
    const show::ShowContext m = currentShow();
    const QString target = m.EncoderFolder + QStringLiteral("Input.wav");
    if (!platform::fileExists(target) && !platform::copyFile(m.ProgramDir + QStringLiteral("empty.wav"), target))
        platform::showError(QStringLiteral("Unable to write %1: %2").arg(target, platform::lastFileError()));
}

platform::RunResult TDVDForm::RunAndWait(const QString& folder, const QString& program, const QString& parameters)
{
    platform::RunResult result = platform::runAndWait(program, parameters, folder, [this] { return AbortRequested; });
    if (result.status == platform::RunResult::CannotStart) platform::showError(QStringLiteral("Error starting ") + program);
    return result;
}

video::FrameSettings TDVDForm::frameSettings() const
{
    video::FrameSettings s;
    s.ModeName = ModeName;
    s.HighQuality = HighQuality;
    s.Pal = Pal;
    s.FrameWidth = FrameWidth;
    s.FrameHeight = FrameHeight;
    s.PictureCount = PictureCount;
    s.SecondsPerPicture = seconds_;
    s.ClosingPicture = LanguageCode == QLatin1String("GERMAN") ? TORVELDImage : ENImage;
    return s;
}

video::FrameEvents TDVDForm::frameEvents()
{
    video::FrameEvents ev;
    ev.Step = [this] { ProgressStep(); };
    ev.Aborted = [this] { return AbortRequested; };
    ev.Status = [this](const QString& text) { setStatus(text); };
    ev.Memo = [this](const QString& line) { memo(line); };
    ev.Log = [this](const QString& line) { AppendVideoLog(line); };
    ev.FrameMade = [this](const QString& file) { PreviewFrame(file); };
    ev.ListShown = [this](bool shown) { Memo1->setVisible(shown); };
    ev.PreviewShown = [this](bool shown) { PixImage1->setVisible(shown); };
    ev.Capture = [this](const video::TransitionCapture& capture) { CaptureTransition(capture); };
    return ev;
}

double TDVDForm::FramePixelAspect() const { return frameSettings().PixelAspect(); }

bool TDVDForm::RenderFrames(const show::ShowContext& m)
{
    const video::FramesMade made = video::ConvertPicturesForVideo(m, frameSettings(), frameEvents());
    PictureList = made.PictureList;
    jpegCount_ = made.JpegCount;
    return made.ok;
}

void TDVDForm::PreviewFrame(const QString& file)
{
    // The preview shows the frame made, as it shows on the screen.
    try {
        PixImage1->SetPaintSizeMode(HighQuality ? imaging::smStretch : imaging::smFit);
        PixImage1->Load(file, 0, 1, 1);
        PixImage1->ForceRepaint();
    } catch (const std::exception&) {
        // only the preview
    }
}

void TDVDForm::CaptureTransition(const video::TransitionCapture& c)
{
    auto capture = std::make_unique<TCaptureForm>(host_, host_.HostWindow());
    capture->FromPicture = c.FromPicture;
    capture->ToPicture = c.ToPicture;
    capture->TransitionNumber = c.TransitionNumber;
    capture->TransitionListFile = c.TransitionListFile;
    capture->FramePrefix = c.FramePrefix;
    platform::dialogs().showModal(*capture);
}

// The run, step by step. A step that returns false has ended the run through its failure
// clean-up.
void TDVDForm::MakeVideo()
{
    platform::HourglassCursor hourglass;
    const show::ShowContext m = currentShow();
    BeginRun(m);
    if (!CountPictures(m)) return;
    if (!RenderFrames(m)) {
        FailureCleanUp();
        return;
    }
    if (!AbortRequested) CollectAudioList(m);
    if (!PrepareAudioTracks(m)) return;
    if (!AbortRequested && !AudioList.isEmpty() && !BuildSoundtrack(m)) return;
    if (!AbortRequested) {
        const bool written = HighQuality ? EncodeMpeg() : WriteAviVideo();
        if (!written) {
            FailureCleanUp();
            return;
        }
        AppendVideoLog(QStringLiteral("END"));
    }
    EndOfRun();
}

// The window set for a run, a fresh log with the mode, the frame size, an empty encoder folder
// and empty lists.
void TDVDForm::BeginRun(const show::ShowContext& m)
{
    ProgressBar1->setValue(0);
    PercentLabel->setText(QStringLiteral("0%"));
    VideoBitBtn->setVisible(!(HighQuality && ModeName == QLatin1String("SVCD")));
    RunFailed = false;
    WorkingLabel->show();
    CloseBitBtn->setEnabled(false);
    VideoBitBtn->setEnabled(false);
    AbortBitBtn->setEnabled(true);
    RunOver = false;

    // A log that cannot be deleted is appended to; the appends say whether it can be written.
    LogFailureShown = false;
    (void)platform::deleteFile(m.ProgramDir + QStringLiteral("Quorbel.log"));
    AppendVideoLog(QStringLiteral("BEGIN"));
    if (Pal) {
        FrameWidth = ModeName == QLatin1String("VCD") ? 352 : 576;
        FrameHeight = ModeName == QLatin1String("VCD") ? 288 : 480;
    } else {
        FrameWidth = ModeName == QLatin1String("VCD") ? 352 : 480;
        FrameHeight = ModeName == QLatin1String("VCD") ? 240 : 480;
    }
    AppendVideoLog(QStringLiteral("MODE: ") + (Pal ? QStringLiteral("PAL ") : QStringLiteral("NTSC ")) + ModeName);
    // The preview shows the frames as they show on the screen.
    PixImage1->setFixedSize(platform::roundHalfEven(FrameWidth * FramePixelAspect()), FrameHeight);

    // A folder that cannot be made fails the first write into it, which says so.
    (void)platform::forceDirectories(m.EncoderFolder);
    CleanEncoderFolder();
    AppendVideoLog(QStringLiteral("Alle alten *.mp3 *.wav *.mpeg *.avi *.bmp Dateien um Ordner \\encoder\\ wurden gelöscht"));

    AbortRequested = false;
    Memo1->clear();
    PictureList.clear();
    AudioList.clear();
    setStatus(QStringLiteral("Prepare pictures"));
}

// The seconds per picture, the pictures of the show's picture list and the progress totals.
bool TDVDForm::CountPictures(const show::ShowContext& m)
{
    const std::optional<double> seconds = video::DotToComma(m.SecondsPerPicture);
    if (!seconds || *seconds <= 0) {
        platform::showError(QStringLiteral("'") + m.SecondsPerPicture + QStringLiteral("' is not a valid floating point value"));
        FailureCleanUp();
        return false;
    }
    seconds_ = *seconds;

    const std::optional<QStringList> lines = platform::readTextLines(m.ShowFolderPath() + QStringLiteral("Pictures.ini"));
    PictureList = lines.value_or(QStringList());
    PictureCount = int(PictureList.size());
    ProgressCount = 0;
    ProgressTotal = platform::roundHalfEven((HighQuality ? 2 : 1) * PictureCount * 1.2);
    return true;
}

// The tracks of the show's music list.
void TDVDForm::CollectAudioList(const show::ShowContext& m)
{
    setStatus(QStringLiteral("Get number of audiofiles"));
    AudioList = m.MusicFiles;
    if (AbortRequested) return;
    if (AudioList.isEmpty()) {
        AppendVideoLog(QStringLiteral("KEINE AUDIO DATEI FÜR DIE QUORBEL AUSGEWÄHLT"));
    } else {
        setStatus(QStringLiteral("prepare audio"));
        AppendVideoLog(QStringLiteral("START: AUDIO"));
    }
}

// Every track as encoder folder "Inp" + NNN + ".wav": an MP3 decoded, a wave file copied; a
// track that is not 44,100 Hz stereo ends the run.
bool TDVDForm::PrepareAudioTracks(const show::ShowContext& m)
{
    const QString e = m.EncoderFolder;
    TCheckAudioForm checkAudio;
    for (int i = 0; i < AudioList.size() && !AbortRequested; ++i) {
        const QString track = AudioList[i];
        const QString nnn = threeDigits(i + 1);
        const QString wave = e + QStringLiteral("Inp") + nnn + QStringLiteral(".wav");
        const QString upper = track.toUpper();
        if (upper.contains(QLatin1String(".MP3"))) {
            checkAudio.FileName = track;
            checkAudio.AnalyseFile();
            const QString info = QStringLiteral("Audio Info: MP3 ") + checkAudio.VersionText + u' ' + checkAudio.LayerText
                                 + QStringLiteral("   Samplingrate: ") + checkAudio.SampleRateHz;
            memo(info);
            AppendVideoLog(QStringLiteral("   ") + info);
            if (checkAudio.SampleRateHz != QLatin1String("44100") || checkAudio.StereoMark != QLatin1String("STEREO")) {
                WrongFormatFailure(track);
                return false;
            }
            memo(QStringLiteral("Audio Nr.") + QString::number(i + 1) + QStringLiteral(" MP3 to WAV ...please wait!"));
            AppendVideoLog(QStringLiteral("     ---------MP3TOWAV---------"));
            const QString parameters = u'"' + track + QStringLiteral("\" \"") + wave + QStringLiteral("\" --decode");
            AppendVideoLog(QStringLiteral("        Start: Lame.exe ") + parameters);
            const platform::RunResult run = RunAndWait(e, QStringLiteral("Lame.exe"), parameters);
            if (AbortRequested) break;
            // A decoder that fails may leave a partial wave file: only a clean exit counts.
            if (!platform::fileExists(wave) || run.status != platform::RunResult::Finished || run.exitCode != 0) {
                AppendVideoLog(QStringLiteral("FEHLER: ") + wave + QStringLiteral(" wurde nicht erzeugt!"));
                FailureCleanUp();
                return false;
            }
            AppendVideoLog(QStringLiteral("        Fertig: Lame.exe"));
        } else if (upper.contains(QLatin1String(".WAV"))) {
            checkAudio.FileName = track;
            checkAudio.AnalyseFile();
            const QString info = QStringLiteral("Audio Info: WAV Version: ") + checkAudio.VersionText + QStringLiteral("  ")
                                 + checkAudio.LayerText + QStringLiteral("  Samplingrate: ") + checkAudio.SampleRateHz;
            memo(info);
            AppendVideoLog(QStringLiteral("     ") + info);
            if (checkAudio.SampleRateHz != QLatin1String("44100") || checkAudio.StereoMark != QLatin1String("STEREO")) {
                WrongFormatFailure(track);
                return false;
            }
            AppendVideoLog(QStringLiteral("     Start: ") + track + QStringLiteral(" kopieren"));
            if (!platform::copyFile(track, wave)) {
                AppendVideoLog(QStringLiteral("FEHLER: ") + wave + QStringLiteral(" wurde nicht erzeugt!"));
                platform::showError(QStringLiteral("Unable to copy ") + track + QStringLiteral(": ") + platform::lastFileError());
                FailureCleanUp();
                return false;
            }
            AppendVideoLog(QStringLiteral("     Fertig: Inp") + nnn + QStringLiteral(".wav wurde kopiert"));
            memo(QStringLiteral("copy Audio Nr.") + QString::number(i + 1));
        }
    }
    return true;
}

// The tracks cut and joined into encoder folder "Input.wav", as long as the video plus four
// seconds; the track files go afterwards.
bool TDVDForm::BuildSoundtrack(const show::ShowContext& m)
{
    const QString e = m.EncoderFolder;
    AppendVideoLog(QStringLiteral("     prepare Audio / cut"));
    memo(QStringLiteral(" prepare Audio / cut"));
    QStringList inputs;
    for (int i = 0; i < AudioList.size(); ++i) {
        const QString wave = e + QStringLiteral("Inp") + threeDigits(i + 1) + QStringLiteral(".wav");
        if (platform::fileExists(wave)) inputs << wave;
    }
    int length = platform::roundHalfEven(seconds_ * PictureCount) + 4;
    if (HighQuality) length += platform::roundHalfEven(double(jpegCount_ - PictureCount) / m.FrameRate);
    memo(QStringLiteral(" Audio: ") + QString::number(length) + QStringLiteral(" sec"));
    AppendVideoLog(QStringLiteral("     Audio: ") + QString::number(length) + QStringLiteral(" sec"));
    WaveForm1->InputFiles = inputs;
    WaveForm1->OutputFile = e + QStringLiteral("Input.wav");
    WaveForm1->Seconds = length;
    WaveForm1->OnLog = [this](const QString& line) { AppendVideoLog(line); };
    WaveForm1->OnMemo = [this](const QString& line) { memo(line); };
    WaveForm1->show();
    try {
        WaveForm1->BuildSoundtrack();
    } catch (const std::exception& error) {
        WaveForm1->close();
        // A soundtrack cut short by the error must not go into the video.
        // The run fails here; the next one cleans the encoder folder before it begins.
        (void)platform::deleteFile(e + QStringLiteral("Input.wav"));
        platform::showError(QString::fromStdString(error.what()));
        FailureCleanUp();
        return false;
    }
    WaveForm1->close();
    // The tracks are in the soundtrack now; a copy left over goes when the next run cleans up.
    for (int i = 0; i < AudioList.size(); ++i)
        (void)platform::deleteFile(e + QStringLiteral("Inp") + threeDigits(i + 1) + QStringLiteral(".wav"));
    return true;
}

bool TDVDForm::LoadEncoderPlugin()
{
    UnloadEncoderPlugin();
    const QString plugin = currentShow().ProgramDir + QStringLiteral("mpdx_dll.dll");
    if (MpdxLibrary.load(plugin)) {
        OpenMPDX = reinterpret_cast<OpenMPDXProc>(MpdxLibrary.resolve("OpenMPDX"));
        EncodeMPDX = reinterpret_cast<EncodeMPDXProc>(MpdxLibrary.resolve("EncodeMPDX"));
        if (OpenMPDX && EncodeMPDX) return true;
    }
    // A library without both entries cannot encode either.
    UnloadEncoderPlugin();
    platform::showError(QStringLiteral("mpdx_dll.dll not found! Error No: 0"));
    return false;
}

void TDVDForm::UnloadEncoderPlugin()
{
    OpenMPDX = nullptr;
    EncodeMPDX = nullptr;
    MpdxLibrary.unload();
}

bool TDVDForm::EncodeMpeg()
{
    const show::ShowContext m = currentShow();
    const QString plugin = m.ProgramDir + QStringLiteral("mpdx_dll.dll");
    const QString output = VideoFileName();
    auto failed = [this](const QString& text) {
        AppendVideoLog(QStringLiteral("FEHLER: ") + text);
        platform::showError(text);
        return false;
    };
    // Without the plug-in no video can be made: that is a failure, not a finished run.
    if (!platform::fileExists(plugin)) return failed(QStringLiteral("mpdx_dll.dll not found! Error No: 0"));
    EnsureInputWav();
    if (!LoadEncoderPlugin()) {
        AppendVideoLog(QStringLiteral("FEHLER: mpdx_dll.dll not found! Error No: 0"));
        return false;
    }
    auto lastError = reinterpret_cast<MPDXLastErrorProc>(MpdxLibrary.resolve("MPDXLastError"));
    (void)platform::forceDirectories(m.VideoFolder); // a missing folder fails the encoder, which says so
    const QByteArray folderText = (platform::toHostPath(m.EncoderFolder) + u'/').toLocal8Bit();
    const QByteArray outputText = (platform::toHostPath(output)).toLocal8Bit();
    const char* folderArg = folderText.constData();
    const char* outputArg = outputText.constData();
    AppendVideoLog(QStringLiteral("     Start: mpdx_dll.dll ") + output);
    OpenMPDX(&folderArg, &outputArg);
    const int rc = EncodeMPDX();
    const QString why = lastError ? QString::fromUtf8(lastError()) : QString();
    UnloadEncoderPlugin();
    if (rc != 0 || !platform::fileExists(output))
        return failed(QStringLiteral("The MPEG video could not be written: ") + (why.isEmpty() ? output : why));
    AppendVideoLog(QStringLiteral("     Fertig: mpdx_dll.dll"));
    return true;
}

bool TDVDForm::WriteAviVideo()
{
    const show::ShowContext m = currentShow();
    const QString e = m.EncoderFolder;
    AppendVideoLog(QStringLiteral("START: AVI"));
    PictureList.clear();
    for (const platform::DirEntry& entry : platform::findFiles(e, QStringLiteral("*.bmp"))) PictureList << e + entry.name;

    const QString output = VideoFileName();
    // A missing folder fails the writer, which says so; an old video that stays is replaced by it.
    (void)platform::forceDirectories(m.VideoFolder);
    (void)platform::deleteFile(output);
    TAviWriter writer(e);
    writer.FileName = output;
    writer.Width = FrameWidth;
    writer.Height = FrameHeight;
    writer.FrameTime = platform::roundHalfEven(seconds_ * 1000);
    writer.Stretch = false;
    writer.OnProgress = [this](TAviWriter*, const QString& message, int) { AviWriter1Progress(message); };

    ProgressTotal = platform::roundHalfEven(3 * PictureCount * 1.4);
    setStatus(QStringLiteral("Add pictures to video"));
    std::vector<std::unique_ptr<Bitmap24>> bitmaps;
    for (const QString& file : PictureList) {
        if (!platform::fileExists(file)) continue;
        const std::optional<QByteArray> bytes = platform::readFile(file);
        QImage image;
        if (bytes) image.loadFromData(*bytes, "BMP");
        if (image.isNull()) {
            platform::showError(QStringLiteral("Cannot load bitmap because: ") + (bytes ? QStringLiteral("Bitmap image is not valid") : platform::lastFileError()));
            continue;
        }
        image = image.convertToFormat(QImage::Format_BGR888);
        auto bitmap = std::make_unique<Bitmap24>(image.width(), image.height());
        for (int y = 0; y < image.height(); ++y)
            memcpy(bitmap->pixel(0, y), image.constScanLine(y), size_t(image.width()) * 3);
        writer.Bitmaps.append(bitmap.get());
        bitmaps.push_back(std::move(bitmap));
        AppendVideoLog(QStringLiteral("     AviWriter1.Bitmaps.Add: ") + platform::fileInfo(file).value_or(platform::DirEntry{}).name);
        ProgressStep();
        memo(u' ' + texts_.text(12002) + u' ' + QString::number(bitmaps.size()) + u' ' + texts_.text(12003));
    }
    const QString wav = e + QStringLiteral("Input.wav");
    if (platform::fileExists(wav)) {
        writer.setWavFileName(wav);
        AppendVideoLog(QStringLiteral("     AviWriter: Audiodatei=Input.wav"));
    } else {
        AppendVideoLog(QStringLiteral("     AviWriter: File not exist Input.wav --> AVI ohne Audio herstellen"));
    }
    AppendVideoLog(QStringLiteral("     Start: AviWriter"));
    try {
        writer.Write();
    } catch (const EAviWriterError& error) {
        AppendVideoLog(QStringLiteral("FEHLER: ") + error.message());
        platform::showError(error.message());
        return false;
    }
    AppendVideoLog(QStringLiteral("     Fertig: AviWriter"));
    CleanEncoderFolder();
    writer.Bitmaps.clear();
    AppendVideoLog(QStringLiteral("FERTIG: AVI"));
    return true;
}

void TDVDForm::AviWriter1Progress(const QString& message)
{
    ProgressStep();
    Memo1->appendPlainText(message);
    AppendVideoLog(QStringLiteral("        AVIWriter: ") + message);
    StatusLabel->setText(message);
    Memo1->repaint();
    StatusLabel->repaint();
}

void TDVDForm::EndOfRun()
{
    PictureList.clear();
    AudioList.clear();
    // After an abort the encoder folder is emptied as well: a decoder killed mid-way leaves a
    // partial wave file, and no half-made frames may be taken up by a later run.
    if (!HighQuality || AbortRequested) CleanEncoderFolder();
    CloseBitBtn->setEnabled(true);
    VideoBitBtn->setEnabled(true);
    AbortBitBtn->setEnabled(false);
    memo(QStringLiteral(" "));
    memo(texts_.text(12007));
    StatusLabel->setText(texts_.text(12007));
    AppendVideoLog(texts_.text(12007));
    ProgressBar1->setValue(100);
    PercentLabel->clear();
    WorkingLabel->hide();
    QApplication::beep();
    RunOver = true;
    if (AbortRequested) close();
}

void TDVDForm::FailureCleanUp()
{
    PictureList.clear();
    AudioList.clear();
    CleanEncoderFolder();
    CloseBitBtn->setEnabled(true);
    VideoBitBtn->setEnabled(false);
    AbortBitBtn->setEnabled(false);
    memo(texts_.text(12008));
    AppendVideoLog(texts_.text(12008));
    ProgressBar1->setValue(0);
    PercentLabel->setText(QStringLiteral("0%"));
    WorkingLabel->hide();
    RunFailed = true;
    RunOver = true;
}

void TDVDForm::WrongFormatFailure(const QString& track)
{
    memo(QStringLiteral("wrong Samplerate / or not Stereo"));
    AppendVideoLog(QStringLiteral("wrong Samplerate / or not Stereo"));
    const QString name = platform::fileInfo(track) ? platform::fileInfo(track)->name : track.mid(track.lastIndexOf(u'\\') + 1);
    platform::showInformation(texts_.text(10012) + u' ' + name.toUpper() + u' ' + texts_.text(10013) + QStringLiteral("\r\r")
                              + texts_.text(10014) + QStringLiteral("\r\r") + texts_.text(10015));
    FailureCleanUp();
}

void TDVDForm::AbortBitBtnClick()
{
    memo(QStringLiteral(" "));
    memo(texts_.text(12001));
    CleanEncoderFolder();
    host_.ShowInstructions(video::VideoInstructions(video::VideoOutcome::Aborted));
    AbortRequested = true;
    RunOver = true;
    WaveForm1->close();
    close();
}

void TDVDForm::CloseBitBtnClick()
{
    using video::VideoOutcome;
    const VideoOutcome outcome = RunFailed                             ? VideoOutcome::Failed
                                 : ModeName == QLatin1String("VCD") ? VideoOutcome::MadeVCD
                                                                      : VideoOutcome::MadeSVCD;
    host_.ShowInstructions(video::VideoInstructions(outcome, currentShow().VideoFolder));
    close();
}

void TDVDForm::VideoBitBtnClick()
{
    RunAndWait(QString(), QStringLiteral("mplayer2.exe"), u'"' + VideoFileName() + u'"');
}
