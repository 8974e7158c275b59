// The MPEG encoder plug-in over FFmpeg's libraries: JPEG frames and a PCM soundtrack of the
// encoder work folder become one MPEG program stream.
#include "output/video/mpdxplugin.h"

#include "util/riffchunks.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QtEndian>

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

// The frame list counts in 25ths of a second, whatever the norm.
constexpr int FrameListRate = 25;
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
    auto u16 = [](const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint16>(b.constData() + at); };
    auto u32 = [](const QByteArray& b, qsizetype at) { return qFromLittleEndian<quint32>(b.constData() + at); };
    const QByteArray riff = f.read(12);
    if (riff.size() < 12 || riff.left(4) != "RIFF" || riff.mid(8, 4) != "WAVE") {
        error = "not a wave file: " + path.toStdString();
        return false;
    }
    bool haveFormat = false, found = false, badFormat = false;
    const qint64 fileSize = f.size();
    riff::forEachChunk(f, 12, fileSize, [&](const riff::ChunkHeader& chunk) {
        if (chunk.id == "fmt " && chunk.size >= 16) {
            const QByteArray fmt = f.read(16);
            if (fmt.size() < 16) return false;
            if (u16(fmt, 0) != 1 || u16(fmt, 2) != 2 || u32(fmt, 4) != SampleRate || u16(fmt, 14) != 16) {
                badFormat = true;
                return false;
            }
            haveFormat = true;
        } else if (chunk.id == "data") {
            if (!haveFormat) return false;
            out.dataStart = chunk.dataOffset;
            out.frameCount = qMin<qint64>(chunk.size, fileSize - chunk.dataOffset) / 4;
            found = true;
            return false;
        }
        return true;
    });
    if (badFormat) {
        error = "the soundtrack is not 44,100 Hz 16-bit stereo PCM";
        return false;
    }
    if (found) return true;
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

// The four standard streams, told apart by the frame size.
struct StreamFormat {
    int width, height;
    bool videoCd;      // MPEG-1 in the video CD multiplex; otherwise MPEG-2 for a super video CD
    AVRational rate;   // frames per second of the norm
    int gop;
};
constexpr StreamFormat Formats[] = {
    {352, 288, true, {25, 1}, 15},        // video CD, PAL
    {352, 240, true, {30000, 1001}, 18},  // video CD, NTSC
    {480, 576, false, {25, 1}, 15},       // super video CD, PAL
    {480, 480, false, {30000, 1001}, 18}, // super video CD, NTSC
};

// The pixel aspect that makes a frame fill the 4:3 screen (12:11 for PAL video CD, 10:11 for
// NTSC, 8:5 and 4:3 for super video CD). MPEG-1 has only a table of pixel aspects, so a video CD
// gets the nearest one.
AVRational pixelAspect(const StreamFormat& f)
{
    AVRational aspect{1, 1};
    av_reduce(&aspect.num, &aspect.den, qint64(MpdxDisplayAspectWidth) * f.height, qint64(MpdxDisplayAspectHeight) * f.width, 1 << 16);
    return aspect;
}

const StreamFormat* formatFor(int width, int height)
{
    for (const StreamFormat& f : Formats)
        if (f.width == width && f.height == height) return &f;
    return nullptr;
}

// The frame list counts in 25ths of a second. The video frame k of a norm with rate r shows the
// picture whose span of 25ths holds the moment k / r, so a still keeps its time in either norm.
struct Timeline {
    const FramePlan& plan;
    AVRational rate;
    qint64 frameCount() const
    {
        // total / 25 seconds at r frames per second, to the nearest frame.
        return av_rescale_rnd(plan.total, rate.num, qint64(FrameListRate) * rate.den, AV_ROUND_NEAR_INF);
    }
    // The picture shown in video frame k, walking forward from the one shown before.
    int pictureAt(qint64 k, int from, qint64& spanStart) const
    {
        // k / r seconds in 25ths, compared exactly: k × den × 25 against start × num.
        const qint64 moment = k * rate.den * FrameListRate;
        int i = from;
        while (i + 1 < plan.holds.size() && (spanStart + plan.holds[i]) * rate.num <= moment) {
            spanStart += plan.holds[i];
            ++i;
        }
        return i;
    }
};

struct Output {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr; // the picture being shown, converted once
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scale = nullptr;

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

    // Reads a frame file into a new picture of the stream's size.
    bool convert(const QString& file, int width, int height)
    {
        QImage image(file);
        if (image.isNull()) return false;
        if (image.format() != QImage::Format_RGB888) image = image.convertToFormat(QImage::Format_RGB888);
        scale = sws_getCachedContext(scale, image.width(), image.height(), AV_PIX_FMT_RGB24, width, height,
                                     AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!scale) return false;
        // A new buffer each time: the encoder may still hold the frames of the picture before.
        av_frame_free(&picture);
        picture = av_frame_alloc();
        if (!picture) return false;
        picture->format = AV_PIX_FMT_YUV420P;
        picture->width = width;
        picture->height = height;
        if (av_frame_get_buffer(picture, 0) < 0) return false;
        const uint8_t* src[1] = {image.constBits()};
        const int srcStride[1] = {int(image.bytesPerLine())};
        sws_scale(scale, src, srcStride, 0, image.height(), picture->data, picture->linesize);
        return true;
    }
};

int encode(const QString& folder, const QString& outputPath)
{
    FramePlan plan;
    std::string error;
    if (!readPlan(folder, plan, error)) return fail(error);
    Pcm pcm;
    if (!readWave(folder + QStringLiteral("Input.wav"), pcm, error)) return fail(error);

    QImageReader firstReader(plan.files.first());
    const QSize firstSize = firstReader.size();
    if (!firstSize.isValid()) return fail("cannot read frame " + plan.files.first().toStdString());
    const StreamFormat* stream = formatFor(firstSize.width(), firstSize.height());
    if (!stream)
        return fail("frames of " + std::to_string(firstSize.width()) + " x " + std::to_string(firstSize.height())
                    + " are no video CD or super video CD size");
    const int width = stream->width;
    const int height = stream->height;

    const QString workPath = outputPath + QStringLiteral(".part");
    const QByteArray workName = QFile::encodeName(workPath);
    QFile::remove(workPath);

    Output out;
    int rc = avformat_alloc_output_context2(&out.format, nullptr, stream->videoCd ? "vcd" : "svcd", workName.constData());
    if (rc < 0 || !out.format) return fail("cannot create the MPEG stream: " + avError(rc));
    // Disc sectors carry 2,324 bytes of a form 2 sector each; a video CD is read at 75 sectors of
    // 2,352 bytes a second.
    out.format->packet_size = 2324;
    if (stream->videoCd) {
        av_opt_set_int(out.format->priv_data, "muxrate", 2352 * 75 * 8, 0);
        // The first packs hold padding and the other stream's first pack: the data starts at
        // system clock 36,000 + 3 × 1,200.
        av_opt_set_int(out.format->priv_data, "preload", (36000 + 3 * 1200) * qint64(AV_TIME_BASE) / 90000, 0);
    }

    const AVCodec* videoCodec = avcodec_find_encoder(stream->videoCd ? AV_CODEC_ID_MPEG1VIDEO : AV_CODEC_ID_MPEG2VIDEO);
    const AVCodec* audioCodec = avcodec_find_encoder(AV_CODEC_ID_MP2);
    if (!videoCodec || !audioCodec) return fail("MPEG encoders not available");

    out.videoStream = avformat_new_stream(out.format, nullptr);
    out.audioStream = avformat_new_stream(out.format, nullptr);
    out.video = avcodec_alloc_context3(videoCodec);
    out.audio = avcodec_alloc_context3(audioCodec);
    if (!out.videoStream || !out.audioStream || !out.video || !out.audio) return fail("out of memory");

    out.video->width = width;
    out.video->height = height;
    out.video->time_base = av_inv_q(stream->rate);
    out.video->framerate = stream->rate;
    out.video->pix_fmt = AV_PIX_FMT_YUV420P;
    out.video->gop_size = stream->gop;
    out.video->max_b_frames = 0;
    out.video->sample_aspect_ratio = pixelAspect(*stream);
    out.video->thread_count = 0;
    AVDictionary* videoOptions = nullptr;
    if (stream->videoCd) {
        // A constant 1,150 kbit/s with the 40 KiB buffer of the video CD player.
        out.video->bit_rate = out.video->rc_max_rate = out.video->rc_min_rate = 1150000;
        out.video->rc_buffer_size = 40 * 1024 * 8;
    } else {
        out.video->bit_rate = 2040000;
        out.video->rc_max_rate = 2516000;
        out.video->rc_min_rate = 0;
        out.video->rc_buffer_size = 224 * 1024 * 8;
        // Room for the scan offsets a disc tool fills in.
        av_dict_set(&videoOptions, "scan_offset", "1", 0);
    }
    out.videoStream->sample_aspect_ratio = out.video->sample_aspect_ratio;
    if (out.format->oformat->flags & AVFMT_GLOBALHEADER) out.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    rc = avcodec_open2(out.video, videoCodec, &videoOptions);
    av_dict_free(&videoOptions);
    if (rc < 0) return fail("cannot open the video encoder: " + avError(rc));

    out.audio->sample_rate = SampleRate;
    out.audio->sample_fmt = AV_SAMPLE_FMT_S16;
    av_channel_layout_default(&out.audio->ch_layout, 2);
    out.audio->bit_rate = 224000;
    out.audio->time_base = AVRational{1, SampleRate};
    if ((rc = avcodec_open2(out.audio, audioCodec, nullptr)) < 0) return fail("cannot open the audio encoder: " + avError(rc));

    avcodec_parameters_from_context(out.videoStream->codecpar, out.video);
    // The multiplexer sizes the decoder buffer it announces from the encoder's buffer figures.
    for (int i = 0; i < out.video->nb_coded_side_data; ++i) {
        const AVPacketSideData& data = out.video->coded_side_data[i];
        uint8_t* copy = av_stream_new_side_data(out.videoStream, data.type, data.size);
        if (!copy) return fail("out of memory");
        memcpy(copy, data.data, data.size);
    }
    avcodec_parameters_from_context(out.audioStream->codecpar, out.audio);
    out.videoStream->time_base = out.video->time_base;
    out.audioStream->time_base = out.audio->time_base;

    if ((rc = avio_open(&out.format->pb, workName.constData(), AVIO_FLAG_WRITE)) < 0)
        return fail("cannot write " + workPath.toStdString() + ": " + avError(rc));
    if ((rc = avformat_write_header(out.format, nullptr)) < 0) return fail("cannot write the MPEG header: " + avError(rc));

    out.packet = av_packet_alloc();
    out.sound = av_frame_alloc();
    if (!out.packet || !out.sound) return fail("out of memory");
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

    // The soundtrack covers the frame list's time: cut when longer, silence when shorter.
    const Timeline timeline{plan, stream->rate};
    const qint64 videoTotal = timeline.frameCount();
    const qint64 audioTotal = plan.total * SampleRate / FrameListRate;
    qint64 videoPts = 0, audioPts = 0, spanStart = 0;
    int shown = -1;
    while (videoPts < videoTotal || audioPts < audioTotal) {
        const bool videoNext = audioPts >= audioTotal
            || (videoPts < videoTotal && av_compare_ts(videoPts, out.video->time_base, audioPts, out.audio->time_base) <= 0);
        if (videoNext) {
            const int index = timeline.pictureAt(videoPts, qMax(shown, 0), spanStart);
            if (index != shown) {
                if (!out.convert(plan.files[index], width, height)) return abandon("cannot read frame " + plan.files[index].toStdString());
                shown = index;
            }
            // The held picture goes in again by reference; its pixels are never written twice.
            AVFrame* frame = av_frame_clone(out.picture);
            if (!frame) return abandon("out of memory");
            frame->pts = videoPts++;
            rc = out.send(out.video, out.videoStream, frame);
            av_frame_free(&frame);
            if (rc < 0) return abandon("video encoding failed: " + avError(rc));
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
