// Makes the delivered show data at build time: the pictures of the sample shows with their
// thumbnails, the preview pictures, and the sample music track as a WAV file (encoded to MP3 by
// lame in the build).
//   quorbel_showgen samples <folder1> <folder2>   pictures of the two sample shows
//   quorbel_showgen music <file.wav>               the sample track, 44,100 Hz stereo, 16 bits
//   quorbel_showgen preview <folder>               the two pictures of the transition preview
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QtMath>
#include <cmath>
#include <cstdio>

namespace {

bool save(const QImage& image, const QString& path)
{
    if (!image.save(path, "JPG", 88)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A thumbnail as the editor names it: 70 pixels high, framed.
bool saveThumbnail(const QImage& picture, const QString& folder, const QString& name)
{
    QImage thumb = picture.scaledToHeight(70, Qt::SmoothTransformation).convertToFormat(QImage::Format_RGB32);
    QPainter p(&thumb);
    p.setPen(QColor(192, 192, 192));
    p.drawRect(thumb.rect().adjusted(0, 0, -1, -1));
    p.end();
    return save(thumb, folder + "/_THUMB_" + name);
}

// A landscape: sky, sun or moon, hills, a lake; variant changes the time of day.
QImage landscape(int variant)
{
    QImage img(1024, 768, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    struct Sky {
        QColor top, bottom, sun, near, far;
    };
    const Sky skies[] = {
        {QColor(60, 120, 210), QColor(185, 220, 250), QColor(255, 235, 110), QColor(50, 130, 60), QColor(95, 160, 90)},
        {QColor(210, 90, 60), QColor(250, 200, 120), QColor(255, 210, 90), QColor(110, 80, 50), QColor(150, 110, 70)},
        {QColor(20, 30, 80), QColor(70, 90, 160), QColor(240, 240, 220), QColor(30, 50, 60), QColor(50, 70, 90)},
        {QColor(120, 170, 230), QColor(230, 240, 250), QColor(255, 250, 200), QColor(230, 235, 245), QColor(200, 210, 225)},
        {QColor(90, 160, 200), QColor(200, 230, 220), QColor(255, 240, 150), QColor(60, 140, 70), QColor(120, 170, 110)},
    };
    const Sky& s = skies[variant % 5];
    QLinearGradient sky(0, 0, 0, 500);
    sky.setColorAt(0, s.top);
    sky.setColorAt(1, s.bottom);
    p.fillRect(img.rect(), sky);
    QRadialGradient glow(QPointF(220 + variant * 130, 180), 140);
    glow.setColorAt(0, s.sun);
    glow.setColorAt(0.45, s.sun);
    glow.setColorAt(1, QColor(s.sun.red(), s.sun.green(), s.sun.blue(), 0));
    p.setPen(Qt::NoPen);
    p.setBrush(glow);
    p.drawEllipse(QPointF(220 + variant * 130, 180), 140, 140);
    QPainterPath far;
    far.moveTo(0, 520);
    for (int x = 0; x <= 1024; x += 64) far.lineTo(x, 430 + 50 * std::sin((x + variant * 90) / 120.0));
    far.lineTo(1024, 768);
    far.lineTo(0, 768);
    p.setBrush(s.far);
    p.drawPath(far);
    QPainterPath lake;
    lake.addEllipse(QRectF(300 - variant * 20, 560, 520, 110));
    p.setBrush(QColor(70, 120, 190));
    QPainterPath near;
    near.moveTo(0, 600);
    near.cubicTo(300, 470 + variant * 10, 600, 700, 1024, 560);
    near.lineTo(1024, 768);
    near.lineTo(0, 768);
    p.setBrush(s.near);
    p.drawPath(near);
    p.setBrush(QColor(80, 130, 200, 220));
    p.drawPath(lake);
    return img;
}

// An abstract picture of coloured circles and stripes.
QImage colours(int variant)
{
    QImage img(1024, 768, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient back(0, 0, 1024, 768);
    back.setColorAt(0, QColor::fromHsv((variant * 70) % 360, 120, 90));
    back.setColorAt(1, QColor::fromHsv((variant * 70 + 140) % 360, 160, 200));
    p.fillRect(img.rect(), back);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 14; ++i) {
        const int hue = (variant * 53 + i * 26) % 360;
        p.setBrush(QColor::fromHsv(hue, 200, 240, 150));
        const qreal r = 40 + (i * 37 + variant * 11) % 140;
        p.drawEllipse(QPointF((i * 173 + variant * 61) % 1024, (i * 97 + variant * 131) % 768), r, r);
    }
    for (int i = 0; i < 6; ++i) {
        p.setBrush(QColor(255, 255, 255, 40));
        p.drawRect(QRectF(0, 60 + i * 120, 1024, 18));
    }
    return img;
}

bool samples(const QString& first, const QString& second)
{
    QDir().mkpath(first);
    QDir().mkpath(second);
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("Landschaft_%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'));
        const QImage img = landscape(i);
        if (!save(img, first + "/" + name) || !saveThumbnail(img, first, name)) return false;
    }
    for (int i = 0; i < 4; ++i) {
        const QString name = QStringLiteral("Farben_%1.jpg").arg(i + 1, 2, 10, QLatin1Char('0'));
        const QImage img = colours(i);
        if (!save(img, second + "/" + name) || !saveThumbnail(img, second, name)) return false;
    }
    return true;
}

// The settings page plays each transition from one of these onto the other: a landscape and a
// field of colours, so that every transition shows against a picture unlike the one it covers.
bool previews(const QString& folder)
{
    QDir().mkpath(folder);
    return save(landscape(2), folder + "/Preview1.jpg") && save(colours(1), folder + "/Preview2.jpg");
}

// A busy chromatic melody over a steady bass, 32 seconds, as 16-bit stereo PCM at 44,100 Hz.
bool music(const QString& path)
{
    const int rate = 44100;
    const double seconds = 32.0;
    const qint64 frames = static_cast<qint64>(rate * seconds);
    QByteArray pcm;
    pcm.resize(frames * 4);
    auto* out = reinterpret_cast<qint16*>(pcm.data());
    const double noteLength = 0.125; // sixteenth notes at 120 beats per minute
    const int pattern[] = {0, -1, -2, -3, -2, -3, -4, -5, -4, -5, -6, -7, -6, -5, -4, -3};
    for (qint64 f = 0; f < frames; ++f) {
        const double t = double(f) / rate;
        const qint64 note = static_cast<qint64>(t / noteLength);
        const int bar = static_cast<int>(note / 16);
        const int semis = 12 + pattern[note % 16] + ((bar % 4) == 2 ? 5 : 0) + ((bar % 4) == 3 ? 7 : 0);
        const double freq = 440.0 * std::pow(2.0, semis / 12.0);
        const double inNote = t - note * noteLength;
        const double env = std::min(1.0, inNote * 200.0) * std::exp(-inNote * 6.0);
        const double melody = env * (std::sin(2 * M_PI * freq * t) + 0.3 * std::sin(4 * M_PI * freq * t));
        const double bassFreq = 110.0 * std::pow(2.0, (((bar % 4) == 2 ? 5 : 0) + ((bar % 4) == 3 ? 7 : 0)) / 12.0);
        const double beat = t - std::floor(t / 0.5) * 0.5;
        const double bass = std::exp(-beat * 4.0) * std::sin(2 * M_PI * bassFreq * t);
        const double fade = std::min({1.0, t / 0.5, (seconds - t) / 1.5});
        const double left = fade * (0.32 * melody + 0.28 * bass);
        const double right = fade * (0.24 * melody + 0.34 * bass);
        out[2 * f] = static_cast<qint16>(std::clamp(left, -1.0, 1.0) * 30000);
        out[2 * f + 1] = static_cast<qint16>(std::clamp(right, -1.0, 1.0) * 30000);
    }
    QByteArray header;
    auto u32 = [&](quint32 v) { for (int i = 0; i < 4; ++i) header.append(char((v >> (8 * i)) & 0xFF)); };
    auto u16 = [&](quint16 v) { for (int i = 0; i < 2; ++i) header.append(char((v >> (8 * i)) & 0xFF)); };
    header.append("RIFF");
    u32(36 + pcm.size());
    header.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(2);
    u32(rate);
    u32(rate * 4);
    u16(4);
    u16(16);
    header.append("data");
    u32(pcm.size());
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header) != header.size() || file.write(pcm) != pcm.size() || !file.commit()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("samples")) return samples(args[2], args[3]) ? 0 : 1;
    if (args.size() == 3 && args[1] == QLatin1String("music")) return music(args[2]) ? 0 : 1;
    if (args.size() == 3 && args[1] == QLatin1String("preview")) return previews(args[2]) ? 0 : 1;
    std::fprintf(stderr, "usage: quorbel_showgen samples <folder1> <folder2> | music <file.wav> | preview <folder>\n");
    return 2;
}
