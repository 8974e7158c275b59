// Painting a laid-out item: each drawing operation of the layout onto the canvas, in order.
#include "markup.h"

#include "gradient.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextOption>

namespace controls {

namespace {

void drawPixmapOrPicture(QPainter& p, const MarkupOp& op, const QRect& rect, bool stretch)
{
    if (op.picture) {
        if (!op.picture->isDecoded()) return;
        if (stretch)
            p.drawImage(rect, op.picture->image());
        else
            op.picture->Draw(p, rect);
    } else if (!op.pixmap.isNull()) {
        p.drawPixmap(rect, op.pixmap);
    }
}

// A picture repeated across the rectangle from its top left corner.
void paintTile(QPainter& p, const MarkupOp& op)
{
    const int w = op.picture ? op.picture->displayWidth() : op.pixmap.width();
    const int h = op.picture ? op.picture->displayHeight() : op.pixmap.height();
    if (w <= 0 || h <= 0) return; // an empty picture covers nothing
    p.save();
    p.setClipRect(op.rect, Qt::IntersectClip);
    for (int ty = op.rect.top(); ty <= op.rect.bottom(); ty += h)
        for (int tx = op.rect.left(); tx <= op.rect.right(); tx += w) drawPixmapOrPicture(p, op, QRect(tx, ty, w, h), true);
    p.restore();
}

// A run on its background, cut with an ellipsis when asked, rotated or with tabs expanded,
// its shadow first.
void paintText(QPainter& p, const MarkupOp& op)
{
    QString t = op.text;
    const QFontMetrics fm(op.font, p.device());
    if (op.elideWidth >= 0 && fm.horizontalAdvance(t) > op.elideWidth) t = fm.elidedText(t, Qt::ElideRight, op.elideWidth);
    if (t.isEmpty()) return;
    const int baseline = op.rect.top() + op.rect.height() - fm.descent();
    if (op.background.isValid()) p.fillRect(op.rect, op.background);
    p.setFont(op.font);
    const bool tabs = t.contains(u'\t');
    auto drawAt = [&](int dx, int dy, const QColor& c) {
        p.setPen(c);
        if (op.rotation != 0) {
            p.save();
            p.translate(op.rect.left() + dx, baseline + dy);
            p.rotate(-op.rotation);
            p.drawText(0, 0, t);
            p.restore();
        } else if (tabs && op.tabStop > 0) {
            QTextOption option(Qt::AlignLeft | Qt::AlignBottom);
            option.setWrapMode(QTextOption::NoWrap);
            option.setTabStopDistance(op.tabStop);
            p.drawText(QRectF(op.rect.translated(dx, dy).adjusted(0, 0, 4096, 0)), t, option);
        } else if (tabs) {
            p.drawText(op.rect.translated(dx, dy).adjusted(0, 0, 4096, 0),
                       Qt::AlignLeft | Qt::AlignBottom | Qt::TextSingleLine | Qt::TextExpandTabs | Qt::TextDontClip, t);
        } else {
            p.drawText(op.rect.left() + dx, baseline + dy, t);
        }
    };
    if (op.shadowColor.isValid()) drawAt(op.shadowOffset, op.shadowOffset, op.shadowColor);
    drawAt(0, 0, op.color);
}

// The error mark: a zigzag along the run's bottom.
void paintZigzag(QPainter& p, const MarkupOp& op)
{
    p.setPen(op.color);
    const int base = op.rect.top() + op.rect.height();
    int x0 = op.rect.left() & ~1;
    const int x1 = op.rect.left() + op.rect.width();
    bool up = false;
    QPoint last(x0, base + 1);
    for (int x = x0 + 2; x <= x1; x += 2) {
        const QPoint next(x, up ? base + 1 : base - 1);
        p.drawLine(last, next);
        last = next;
        up = !up;
    }
}

} // namespace

void PaintMarkupLayout(QPainter& p, const MarkupLayout& layout)
{
    p.save();
    for (const MarkupOp& op : layout.ops) {
        switch (op.kind) {
        case MarkupOp::Fill: p.fillRect(op.rect, op.color); break;
        case MarkupOp::Gradient: FillGradient(p, op.from, op.to, op.horizontal, op.rect, 64, platform::clNone); break;
        case MarkupOp::Tile: paintTile(p, op); break;
        case MarkupOp::Image: drawPixmapOrPicture(p, op, op.rect, op.stretch || op.picture == nullptr); break;
        case MarkupOp::Text: paintText(p, op); break;
        case MarkupOp::Zigzag: paintZigzag(p, op); break;
        case MarkupOp::Line:
            p.setPen(QPen(op.color, 1));
            p.drawLine(op.rect.topLeft(), QPoint(op.rect.right(), op.rect.top()));
            break;
        case MarkupOp::FocusRect:
            p.setPen(QPen(QColor(0, 0, 0), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(op.rect.adjusted(0, 0, -1, -1));
            break;
        }
    }
    p.restore();
}

} // namespace controls
