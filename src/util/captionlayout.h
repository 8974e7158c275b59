#pragma once
// Captions laid out to be shown whole: the words wrap within a width, at most three lines, the
// last one ending in an ellipsis when the text goes on beyond it. The player, the video frames
// and the printed list lay out their captions here.
#include <QFont>
#include <QRect>
#include <QStringList>

class QPainter;
class QPaintDevice;

namespace util {

constexpr int CaptionMaxLines = 3;

struct CaptionLayout {
    QStringList lines;   // the lines from the top, none wider than the width laid out for
    int lineHeight = 0;  // the font's line height; the lines stand this far apart
    int width = 0;       // the widest line
    int height() const { return int(lines.size()) * lineHeight; }
    bool isEmpty() const { return lines.isEmpty(); }
};

// Breaks caption into lines no wider than width in font, measured as on device (the screen's
// measures when null): at word boundaries, a word wider than the line anywhere; at most
// maxLines lines, the last cut with an ellipsis when text is left. Runs of white space count as
// one blank. Empty for an empty caption or a width below one pixel.
CaptionLayout LayOutCaption(const QString& caption, const QFont& font, int width, int maxLines = CaptionMaxLines,
                            QPaintDevice* device = nullptr);

// Draws the lines one below the other from the top of box, each aligned within the box's width
// (Qt::AlignLeft, Qt::AlignHCenter or Qt::AlignRight), in the painter's font and pen.
void DrawCaption(QPainter& painter, const CaptionLayout& layout, const QRect& box, Qt::Alignment horizontal);

} // namespace util
