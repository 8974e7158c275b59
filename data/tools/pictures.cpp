// The program's pictures, drawn here so that every one of them is our own: the language dialog's
// background and its five flags, and the pictures of the about box, the wizards and the main
// window.
#include <QDir>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <cstdio>

namespace {

const QColor deepBlue(24, 58, 112);
const QColor skyBlue(120, 170, 225);

// A small photograph: white border, sky, sun, two hills.
void drawPhoto(QPainter& p, QPointF centre, QSizeF size, qreal angle, int variant)
{
    p.save();
    p.translate(centre);
    p.rotate(angle);
    const QRectF outer(-size.width() / 2, -size.height() / 2, size.width(), size.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 60));
    p.drawRect(outer.translated(3, 4));
    p.setBrush(Qt::white);
    p.drawRect(outer);
    const qreal border = qMax<qreal>(3, size.width() * 0.06);
    const QRectF inner = outer.adjusted(border, border, -border, -border * 2.2);
    p.setClipRect(inner);
    static const QColor skies[][2] = {
        {QColor(70, 130, 210), QColor(190, 220, 250)},
        {QColor(230, 120, 60), QColor(250, 210, 120)},
        {QColor(40, 90, 160), QColor(150, 200, 240)},
    };
    const int v = variant % 3;
    QLinearGradient sky(inner.topLeft(), inner.bottomLeft());
    sky.setColorAt(0, skies[v][0]);
    sky.setColorAt(1, skies[v][1]);
    p.fillRect(inner, sky);
    p.setBrush(QColor(255, 230, 90));
    const qreal r = inner.height() * 0.13;
    p.drawEllipse(QPointF(inner.left() + inner.width() * (0.25 + 0.25 * v), inner.top() + inner.height() * 0.3), r, r);
    QPainterPath hill1;
    hill1.moveTo(inner.left(), inner.bottom());
    hill1.cubicTo(inner.left() + inner.width() * 0.3, inner.top() + inner.height() * 0.45,
                  inner.left() + inner.width() * 0.55, inner.top() + inner.height() * 0.7, inner.right(), inner.top() + inner.height() * 0.6);
    hill1.lineTo(inner.bottomRight());
    hill1.closeSubpath();
    p.setBrush(v == 1 ? QColor(120, 90, 60) : QColor(70, 150, 70));
    p.drawPath(hill1);
    QPainterPath hill2;
    hill2.moveTo(inner.left(), inner.top() + inner.height() * 0.8);
    hill2.quadTo(inner.center().x(), inner.top() + inner.height() * 0.62, inner.right(), inner.bottom());
    hill2.lineTo(inner.bottomLeft());
    hill2.closeSubpath();
    p.setBrush(v == 1 ? QColor(90, 60, 40) : QColor(40, 110, 50));
    p.drawPath(hill2);
    p.restore();
}

// A strip of film with sprocket holes along a line.
void drawFilmStrip(QPainter& p, QRectF rect, bool vertical)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 30, 35));
    p.drawRect(rect);
    p.setBrush(QColor(235, 235, 235));
    const qreal hole = vertical ? rect.width() * 0.12 : rect.height() * 0.12;
    const qreal step = hole * 2.2;
    if (vertical) {
        for (qreal y = rect.top() + hole / 2; y + hole < rect.bottom(); y += step) {
            p.drawRoundedRect(QRectF(rect.left() + hole * 0.5, y, hole, hole), 1, 1);
            p.drawRoundedRect(QRectF(rect.right() - hole * 1.5, y, hole, hole), 1, 1);
        }
    } else {
        for (qreal x = rect.left() + hole / 2; x + hole < rect.right(); x += step) {
            p.drawRoundedRect(QRectF(x, rect.top() + hole * 0.5, hole, hole), 1, 1);
            p.drawRoundedRect(QRectF(x, rect.bottom() - hole * 1.5, hole, hole), 1, 1);
        }
    }
    p.restore();
}

void drawNote(QPainter& p, QPointF at, qreal size, const QColor& colour)
{
    p.save();
    p.setPen(QPen(colour, size * 0.08));
    p.setBrush(colour);
    p.drawEllipse(QPointF(at.x(), at.y()), size * 0.22, size * 0.16);
    p.drawEllipse(QPointF(at.x() + size * 0.6, at.y() - size * 0.12), size * 0.22, size * 0.16);
    p.drawLine(QPointF(at.x() + size * 0.2, at.y()), QPointF(at.x() + size * 0.2, at.y() - size * 0.8));
    p.drawLine(QPointF(at.x() + size * 0.8, at.y() - size * 0.12), QPointF(at.x() + size * 0.8, at.y() - size * 0.92));
    p.setPen(QPen(colour, size * 0.14));
    p.drawLine(QPointF(at.x() + size * 0.2, at.y() - size * 0.8), QPointF(at.x() + size * 0.8, at.y() - size * 0.92));
    p.restore();
}

QImage flag(const QString& code)
{
    QImage img(45, 30, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRectF r(0, 0, 45, 30);
    if (code == QLatin1String("german")) {
        p.fillRect(QRectF(0, 0, 45, 10), QColor(0, 0, 0));
        p.fillRect(QRectF(0, 10, 45, 10), QColor(221, 0, 0));
        p.fillRect(QRectF(0, 20, 45, 10), QColor(255, 206, 0));
    } else if (code == QLatin1String("english")) {
        p.fillRect(r, QColor(1, 33, 105));
        p.setPen(QPen(Qt::white, 6));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.topRight());
        p.setPen(QPen(QColor(200, 16, 46), 2));
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.bottomLeft(), r.topRight());
        p.setPen(Qt::NoPen);
        p.fillRect(QRectF(18, 0, 9, 30), Qt::white);
        p.fillRect(QRectF(0, 10.5, 45, 9), Qt::white);
        p.fillRect(QRectF(20, 0, 5, 30), QColor(200, 16, 46));
        p.fillRect(QRectF(0, 12.5, 45, 5), QColor(200, 16, 46));
    } else if (code == QLatin1String("france")) {
        p.fillRect(QRectF(0, 0, 15, 30), QColor(0, 35, 149));
        p.fillRect(QRectF(15, 0, 15, 30), Qt::white);
        p.fillRect(QRectF(30, 0, 15, 30), QColor(237, 41, 57));
    } else if (code == QLatin1String("italian")) {
        p.fillRect(QRectF(0, 0, 15, 30), QColor(0, 146, 70));
        p.fillRect(QRectF(15, 0, 15, 30), Qt::white);
        p.fillRect(QRectF(30, 0, 15, 30), QColor(206, 43, 55));
    } else { // spain
        p.fillRect(QRect(0, 0, 45, 7), QColor(198, 11, 30));
        p.fillRect(QRect(0, 7, 45, 16), QColor(255, 196, 0));
        p.fillRect(QRect(0, 23, 45, 7), QColor(198, 11, 30));
    }
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::NoBrush);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.drawRect(0, 0, 44, 29);
    return img;
}

QImage languageBackground()
{
    QImage img(450, 300, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    QLinearGradient g(0, 0, 0, 300);
    g.setColorAt(0, deepBlue);
    g.setColorAt(0.55, skyBlue);
    g.setColorAt(1, QColor(235, 242, 250));
    p.fillRect(img.rect(), g);
    // A few soft circles as light spots.
    for (int i = 0; i < 6; ++i) {
        QRadialGradient spot(QPointF(40 + i * 75, 40 + (i % 2) * 30), 60);
        spot.setColorAt(0, QColor(255, 255, 255, 50));
        spot.setColorAt(1, QColor(255, 255, 255, 0));
        p.fillRect(img.rect(), spot);
    }
    p.setPen(Qt::white);
    QFont title(QStringLiteral("DejaVu Sans"), 17, QFont::Bold);
    p.setFont(title);
    p.drawText(QRectF(0, 28, 450, 34), Qt::AlignCenter, QString::fromUtf8("Sprache · Language · Langue"));
    p.drawText(QRectF(0, 60, 450, 34), Qt::AlignCenter, QString::fromUtf8("Lingua · Idioma"));
    QFont hint(QStringLiteral("DejaVu Sans"), 9);
    p.setFont(hint);
    p.drawText(QRectF(0, 104, 450, 20), Qt::AlignCenter, QString::fromUtf8("Bitte wählen Sie Ihre Sprache – Please select your language"));
    // The band behind the flags (flags at top 152, left 56 to 389).
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 170));
    p.drawRoundedRect(QRectF(40, 140, 370, 72), 10, 10);
    p.setPen(deepBlue);
    QFont names(QStringLiteral("DejaVu Sans"), 7);
    p.setFont(names);
    const char* labels[] = {"Deutsch", "English", "Français", "Italiano", "Español"};
    for (int i = 0; i < 5; ++i)
        p.drawText(QRectF(56 + i * 72 - 12, 186, 69, 16), Qt::AlignCenter, QString::fromUtf8(labels[i]));
    p.setPen(QColor(60, 80, 110));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 7, QFont::Bold));
    p.drawText(QRectF(0, 250, 440, 16), Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("TORVELD"));
    return img;
}

QImage aboutPicture()
{
    QImage img(400, 220, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 400, 220);
    g.setColorAt(0, deepBlue);
    g.setColorAt(1, QColor(70, 130, 200));
    p.fillRect(img.rect(), g);
    drawFilmStrip(p, QRectF(0, 170, 400, 34), false);
    drawPhoto(p, QPointF(110, 95), QSizeF(130, 100), -8, 0);
    drawPhoto(p, QPointF(200, 85), QSizeF(130, 100), 4, 1);
    drawPhoto(p, QPointF(290, 98), QSizeF(130, 100), 11, 2);
    drawNote(p, QPointF(350, 40), 30, QColor(255, 230, 120));
    p.setPen(QColor(255, 255, 255, 220));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 8, QFont::Bold));
    p.drawText(QRectF(10, 8, 200, 16), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("TORVELD"));
    return img;
}

QImage wizardPicture()
{
    QImage img(160, 320, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, 320);
    g.setColorAt(0, deepBlue);
    g.setColorAt(1, skyBlue);
    p.fillRect(img.rect(), g);
    drawFilmStrip(p, QRectF(6, 0, 30, 320), true);
    drawPhoto(p, QPointF(95, 80), QSizeF(100, 78), -6, 0);
    drawPhoto(p, QPointF(100, 170), QSizeF(100, 78), 5, 1);
    drawPhoto(p, QPointF(92, 258), QSizeF(100, 78), -3, 2);
    return img;
}

QImage mainPicture()
{
    QImage img(600, 400, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(img.rect(), Qt::white);
    QRadialGradient glow(QPointF(300, 200), 320);
    glow.setColorAt(0, QColor(225, 236, 250));
    glow.setColorAt(1, Qt::white);
    p.fillRect(img.rect(), glow);
    drawFilmStrip(p, QRectF(0, 318, 600, 50), false);
    drawPhoto(p, QPointF(170, 170), QSizeF(220, 165), -9, 0);
    drawPhoto(p, QPointF(310, 150), QSizeF(220, 165), 3, 1);
    drawPhoto(p, QPointF(440, 175), QSizeF(220, 165), 10, 2);
    drawNote(p, QPointF(520, 70), 50, deepBlue);
    drawNote(p, QPointF(60, 60), 36, QColor(70, 130, 200));
    return img;
}

bool save(const QImage& img, const QString& path, const char* format)
{
    if (img.save(path, format, 92)) return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

bool drawPictures(const QString& folder)
{
    if (!QDir().mkpath(folder)) return false;
    const QString d = folder + QLatin1Char('/');
    bool ok = save(languageBackground(), d + QStringLiteral("language.jpg"), "JPEG");
    for (const char* code : {"german", "english", "france", "italian", "spain"})
        ok = save(flag(QLatin1String(code)), d + QStringLiteral("flag_") + QLatin1String(code) + QStringLiteral(".png"), "PNG") && ok;
    ok = save(aboutPicture(), d + QStringLiteral("m_about.jpg"), "JPEG") && ok;
    ok = save(wizardPicture(), d + QStringLiteral("wizard.jpg"), "JPEG") && ok;
    ok = save(mainPicture(), d + QStringLiteral("m_program.jpg"), "JPEG") && ok;
    return ok;
}
