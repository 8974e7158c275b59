// The high-quality PAL video CD of 20 photos of 5120 x 2880 (JPEG and PNG) with transitions and a
// two-minute MP3, against ffmpeg's PAL video CD target making the same slideshow with
// cross-fades from the same photos and music, in one run on the same machine:
//  - ours: the video run of the program (frames, transitions, decoding the music, the
//    soundtrack, the encoder plug-in), timed from the start of the run to the finished MPEG;
//  - ffmpeg: each photo decoded once, fitted into the 4:3 screen of the stream (352 x 288 pixels
//    of 12:11), held 5 seconds with a 0.72-second cross-fade into the next (our 18 transition
//    frames) and the closing picture, the music, into "-target pal-vcd".
// Both MPEGs are then checked by vcdimager. Where our time goes is printed as a split: the
// phases of the run (taken from the times its log lines appear), of the pictures their decoding
// and scaling on one core, and of the encoding the multiplexing alone (our streams multiplexed
// again by ffmpeg without encoding). The photos are the 5120 x 2880 wallpapers of
// Debian's plasma-workspace-wallpapers when installed (used in turn until there are 20), else
// drawn here.
//
//   cmake --build build --target video_run_bench && build/bench/video/video_run_bench [program folder [keep folder]]
// With a keep folder both MPEGs are copied there for a look. VIDEO_BENCH_DECODE_ONLY=1 times only
// the decoding and scaling of the photos.
#include "app/language.h"
#include "controls/htmlistbox.h"
#include "editor/mainform.h"
#include "output/audio/audiowindows.h"
#include "output/print/printwindows.h"
#include "output/video/dvdform.h"
#include "platform/drives.h"
#include "output/video/videoframes.h"
#include "platform/files.h"
#include "platform/textcodec.h"
#include "sdk/operations.h"
#include "sdk/pictureio.h"
#include "support/screenshots.h"
#include "../photos.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QCheckBox>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

constexpr int PhotoCount = 20;
constexpr int Seconds = 5;

bool run(const QString& program, const QStringList& args, QString* output = nullptr)
{
    QProcess p;
    p.setProcessChannelMode(output ? QProcess::MergedChannels : QProcess::ForwardedChannels);
    p.start(program, args);
    const bool ok = p.waitForFinished(3600000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (output) *output = QString::fromLocal8Bit(p.readAll());
    return ok;
}

double secondsSince(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }


// What vcdimager says of a video CD stream: "accepted" or its complaints.
QString discTool(const QString& mpeg, const QString& folder)
{
    QDir().mkpath(folder);
    QString said;
    const bool ok = run("vcdimager", {"-t", "vcd2", "-c", folder + "/disc.cue", "-b", folder + "/disc.bin", mpeg}, &said);
    return ok && !said.contains("WARN") ? QStringLiteral("accepted") : said.trimmed();
}

// Notes the moment each new line of the run log appears, from a thread of its own while the run
// works on the main thread.
class LogWatch {
public:
    explicit LogWatch(QString file) : file_(std::move(file)) { timer_.start(); }
    void start()
    {
        thread_ = std::thread([this] {
            while (!stop_) {
                poll();
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            poll();
        });
    }
    void stop()
    {
        stop_ = true;
        thread_.join();
    }
    // The seconds from the watch's start at which the first line holding text appeared;
    // negative when none did.
    double at(const QString& text) const
    {
        for (const auto& [seconds, line] : lines_)
            if (line.contains(text)) return seconds;
        return -1;
    }

private:
    void poll()
    {
        QFile f(file_);
        if (!f.open(QIODevice::ReadOnly)) return;
        const QList<QByteArray> all = f.readAll().split('\n');
        const double now = timer_.nsecsElapsed() / 1e9;
        // The log is written whole each time; a shorter one is a new run's.
        qsizetype complete = all.size() - 1;
        for (qsizetype i = qsizetype(lines_.size()); i < complete; ++i) lines_.push_back({now, QString::fromLatin1(all[i]).trimmed()});
    }
    QString file_;
    QElapsedTimer timer_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
    std::vector<std::pair<double, QString>> lines_;
};

// Decoding (at the reduced size the frame rendering asks for) and scaling of every photo, one
// after the other on one core, in seconds; suffix, when given, takes only the photos of that
// type.
std::pair<double, double> decodeAndScale(const QStringList& photos, const QString& suffix = {})
{
    double decode = 0, scale = 0;
    for (const QString& photo : photos) {
        if (!suffix.isEmpty() && !photo.endsWith(suffix)) continue;
        QFile f(photo);
        if (!f.open(QIODevice::ReadOnly)) continue;
        const QByteArray data = f.readAll();
        sdk::PxFileInfo info;
        if (sdk::PX_FileInfoMemory(data, &info) != sdk::PX_SUCCESS) continue;
        // The placement of a picture of this size in the PAL video CD frame shown 4:3.
        const double displayWidth = 352 * 12.0 / 11, ratio = double(info.Width) / info.Height;
        const int height = ratio >= 1 && displayWidth / ratio <= 288 ? qRound(displayWidth / ratio) : 288;
        const int width = qRound((ratio >= 1 && displayWidth / ratio <= 288 ? displayWidth : ratio * 288) * 11 / 12);
        QElapsedTimer t;
        t.start();
        sdk::SdkBitmapHandle bitmap;
        sdk::PxLoadOptions options;
        options.MaxPages = 1;
        options.ReduceWidth = width;
        options.ReduceHeight = height;
        sdk::PX_LoadMemory(data, &bitmap, 24, nullptr, options);
        decode += secondsSince(t);
        t.restart();
        sdk::PX_SizeBitmap(&bitmap, width, height, sdk::sizeBilinear);
        scale += secondsSince(t);
    }
    return {decode, scale};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir work;
    const QString root = work.path();
    for (const char* folder : {"/c", "/d", "/home", "/ffmpeg"}) QDir().mkpath(root + folder);
    qputenv("HOME", (root + "/home").toLocal8Bit());
    qputenv("QUORBEL_DRIVES", QString("C=%1/c;D=%1/d;Z=/").arg(root).toLocal8Bit());
    QApplication app(argc, argv);
    const QString built = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(QUORBEL_BUILT_PROGRAM);
    if (!run("cp", {"-a", built, root + "/program"})) return 1;
    {
        QFile g(root + "/program/Generator.ini");
        g.open(QIODevice::WriteOnly);
        g.write("[SETTINGS]\r\nLanguage=GERMAN\r\nDrive=D\r\n");
    }
    testsupport::runFromProgramDir(root + "/program");
    LoadLanguageTable();

    print::ReportWindows printWindows; // the report and audio windows, as the start-up makes them
    AudioInformation audioWindows;
    TMainForm form(show::OutputWindows{printWindows, audioWindows});
    TDVDForm dvd(form.showHost());
    form.ShowTitle = "Bench";
    form.ShowFolder = form.NextShowFolderName();
    const QString show = root + "/d/Quorbel/" + form.ShowFolder;
    QDir().mkpath(show);

    // The photos.
    QStringList sources = bench::wallpapers();
    const bool splitOnly = qEnvironmentVariableIsSet("VIDEO_BENCH_DECODE_ONLY");
    QStringList photos, lines;
    if (sources.isEmpty()) {
        std::printf("drawing the photos (plasma-workspace-wallpapers is not installed)...\n");
        for (int i = 0; i < 4; ++i) {
            const QString f = root + QString("/drawn%1.%2").arg(i).arg(i % 2 ? "png" : "jpg");
            // Eight bits a channel, as cameras and editors write photos.
            if (!run("convert", {"-size", "5120x2880", "plasma:", "-blur", "0x2", "-depth", "8", f})) return 1;
            sources << f;
        }
    }
    for (int i = 0; i < PhotoCount; ++i) {
        const QString source = sources[i % sources.size()];
        const QString name = QString("photo%1.%2").arg(i + 1, 2, 10, QChar('0')).arg(QFileInfo(source).suffix());
        if (!QFile::copy(source, show + "/" + name)) return 1;
        photos << show + "/" + name;
        lines << name + " | " + (i % 3 == 0 ? QString("Photo %1").arg(i + 1) : QString());
    }
    std::printf("photos: %d of 5120 x 2880 from %d files (%lld JPEG, %lld PNG)\n", PhotoCount, int(qMin<qsizetype>(sources.size(), PhotoCount)),
                std::count_if(photos.begin(), photos.end(), [](const QString& p) { return p.endsWith(".jpg"); }),
                std::count_if(photos.begin(), photos.end(), [](const QString& p) { return p.endsWith(".png"); }));
    if (splitOnly) {
        // Only the pictures' decoding and scaling, on one core.
        const auto [decode, scale] = decodeAndScale(photos);
        std::printf("decoding %.2f s (JPEG %.2f s, PNG %.2f s), scaling %.2f s\n", decode, decodeAndScale(photos, ".jpg").first,
                    decodeAndScale(photos, ".png").first, scale);
        return 0;
    }
    if (!platform::writeTextLines(form.ShowRoot + form.ShowFolder + "\\Pictures.ini", lines)) {
        std::fprintf(stderr, "cannot write the show's Pictures.ini\n");
        return 1;
    }
    for (const QString& line : lines)
        form.QuorbelListBox->Items().Add("<img src=\"file://" + form.ShowRoot + form.ShowFolder + "\\_THUMB_x.jpg\">" + line);

    // Two minutes of music.
    const QString wav = root + "/music.wav", mp3 = show + "/Audio001.mp3";
    if (!run("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "120", "sine", "220-880", "sine", "330"})
        || !run("lame", {"--quiet", "-b", "192", wav, mp3}))
        return 1;
    form.AudioListBox->addItem(form.ShowRoot + form.ShowFolder + "\\Audio001.mp3");

    form.SecondsPerPicture = QString::number(Seconds);
    form.ONRadioButton->setChecked(true);
    form.SpinEdit1->setValue(1);
    form.TextCheckBox->setChecked(true);
    form.TextColor = 0x00FFFFFF;
    dvd.ModeName = "VCD";
    dvd.Pal = true;
    dvd.HighQuality = true;

    std::printf("ours: high-quality PAL VCD...\n");
    std::fflush(stdout);
    LogWatch watch(platform::toHostPath(form.ProgramDir) + "/Quorbel.log");
    QElapsedTimer t;
    watch.start();
    t.start();
    dvd.MakeVideo();
    const double ours = secondsSince(t);
    watch.stop();
    const QString ourVideo = platform::toHostPath(dvd.VideoFileName());
    if (dvd.RunFailed || !QFile::exists(ourVideo)) {
        std::printf("the video run failed\n");
        return 1;
    }

    // ffmpeg: the same slideshow with cross-fades.
    const double fade = 18 / 25.0;
    QStringList args{"-nostdin", "-v", "error", "-y"};
    const QString closing = root + "/closing.png";
    dvd.ENImage.save(closing); // a closing picture as ours has
    QStringList inputs = photos;
    inputs << closing;
    for (const QString& input : inputs) args << "-i" << input;
    args << "-i" << mp3;
    QString graph;
    for (int i = 0; i < inputs.size(); ++i) {
        const bool last = i == inputs.size() - 1;
        // Each photo alone for the seconds, with the fades into it and out of it around.
        const double seconds = (i == 0 ? 0 : fade) + (last ? 4 : Seconds + fade);
        const int frames = qRound(seconds * 25);
        graph += QString("[%1:v]scale=384:288:force_original_aspect_ratio=decrease,pad=384:288:-1:-1,scale=352:288,setsar=12/11,format=yuv420p,"
                         "loop=loop=%2:size=1,setpts=N/25/TB,fps=25[v%1];")
                     .arg(i)
                     .arg(frames - 1);
    }
    QString previous = "v0";
    for (int i = 1; i < inputs.size(); ++i) {
        const QString out = i == inputs.size() - 1 ? QString("vout") : QString("x%1").arg(i);
        graph += QString("[%1][v%2]xfade=transition=fade:duration=%3:offset=%4[%5]").arg(previous).arg(i).arg(fade).arg(i * (Seconds + fade)).arg(out);
        if (i < inputs.size() - 1) graph += ';';
        previous = out;
    }
    const double total = PhotoCount * (Seconds + fade) + 4;
    const QString theirVideo = root + "/ffmpeg/bench.mpg";
    args << "-filter_complex" << graph << "-map" << "[vout]" << "-map" << QString("%1:a").arg(inputs.size()) << "-t"
         << QString::number(total) << "-target" << "pal-vcd" << theirVideo;
    std::printf("ffmpeg -target pal-vcd...\n");
    std::fflush(stdout);
    t.restart();
    if (!run("ffmpeg", args)) {
        std::printf("ffmpeg failed\n");
        return 1;
    }
    const double theirs = secondsSince(t);

    QString ourProbe, theirProbe;
    run("ffprobe", {"-v", "error", "-select_streams", "v", "-count_packets", "-show_entries", "stream=width,height,nb_read_packets",
                    "-of", "csv=p=0", ourVideo},
        &ourProbe);
    run("ffprobe", {"-v", "error", "-select_streams", "v", "-count_packets", "-show_entries", "stream=width,height,nb_read_packets",
                    "-of", "csv=p=0", theirVideo},
        &theirProbe);
    std::printf("\nours:   %7.2f s  (%s frames: %s)  vcdimager: %s\n", ours, qPrintable(ourProbe.trimmed()),
                qPrintable(QFileInfo(ourVideo).fileName()), qPrintable(discTool(ourVideo, root + "/disc-ours")));
    std::printf("ffmpeg: %7.2f s  (%s frames)  vcdimager: %s\n", theirs, qPrintable(theirProbe.trimmed()),
                qPrintable(discTool(theirVideo, root + "/disc-ffmpeg")));
    std::printf("ours / ffmpeg: %.2f\n", ours / theirs);

    // Where our time went.
    const double frames = watch.at("START: Convert pictures for video"), slides = watch.at("Bild konvertiert: Temp.jpg"),
                 converted = watch.at("FERTIG: Bilder"), audio = watch.at("START: AUDIO"), cut = watch.at("prepare Audio / cut"),
                 encode = watch.at("Start: mpdx_dll.dll"), done = watch.at("Fertig: mpdx_dll.dll");
    const auto [decode, scale] = decodeAndScale(photos);
    std::printf("\nsplit of ours (from the run log):\n");
    std::printf("  start and clean-up           %6.2f s\n", frames);
    std::printf("  frames of the photos         %6.2f s  (decoding %.2f s and scaling %.2f s on one core; in the run on the pool)\n",
                slides - frames, decode, scale);
    std::printf("    of which JPEG decoding %.2f s, PNG decoding %.2f s\n", decodeAndScale(photos, ".jpg").first,
                decodeAndScale(photos, ".png").first);
    std::printf("  transition frames and list   %6.2f s\n", converted - slides);
    std::printf("  music decoded                %6.2f s\n", cut - audio);
    std::printf("  soundtrack                   %6.2f s\n", encode - cut);
    // Multiplexing alone: our two streams put together again without encoding, by ffmpeg's video
    // CD multiplexer; the rest of the plug-in's time is reading the frames and encoding.
    t.restart();
    const bool remuxed = run("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", ourVideo, "-c", "copy", "-f", "vcd", root + "/remux.mpg"});
    const double multiplex = secondsSince(t);
    std::printf("  encode and multiplex         %6.2f s", done - encode);
    if (remuxed) std::printf("  (multiplexing alone, ffmpeg -c copy -f vcd of our streams: %.2f s)", multiplex);
    std::printf("\n");
    std::printf("  end of the run               %6.2f s\n", ours - done);
    if (argc > 2) {
        const QString keep = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(keep);
        QFile::remove(keep + "/ours.mpg");
        QFile::remove(keep + "/ffmpeg.mpg");
        QFile::copy(ourVideo, keep + "/ours.mpg");
        QFile::copy(theirVideo, keep + "/ffmpeg.mpg");
    }
    return 0;
}
