// Draws the gallery's three navigation images ("previous.gif", "home.gif", "next.gif") and
// writes them as GIF files: the picture classes read GIF but do not write it, so the encoder
// is here (a palette of up to 256 colours, LZW with a clear code before the table outgrows
// nine-bit codes).
#include <QByteArray>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF));
    out.append(char((v >> 8) & 0xFF));
}

QByteArray encodeGif(const QImage& source)
{
    const QImage img = source.convertToFormat(QImage::Format_RGB32)
                           .convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    QList<QRgb> colors = img.colorTable();
    colors.resize(256, qRgb(0, 0, 0));

    QByteArray out("GIF89a");
    put16(out, img.width());
    put16(out, img.height());
    out.append(char(0xF7)); // global colour table of 256 entries, 8 bits
    out.append(char(0));
    out.append(char(0));
    for (QRgb c : colors) {
        out.append(char(qRed(c)));
        out.append(char(qGreen(c)));
        out.append(char(qBlue(c)));
    }
    out.append(char(0x2C));
    put16(out, 0);
    put16(out, 0);
    put16(out, img.width());
    put16(out, img.height());
    out.append(char(0));
    out.append(char(8)); // minimum code size

    QByteArray data;
    quint32 acc = 0;
    int bits = 0;
    auto emitCode = [&](int code) {
        acc |= quint32(code) << bits;
        bits += 9;
        while (bits >= 8) {
            data.append(char(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    };
    const int clearCode = 256, endCode = 257;
    int sinceClear = 0;
    emitCode(clearCode);
    for (int y = 0; y < img.height(); ++y) {
        const uchar* row = img.constScanLine(y);
        for (int x = 0; x < img.width(); ++x) {
            if (sinceClear == 250) {
                emitCode(clearCode);
                sinceClear = 0;
            }
            emitCode(row[x]);
            ++sinceClear;
        }
    }
    emitCode(endCode);
    if (bits > 0) data.append(char(acc & 0xFF));
    for (qsizetype i = 0; i < data.size(); i += 255) {
        const qsizetype n = std::min<qsizetype>(255, data.size() - i);
        out.append(char(n));
        out.append(data.mid(i, n));
    }
    out.append(char(0));
    out.append(char(0x3B));
    return out;
}

QImage button(int kind)
{
    QImage img(36, 36, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.setBrush(QColor(225, 225, 225));
    p.drawRoundedRect(QRectF(2, 2, 31, 31), 6, 6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 60, 60));
    if (kind == 0 || kind == 2) {
        QPainterPath arrow;
        const bool left = kind == 0;
        arrow.moveTo(left ? 10 : 26, 18);
        arrow.lineTo(left ? 22 : 14, 9);
        arrow.lineTo(left ? 22 : 14, 27);
        arrow.closeSubpath();
        p.drawPath(arrow);
    } else {
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 2; ++c) p.drawRect(10 + c * 9, 10 + r * 9, 7, 7);
    }
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: navimages FOLDER\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const char* names[] = {"previous.gif", "home.gif", "next.gif"};
    for (int k = 0; k < 3; ++k) {
        QFile f(folder + u'/' + QString::fromLatin1(names[k]));
        if (!f.open(QIODevice::WriteOnly) || f.write(encodeGif(button(k))) < 0) {
            std::fprintf(stderr, "cannot write %s\n", names[k]);
            return 1;
        }
    }
    return 0;
}
