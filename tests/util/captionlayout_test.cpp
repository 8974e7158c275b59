// Captions laid out to be shown whole: wrapped at words within the width, at most three lines,
// an ellipsis where the text goes on.
#include "util/captionlayout.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

QFont captionFont()
{
    QFont f;
    f.setPixelSize(16);
    return f;
}

TEST(CaptionLayout, LongCaptionsWrapWithinTheWidthAndEndInAnEllipsis)
{
    const QString word = QStringLiteral("Lighthouse");
    QString sentence;
    for (int i = 0; i < 40; ++i) sentence += (i ? QStringLiteral(" ") : QString()) + word + QString::number(i);
    const QString unbroken(20, u'W');
    const QFont font = captionFont();
    const QFontMetricsF metrics(font);
    // Widths that give the line counts below whatever the font's measures.
    const int twoLines = int(metrics.horizontalAdvance(sentence.left(60)) * 0.75);
    const int unbrokenTwoLines = int(metrics.horizontalAdvance(unbroken) * 0.75);
    struct Case {
        const char* name;
        QString caption;
        int width;
        int lines;
        bool ellipsis;
    };
    const Case cases[] = {
        {"short", QStringLiteral("Beach"), 300, 1, false},
        {"blanks are one blank", QStringLiteral("  two \t words  "), 300, 1, false},
        {"two lines", sentence.left(60), twoLines, 2, false},
        {"cut after three lines", sentence, 300, 3, true},
        {"one word wider than the line", unbroken, unbrokenTwoLines, 2, false},
        {"empty", QStringLiteral("   "), 300, 0, false},
        {"no room", QStringLiteral("Beach"), 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const util::CaptionLayout layout = util::LayOutCaption(c.caption, font, c.width);
        ASSERT_EQ(layout.lines.size(), c.lines) << layout.lines.join(u'|').toStdString();
        if (c.lines == 0) {
            EXPECT_EQ(layout.height(), 0);
            continue;
        }
        EXPECT_EQ(layout.height(), c.lines * layout.lineHeight);
        EXPECT_GE(layout.lineHeight, int(metrics.height()));
        for (const QString& line : layout.lines) {
            EXPECT_LE(metrics.horizontalAdvance(line), c.width) << line.toStdString();
            EXPECT_LE(metrics.horizontalAdvance(line), layout.width + 0.5);
        }
        EXPECT_EQ(layout.lines.last().endsWith(QChar(0x2026)) || layout.lines.last().endsWith(QLatin1String("...")), c.ellipsis)
            << layout.lines.last().toStdString();
        if (!c.ellipsis) {
            // Nothing is lost: the lines joined give the caption again.
            const QString joined = layout.lines.join(c.caption.simplified().contains(u' ') ? QStringLiteral(" ") : QString());
            EXPECT_EQ(joined, c.caption.simplified());
        } else {
            // The lines before the last hold whole words from the start of the caption.
            EXPECT_TRUE(c.caption.startsWith(layout.lines[0] + u' ' + layout.lines[1] + u' '));
        }
    }
}

// Drawn, the lines stand one below the other inside the box, each centred.
TEST(CaptionLayout, DrawnLinesStayInsideTheirBox)
{
    const QFont font = captionFont();
    const util::CaptionLayout layout =
        util::LayOutCaption(QStringLiteral("A caption far too long for one line of the narrow frame"), font, 180);
    ASSERT_GE(layout.lines.size(), 2);
    QImage image(240, 120, QImage::Format_RGB32);
    image.fill(Qt::black);
    const QRect box(30, 10, 180, layout.height());
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(Qt::white);
        util::DrawCaption(p, layout, box, Qt::AlignHCenter);
    }
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 60) ink |= QRect(x, y, 1, 1);
    EXPECT_TRUE(box.contains(ink)) << ink.x() << "," << ink.y() << " " << ink.width() << "x" << ink.height();
    // Two lines of ink, centred: as much room on the left as on the right.
    EXPECT_GT(ink.height(), layout.lineHeight);
    EXPECT_NEAR(ink.left() - box.left(), box.right() - ink.right(), 3);
}

} // namespace
