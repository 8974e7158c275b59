#pragma once
// The selection colours of the markup lists, and the banded gradient fill they and the item
// markup paint with.
#include "platform/colors.h"

#include <QObject>
#include <QRect>

class QPainter;

namespace controls {

using platform::ColorRef;

class TGradientStyle : public QObject {
    Q_OBJECT
public:
    explicit TGradientStyle(QObject* parent = nullptr) : QObject(parent) {}

    ColorRef ColorFrom() const { return colorFrom_; }
    ColorRef ColorTo() const { return colorTo_; }
    ColorRef BorderColor() const { return borderColor_; }
    bool Direction() const { return direction_; }
    void setColorFrom(ColorRef c);
    void setColorTo(ColorRef c);
    void setBorderColor(ColorRef c);
    void setDirection(bool alongX) { direction_ = alongX; }

    // Copies the three colours (not the direction) from another style; anything else is ignored.
    void Assign(const QObject* source);

signals:
    void OnChange();

private:
    ColorRef colorFrom_ = platform::clHighlight;
    ColorRef colorTo_ = platform::clNone;
    ColorRef borderColor_ = platform::clHighlight;
    bool direction_ = false;
};

// Fills rect with Steps bands running from one colour to the other (along x when horizontal),
// then frames it in borderColour unless that is clNone.
void FillGradient(QPainter& canvas, ColorRef fromColour, ColorRef toColour, bool horizontal, const QRect& rect,
                  int steps, ColorRef borderColour);

} // namespace controls
