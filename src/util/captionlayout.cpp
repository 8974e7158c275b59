#include "captionlayout.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

#include <cmath>

namespace util {

CaptionLayout LayOutCaption(const QString& caption, const QFont& font, int width, int maxLines, QPaintDevice* device)
{
    CaptionLayout out;
    const QString text = caption.simplified();
    if (text.isEmpty() || width < 1 || maxLines < 1) return out;
    const QFontMetricsF metrics(font, device);
    out.lineHeight = int(std::ceil(metrics.height()));

    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<QPair<int, int>> spans; // start and length of each line
    for (;;) {
        QTextLine line = layout.createLine();
        if (!line.isValid()) break;
        line.setLineWidth(width);
        spans.append({line.textStart(), line.textLength()});
        if (spans.size() > maxLines) break; // enough to know that text is left over
    }
    layout.endLayout();

    for (int i = 0; i < spans.size() && i < maxLines; ++i) {
        QString line = text.mid(spans[i].first, spans[i].second).trimmed();
        if (i == maxLines - 1 && spans.size() > maxLines) {
            // The rest of the caption on the last line, cut where it no longer fits.
            line = metrics.elidedText(text.mid(spans[i].first).trimmed(), Qt::ElideRight, width);
        }
        if (line.isEmpty()) continue;
        out.lines.append(line);
        out.width = std::max(out.width, int(std::ceil(metrics.horizontalAdvance(line))));
    }
    return out;
}

void DrawCaption(QPainter& painter, const CaptionLayout& layout, const QRect& box, Qt::Alignment horizontal)
{
    const int flags = int((horizontal & Qt::AlignHorizontal_Mask) | Qt::AlignTop) | Qt::TextSingleLine;
    for (int i = 0; i < layout.lines.size(); ++i)
        painter.drawText(QRect(box.left(), box.top() + i * layout.lineHeight, box.width(), layout.lineHeight), flags,
                         layout.lines[i]);
}

} // namespace util
