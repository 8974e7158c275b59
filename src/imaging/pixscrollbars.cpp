// The scroll bars of an image control.
#include "imaging/pixscrollbars.h"

#include "imaging/piximage.h"

#include <QScrollBar>

namespace imaging {

PixScrollBars::PixScrollBars(TPixImage& control) : c_(control) {}

void PixScrollBars::Attach()
{
    QObject::connect(c_.fHorzBar, &QScrollBar::actionTriggered, &c_, [this](int action) { barAction(false, action); });
    QObject::connect(c_.fVertBar, &QScrollBar::actionTriggered, &c_, [this](int action) { barAction(true, action); });
}

void PixScrollBars::ScrollToOrigin()
{
    const QPoint left = c_.fView.ScrollToOrigin();
    MoveChildren(-left.x(), -left.y());
    SetPos(c_.fView.Horz, 0);
    SetPos(c_.fView.Vert, 0);
}

void PixScrollBars::Set(TPixScrollInfo& info, int range)
{
    const bool vertical = info.Kind == sbVertical;
    if (c_.fHasImage) PixViewport::InitPage(info, vertical ? c_.fBitmapHeight : c_.fBitmapWidth);
    const int page = std::max(1, info.Page);
    info.Min = 0;
    info.Max = range + page - 1;
    QScrollBar* bar = vertical ? c_.fVertBar : c_.fHorzBar;
    bar->setRange(0, std::max(0, range));
    bar->setPageStep(page);
    bar->setSingleStep(vertical ? PixViewport::LineStepY : PixViewport::LineStepX);
    const bool show = range > 0;
    if (show != !bar->isHidden()) {
        bar->setVisible(show);
        Place();
    }
}

void PixScrollBars::Place()
{
    // Inside the border, along the right and the bottom edge.
    const int e = c_.EdgeWidth();
    const int vw = c_.fVertBar->sizeHint().width();
    const int hh = c_.fHorzBar->sizeHint().height();
    const bool v = !c_.fVertBar->isHidden();
    const bool h = !c_.fHorzBar->isHidden();
    c_.fVertBar->setGeometry(c_.width() - e - vw, e, vw, c_.height() - 2 * e - (h ? hh : 0));
    c_.fHorzBar->setGeometry(e, c_.height() - e - hh, c_.width() - 2 * e - (v ? vw : 0), hh);
}

void PixScrollBars::SetPos(TPixScrollInfo& info, int pos)
{
    info.Pos = pos;
    QScrollBar* bar = info.Kind == sbVertical ? c_.fVertBar : c_.fHorzBar;
    const QSignalBlocker block(bar);
    bar->setValue(pos);
}

void PixScrollBars::Sync()
{
    c_.fUpdatingBars = true;
    Set(c_.fView.Horz, c_.fView.MaxX);
    SetPos(c_.fView.Horz, c_.fView.PosX);
    Set(c_.fView.Vert, c_.fView.MaxY);
    SetPos(c_.fView.Vert, c_.fView.PosY);
    c_.fUpdatingBars = false;
}

void PixScrollBars::Message(bool vertical, TScrollCode code, int pos)
{
    if (!c_.fEnableScroll || c_.fInPaint) return;
    c_.fScrolling = true;
    const int delta = c_.fView.ScrollDelta(vertical, code, pos);
    if (delta != 0 && c_.fAutoScroll && c_.OnBeforeScroll) c_.OnBeforeScroll(&c_);
    if (c_.fAutoScroll) {
        if (vertical)
            c_.ScrollBy(0, delta);
        else
            c_.ScrollBy(delta, 0);
    }
    c_.fScrolling = false;
    if (c_.fAutoScroll && c_.OnScroll) c_.OnScroll(&c_);
}

void PixScrollBars::barAction(bool vertical, int action)
{
    QScrollBar* bar = vertical ? c_.fVertBar : c_.fHorzBar;
    TScrollCode code = scEndScroll;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd: code = scLineDown; break;
    case QAbstractSlider::SliderSingleStepSub: code = scLineUp; break;
    case QAbstractSlider::SliderPageStepAdd: code = scPageDown; break;
    case QAbstractSlider::SliderPageStepSub: code = scPageUp; break;
    case QAbstractSlider::SliderToMinimum: code = scTop; break;
    case QAbstractSlider::SliderToMaximum: code = scBottom; break;
    case QAbstractSlider::SliderMove: code = scTrack; break;
    default: break;
    }
    Message(vertical, code, bar->sliderPosition());
    // The bar shows where the picture is, whatever the bar computed for itself.
    bar->setSliderPosition(vertical ? c_.fView.PosY : c_.fView.PosX);
}

void PixScrollBars::MoveChildren(int dx, int dy)
{
    if (c_.fLoading || (dx == 0 && dy == 0)) return;
    for (QObject* o : c_.children()) {
        auto* child = qobject_cast<QWidget*>(o);
        if (!child || child == c_.fHorzBar || child == c_.fVertBar) continue;
        child->move(child->x() - dx, child->y() - dy);
    }
}

} // namespace imaging
