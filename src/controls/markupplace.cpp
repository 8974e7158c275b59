#include "markupplace.h"

#include <QFontMetrics>

#include <algorithm>

namespace controls::markup {

namespace {

QColor qcolor(ColorRef c) { return platform::colorToQColor(c); }

} // namespace

std::optional<QColor> LinePlacer::body(const MarkupTag& tag)
{
    if (!drawing() || o_.Selected) return std::nullopt;
    bool has = false;
    const QString picture = tag.attribute(QLatin1String("BACKGROUND"), &has);
    if (has) {
        const ImageSource img = images_.find(picture);
        if (img.valid()) {
            MarkupOp op;
            op.kind = MarkupOp::Tile;
            op.rect = bounds_;
            op.picture = img.picture;
            op.pixmap = img.pixmap;
            layout_->ops.push_back(op);
        }
    }
    bool hasTo = false;
    const QString from = tag.attribute(QLatin1String("BGCOLOR"), &has);
    const QString to = tag.attribute(QLatin1String("BGCOLORTO"), &hasTo);
    if (has && hasTo) {
        MarkupOp op;
        op.kind = MarkupOp::Gradient;
        op.rect = bounds_;
        op.from = HTMLColorToColor(from);
        op.to = HTMLColorToColor(to);
        const QString dir = tag.attribute(QLatin1String("DIR"), &has);
        op.horizontal = !has || dir.toUpper() == QLatin1String("H");
        layout_->ops.push_back(op);
    } else if (has || tag.has(QLatin1String("BGCOLOR"))) {
        return qcolor(HTMLColorToColor(from));
    }
    return std::nullopt;
}

int LinePlacer::place(const MarkupLine& line, int top, int alignment, int indent)
{
    int lineWidth = line.width;
    // A blank at the end of the line's last run does not count.
    for (auto it = line.pieces.rbegin(); it != line.pieces.rend(); ++it) {
        if (it->kind != Piece::Text) break;
        if (it->text.endsWith(u' '))
            lineWidth -= QFontMetrics(it->font, const_cast<QPaintDevice*>(measure_.device())).horizontalAdvance(u' ');
        break;
    }
    lineWidth = std::max(0, lineWidth);
    const int lineHeight = clampLength(qint64(line.height) + o_.LineSpacing);
    int lx = work_.left();
    if (alignment == 1 && work_.right() + 1 - lineWidth > lx)
        lx = work_.right() + 1 - lineWidth;
    else if (alignment == 2 && work_.width() > lineWidth)
        lx += (work_.width() - lineWidth) / 2;
    lx = clampLength(qint64(lx) + indent);
    const int height = clampLength(qint64(lineHeight) + line.subRoom + line.supRoom);
    const int textBottom = top + lineHeight + line.supRoom - line.textOffset; // exclusive bottom of plain text

    r_.ExtentX = std::max(r_.ExtentX, lineWidth);
    const bool draw = drawing();
    std::vector<MarkupOp> ops;
    if (draw) lineBands(line, top, height, ops);
    for (const Piece& p : line.pieces) {
        if (p.kind == Piece::Image)
            placeImage(p, QRect(lx + p.x, top, p.width, p.height), draw, ops);
        else
            placeText(line, p, lx, textBottom, draw, ops);
    }
    if (draw && line.rule) {
        MarkupOp op;
        op.kind = MarkupOp::Line;
        op.rect = QRect(QPoint(lx, top + height), QPoint(bounds_.right(), top + height));
        op.color = QColor(0, 0, 0);
        ops.push_back(op);
    }
    if (draw)
        for (auto& op : ops) layout_->ops.push_back(std::move(op));
    return height;
}

// The bands behind a line: the body's colour across the item, the paragraph's band.
void LinePlacer::lineBands(const MarkupLine& line, int top, int height, std::vector<MarkupOp>& ops) const
{
    if (line.bodyBand.isValid()) {
        MarkupOp op;
        op.kind = MarkupOp::Fill;
        op.rect = QRect(bounds_.left() - 2, top, bounds_.right() + 3 - bounds_.left(), height);
        op.color = line.bodyBand;
        ops.push_back(op);
    }
    if (line.band.isValid()) {
        MarkupOp op;
        op.rect = QRect(bounds_.left(), top, bounds_.width(), height);
        if (line.bandTo != platform::clNone) {
            op.kind = MarkupOp::Gradient;
            op.from = platform::qcolorToColor(line.band);
            op.to = line.bandTo;
            op.horizontal = true;
        } else {
            op.kind = MarkupOp::Fill;
            op.color = line.band;
        }
        ops.push_back(op);
    }
}

// An image placed at rect: hit-tested when in an anchor, drawn (its ALT picture while the
// point is on it).
void LinePlacer::placeImage(const Piece& p, const QRect& rect, bool draw, std::vector<MarkupOp>& ops)
{
    bool hovered = false;
    if (p.anchor >= 0 && rect.contains(o_.PointX, o_.PointY)) {
        r_.Hit = true;
        r_.AnchorUnderPoint = p.href;
        r_.AnchorUnderPointIndex = p.anchor;
        hovered = true;
    }
    if (p.anchor >= 0) unite(p.anchor, rect);
    if (!draw) return;
    ImageSource img = p.image;
    if (hovered && !p.alt.isEmpty()) {
        const ImageSource alt = images_.find(p.alt);
        if (alt.valid()) img = alt;
    }
    MarkupOp op;
    op.kind = MarkupOp::Image;
    op.rect = rect;
    op.picture = img.picture;
    op.pixmap = img.pixmap;
    op.stretch = p.stretch;
    ops.push_back(op);
}

// A run or bullet placed on the line's text bottom (raised or lowered for a script):
// hit-tested when in an anchor, drawn with its shadow and error mark.
void LinePlacer::placeText(const MarkupLine& line, const Piece& p, int lx, int textBottom, bool draw, std::vector<MarkupOp>& ops)
{
    int bottom = textBottom;
    if (p.script > 0)
        bottom -= line.supRoom;
    else if (p.script < 0)
        bottom += line.subRoom;
    const QRect rect(lx + p.x, bottom - p.height, p.width, p.height);
    if (p.kind == Piece::Text && p.anchor >= 0) {
        unite(p.anchor, rect);
        if (rect.contains(o_.PointX, o_.PointY)) {
            r_.AnchorUnderPoint = p.href;
            r_.AnchorUnderPointIndex = p.anchor;
            if (o_.PointY >= textBottom - measure_.lineHeight() && o_.PointY < textBottom) r_.Hit = true;
        }
    }
    if (!draw) return;
    MarkupOp op;
    op.kind = MarkupOp::Text;
    op.rect = rect;
    op.text = p.text;
    op.font = p.font;
    op.color = p.color;
    op.background = p.background;
    op.rotation = p.rotation;
    op.tabStop = std::max(0, o_.TabStop);
    if (p.shadow) {
        op.shadowColor = qcolor(o_.ShadowColor);
        op.shadowOffset = o_.ShadowOffset;
    }
    if (!o_.WordWrap) op.elideWidth = std::max(0, work_.right() + 1 - rect.left());
    ops.push_back(op);
    if (p.errorMark) {
        MarkupOp z;
        z.kind = MarkupOp::Zigzag;
        z.rect = QRect(rect.left(), rect.top(), p.width, rect.height());
        z.color = QColor(255, 0, 0);
        ops.push_back(z);
    }
}

void LinePlacer::unite(int anchor, const QRect& rect)
{
    if (anchor < 0) return;
    if (std::size_t(anchor) >= anchorRects_.size()) anchorRects_.resize(std::size_t(anchor) + 1);
    anchorRects_[std::size_t(anchor)] = anchorRects_[std::size_t(anchor)].united(rect);
}

void LinePlacer::finish(const std::vector<QString>& targets)
{
    // Every anchor opened has its extent, an empty one when nothing of it was placed.
    anchorRects_.resize(std::max(anchorRects_.size(), targets.size()));
    const int hit = r_.AnchorUnderPointIndex;
    if (hit >= 0 && std::size_t(hit) < anchorRects_.size()) r_.HoverRect = anchorRects_[std::size_t(hit)];
    if (o_.FocusedAnchor >= 0 && std::size_t(o_.FocusedAnchor) < targets.size()) {
        r_.FocusedAnchorHref = targets[std::size_t(o_.FocusedAnchor)];
        if (drawing()) {
            MarkupOp op;
            op.kind = MarkupOp::FocusRect;
            op.rect = anchorRects_[std::size_t(o_.FocusedAnchor)].adjusted(-1, -1, 1, 1);
            layout_->ops.push_back(op);
        }
    }
}

} // namespace controls::markup
