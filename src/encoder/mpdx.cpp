// The MPEG encoder plug-in over FFmpeg's libraries: JPEG frames and a PCM soundtrack of the
// encoder work folder become one MPEG program stream.
#include "encoder/mpdx.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QString>
#include <QStringList>

#include <memory>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

constexpr int FrameRate = 25;
constexpr int SampleRate = 44100;

std::string g_folder;
std::string g_output;
std::string g_error;

int fail(const std::string& message)
{
    g_error = message;
    return -1;
}

std::string avError(int code)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return buffer;
}

// The soundtrack: 16-bit stereo PCM at 44,100 Hz; anything else is refused. The samples are
// read from the file as the encoder needs them.
struct Pcm {
    QFile file;
    qint64 dataStart = 0;
    qint64 frameCount = 0;

    // Reads up to n sample frames from frame `first` into out; the rest stays as it is.
    qint64 read(qint64 first, qint64 n, char* out)
    {
        const qint64 have = qBound<qint64>(qint64(0), frameCount - first, n);
        if (have <= 0 || !file.seek(dataStart + first * 4)) return 0;
        const qint64 got = file.read(out, have * 4);
        return got > 0 ? got / 4 : 0;
    }
};

bool readWave(const QString& path, Pcm& out, std::string& error)
{
    QFile& f = out.file;
    f.setFileName(path);
    if (!f.open(QIODevice::ReadOnly)) {
        error = "cannot open " + path.toStdString();
        return false;
    }
    auto u16 = [](const QByteArray& b, qsizetype at) { return quint16(uchar(b[at]) | uchar(b[at + 1]) << 8); };
    auto u32 = [&](const QByteArray& b, qsizetype at) { return quint32(u16(b, at)) | quint32(u16(b, at + 2)) << 16; };
    const QByteArray riff = f.read(12);
    if (riff.size() < 12 || riff.left(4) != "RIFF" || riff.mid(8, 4) != "WAVE") {
        error = "not a wave file: " + path.toStdString();
        return false;
    }
    bool haveFormat = false;
    qint64 at = 12;
    const qint64 fileSize = f.size();
    while (at + 8 <= fileSize && f.seek(at)) {
        const QByteArray head = f.read(8);
        if (head.size() < 8) break;
        const qint64 size = u32(head, 4);
        const qint64 body = at + 8;
        if (head.left(4) == "fmt " && size >= 16) {
            const QByteArray fmt = f.read(16);
            if (fmt.size() < 16) break;
            if (u16(fmt, 0) != 1 || u16(fmt, 2) != 2 || u32(fmt, 4) != SampleRate || u16(fmt, 14) != 16) {
                error = "the soundtrack is not 44,100 Hz 16-bit stereo PCM";
                return false;
            }
            haveFormat = true;
        } else if (head.left(4) == "data") {
            if (!haveFormat) break;
            out.dataStart = body;
            out.frameCount = qMin<qint64>(size, fileSize - body) / 4;
            return true;
        }
        at = body + size + (size & 1);
    }
    error = "no wave data in " + path.toStdString();
    return false;
}

// The frames in play order with the number of video frames each is held.
struct FramePlan {
    QStringList files;
    QList<int> holds;
    qint64 total = 0;
};

bool readPlan(const QString& folder, FramePlan& plan, std::string& error)
{
    QFile list(folder + QStringLiteral("Test_quantity.nno"));
    if (!list.open(QIODevice::ReadOnly)) {
        error = "frame list Test_quantity.nno missing";
        return false;
    }
    QMap<QString, int> holds;
    for (const QByteArray& raw : list.readAll().split('\n')) {
        const QString line = QString::fromLatin1(raw).trimmed();
        if (line.isEmpty()) continue;
        const int star = line.lastIndexOf(u'*');
        bool ok = false;
        const int count = star > 0 ? line.mid(star + 1).trimmed().toInt(&ok) : 0;
        if (!ok || count < 1 || count > 100000) {
            error = "bad line in the frame list: " + line.toStdString();
            return false;
        }
        QString name = line.left(star).trimmed();
        name = name.mid(qMax(name.lastIndexOf(u'\\'), name.lastIndexOf(u'/')) + 1);
        holds.insert(name.toLower(), count);
    }
    QDir dir(folder);
    QStringList names = dir.entryList({QStringLiteral("Test_*.jpg")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    for (const QString& name : names) {
        const int hold = holds.value(name.toLower(), 1);
        plan.files << folder + name;
        plan.holds << hold;
        plan.total += hold;
    }
    if (plan.files.isEmpty()) {
        error = "no frames in the encoder folder";
        return false;
    }
    return true;
}

struct Output {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;
    bool headerWritten = false;

    ~Output()
    {
        sws_freeContext(scale);
        av_packet_free(&packet);
        av_frame_free(&picture);
        av_frame_free(&sound);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (format) {
            if (format->pb) avio_closep(&format->pb);
            avformat_free_context(format);
        }
    }

    // Sends one frame (nullptr flushes) and writes every packet that comes out.
    int send(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
    {
        int rc = avcodec_send_frame(codec, frame);
        if (rc < 0) return rc;
        for (;;) {
            rc = avcodec_receive_packet(codec, packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
            if (rc < 0) return rc;
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            rc = av_interleaved_write_frame(format, packet);
            if (rc < 0) return rc;
        }
    }
};

int encode(const QString& folder, const QString& outputPath)
{
    FramePlan plan;
    std::string error;
    if (!readPlan(folder, plan, error)) return fail(error);
    Pcm pcm;
    if (!readWave(folder + QStringLiteral("Input.wav"), pcm, error)) return fail(error);

    QImage first(plan.files.first());
    if (first.isNull()) return fail("cannot read frame " + plan.files.first().toStdString());
    const int width = first.width() & ~1;
    const int height = first.height() & ~1;
    if (width < 16 || height < 16 || width > 4096 || height > 4096) return fail("unsupported frame size");
    const bool mpeg1 = width == 352;

    const QString workPath = outputPath + QStringLiteral(".part");
    const QByteArray workName = QFile::encodeName(workPath);
    QFile::remove(workPath);

    Output out;
    int rc = avformat_alloc_output_context2(&out.format, nullptr, mpeg1 ? "mpeg" : "vob", workName.constData());
    if (rc < 0 || !out.format) return fail("cannot create the MPEG stream: " + avError(rc));

    const AVCodec* videoCodec = avcodec_find_encoder(mpeg1 ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG2VIDEO);
    const AVCodec* audioCodec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!videoCodec || !audioCodec) return fail("MPEG encoders not available");

    out.videoStream = avformat_new_stream(out.format, nullptr);
    out.audioStream = avformat_new_stream(out.format, nullptr);
    out.video = avcodec_alloc_context3(videoCodec);
    out.audio = avcodec_alloc_context3(audioCodec);
    if (!out.videoStream || !out.audioStream || !out.video || !out.audio) return fail("out of memory");

    out.video->width = width;
    out.video->height = height;
    out.video->time_base = AVRational{1, FrameRate};
    out.video->framerate = AVRational{FrameRate, 1};
    out.video->pix_fmt = AV_PIX_FMT_YUV420P;
    out.video->gop_size = mpeg1 ? 15 : 12;
    out.video->max_b_frames = 2;
    out.video->bit_rate = mpeg1 ? 1150000 : 2500000;
    out.video->rc_max_rate = mpeg1 ? 1150000 : 2520000;
    out.video->rc_min_rate = mpeg1 ? 1150000 : 0;
    out.video->rc_buffer_size = mpeg1 ? 40 * 1024 * 8 : 112 * 1024 * 8;
    out.video->sample_aspect_ratio = AVRational{1, 1};
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER) out.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if ((rc = avcodec_open2(out.video, videoCodec, nullptr)) < 0) return fail("cannot open the video encoder: " + avError(rc));

    out.audio->sample_rate = SampleRate;
    out.audio->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&out.audio->ch_layout, 2);
    out.audio->bit_rate = 224000;
    out.audio->time_base = AVRational{1, SampleRate};
    if ((rc = avcodec_open2(out.audio, audioCodec, nullptr)) < 0) return fail("cannot open the audio encoder: " + avError(rc));

    avcodec_parameters_from_context(out.videoStream->codecpar, out.video);
    avcodec_parameters_from_context(out.audioStream->codecpar, out.audio);
    out.videoStream->time_base = out.video->time_base;
    out.audioStream->time_base = out.audio->time_base;

    if ((rc = avio_open(&out.format->pb, workName.constData(), AVIO_FLAG_WRITE)) < 0)
        return fail("cannot write " + workPath.toStdString() + ": " + avError(rc));
    if ((rc = avformat_write_header(out.format, nullptr)) < 0) return fail("cannot write the MPEG header: " + avError(rc));

    out.packet = av_packet_alloc();
    out.picture = av_frame_alloc();
    out.sound = av_frame_alloc();
    if (!out.packet || !out.picture || !out.sound) return fail("out of memory");
    out.picture->format = AV_PIX_FMT_YUV420P;
    out.picture->width = width;
    out.picture->height = height;
    if (av_frame_get_buffer(out.picture, 0) < 0) return fail("out of memory");
    const int audioFrameSize = out.audio->frame_size > 0 ? out.audio->frame_size : 1152;
    out.sound->format = AV_SAMPLE_FMT_S16;
    out.sound->nb_samples = audioFrameSize;
    out.sound->sample_rate = SampleRate;
    av_channel_layout_copy(&out.sound->ch_layout, &out.audio->ch_layout);
    if (av_frame_get_buffer(out.sound, 0) < 0) return fail("out of memory");

    auto abandon = [&](const std::string& message) {
        if (out.format->pb) avio_closep(&out.format->pb);
        QFile::remove(workPath);
        return fail(message);
    };

    // The soundtrack covers the video: cut when longer, silence when shorter.
    const qint64 audioTotal = plan.total * SampleRate / FrameRate;
    qint64 videoPts = 0, audioPts = 0;
    int fileIndex = 0, heldSoFar = 0;
    QImage current;
    while (videoPts < plan.total || audioPts < audioTotal) {
        const bool videoNext = audioPts >= audioTotal
            || (videoPts < plan.total
                && av_compare_ts(videoPts, out.video->time_base, audioPts, out.audio->time_base) <= 0);
        if (videoNext) {
            if (heldSoFar == 0) {
                QImage image(plan.files[fileIndex]);
                if (image.isNull()) return abandon("cannot read frame " + plan.files[fileIndex].toStdString());
                current = image.convertToFormat(QImage::Format_RGB888);
                sws_freeContext(out.scale);
                out.scale = sws_getContext(current.width(), current.height(), AV_PIX_FMT_RGB24, width, height,
                                           AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
                if (!out.scale) return abandon("cannot scale frame " + plan.files[fileIndex].toStdString());
            }
            if (av_frame_make_writable(out.picture) < 0) return abandon("out of memory");
            const uint8_t* src[1] = {current.constBits()};
            const int srcStride[1] = {int(current.bytesPerLine())};
            sws_scale(out.scale, src, srcStride, 0, current.height(), out.picture->data, out.picture->linesize);
            out.picture->pts = videoPts++;
            if ((rc = out.send(out.video, out.videoStream, out.picture)) < 0) return abandon("video encoding failed: " + avError(rc));
            if (++heldSoFar >= plan.holds[fileIndex]) {
                heldSoFar = 0;
                ++fileIndex;
            }
        } else {
            if (av_frame_make_writable(out.sound) < 0) return abandon("out of memory");
            const int n = int(qMin<qint64>(audioFrameSize, audioTotal - audioPts));
            auto* target = reinterpret_cast<char*>(out.sound->data[0]);
            memset(target, 0, size_t(audioFrameSize) * 4);
            pcm.read(audioPts, n, target);
            out.sound->pts = audioPts;
            audioPts += n;
            if ((rc = out.send(out.audio, out.audioStream, out.sound)) < 0) return abandon("audio encoding failed: " + avError(rc));
        }
    }
    if ((rc = out.send(out.video, out.videoStream, nullptr)) < 0 || (rc = out.send(out.audio, out.audioStream, nullptr)) < 0)
        return abandon("flushing the encoders failed: " + avError(rc));
    if ((rc = av_write_trailer(out.format)) < 0) return abandon("cannot finish the MPEG file: " + avError(rc));
    if ((rc = avio_closep(&out.format->pb)) < 0) return abandon("cannot write " + workPath.toStdString() + ": " + avError(rc));

    QFile::remove(outputPath);
    if (!QFile::rename(workPath, outputPath)) {
        QFile::remove(workPath);
        return fail("cannot put " + outputPath.toStdString() + " in place");
    }
    return 0;
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) int OpenMPDX(const char* const* encoderFolder, const char* const* outputFile)
{
    if (!encoderFolder || !*encoderFolder || !outputFile || !*outputFile) return fail("no encoder folder or output file");
    g_folder = *encoderFolder;
    g_output = *outputFile;
    if (!g_folder.empty() && g_folder.back() != '/') g_folder += '/';
    g_error.clear();
    return 0;
}

__attribute__((visibility("default"))) int EncodeMPDX()
{
    if (g_folder.empty() || g_output.empty()) return fail("OpenMPDX was not called");
    g_error.clear();
    return encode(QString::fromStdString(g_folder), QString::fromStdString(g_output));
}

__attribute__((visibility("default"))) const char* MPDXLastError() { return g_error.c_str(); }
}
