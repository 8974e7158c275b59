#include "gradient.h"

#include "platform/rounding.h"

#include <QPainter>

namespace controls {

void TGradientStyle::setColorFrom(ColorRef c)
{
    colorFrom_ = c;
    emit OnChange();
}

void TGradientStyle::setColorTo(ColorRef c)
{
    colorTo_ = c;
    emit OnChange();
}

void TGradientStyle::setBorderColor(ColorRef c)
{
    borderColor_ = c;
    emit OnChange();
}

void TGradientStyle::Assign(const QObject* source)
{
    const auto* other = qobject_cast<const TGradientStyle*>(source);
    if (!other) return;
    borderColor_ = other->borderColor_;
    colorTo_ = other->colorTo_;
    colorFrom_ = other->colorFrom_;
    emit OnChange();
}

void FillGradient(QPainter& canvas, ColorRef fromColour, ColorRef toColour, bool horizontal, const QRect& rect,
                  int steps, ColorRef borderColour)
{
    using platform::roundHalfEven;
    if (steps <= 0) steps = 1;
    const ColorRef from = platform::colorToRGB(fromColour);
    const ColorRef to = platform::colorToRGB(toColour);
    const int r0 = platform::redOf(from), g0 = platform::greenOf(from), b0 = platform::blueOf(from);
    const int dr = platform::redOf(to) - r0, dg = platform::greenOf(to) - g0, db = platform::blueOf(to) - b0;
    const int size = horizontal ? rect.width() : rect.height();
    const int band = size / steps + 1;
    canvas.save();
    canvas.setPen(Qt::NoPen);
    for (int i = 0; i < steps; ++i) {
        const QColor c(r0 + roundHalfEven(double(i) * dr / steps), g0 + roundHalfEven(double(i) * dg / steps),
                       b0 + roundHalfEven(double(i) * db / steps));
        const int start = roundHalfEven(double(i) * size / steps);
        const int end = std::min(start + band, size);
        if (end <= start) continue;
        const QRect r = horizontal ? QRect(rect.left() + start, rect.top(), end - start, rect.height())
                                   : QRect(rect.left(), rect.top() + start, rect.width(), end - start);
        canvas.fillRect(r, c);
    }
    if (borderColour != platform::clNone) {
        canvas.setBrush(Qt::NoBrush);
        canvas.setPen(QPen(platform::colorToQColor(borderColour), 1));
        canvas.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    canvas.restore();
}

} // namespace controls
