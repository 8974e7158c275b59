// TPixImage: the properties the control has as a window among others: where it aligns in its
// parent, its border, its 3-D look, and its place in the tab order.
#include "imaging/piximage.h"

#include <QEvent>

namespace imaging {

using namespace sdk;

// ---- border ----

int TPixImage::EdgeWidth() const
{
    if (fBorderStyle != bsSingle) return 0;
    return Ctl3D() ? 2 : 1;
}

void TPixImage::SetBorderStyle(TBorderStyle Value)
{
    if (Value == fBorderStyle) return;
    fBorderStyle = Value;
    fPlace.EdgeChanged();
}

bool TPixImage::Ctl3D() const
{
    if (!fParentCtl3D) return fCtl3D;
    // Taken from the parent: another control's own look, or a form's, which is 3-D.
    const auto* parent = qobject_cast<const TPixImage*>(parentWidget());
    return parent ? parent->Ctl3D() : true;
}

void TPixImage::SetCtl3D(bool Value)
{
    const bool before = Ctl3D();
    fCtl3D = Value;
    fParentCtl3D = false;
    if (before != Ctl3D()) fPlace.EdgeChanged();
    else fPlace.Ctl3DChangedForChildren();
}

void TPixImage::SetParentCtl3D(bool Value)
{
    const bool before = Ctl3D();
    fParentCtl3D = Value;
    if (before != Ctl3D()) fPlace.EdgeChanged();
}

// A point of the window as a point of the client area inside the border.
QPoint TPixImage::clientPoint(const QPointF& widgetPoint) const
{
    const int e = EdgeWidth();
    return widgetPoint.toPoint() - QPoint(e, e);
}

// ---- alignment ----

void TPixImage::SetAlign(TAlign Value)
{
    fAlign = Value;
    fPlace.WatchParent();
    fPlace.ApplyAlign();
}

bool TPixImage::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange) {
        fPlace.WatchParent();
        fPlace.ApplyAlign();
        if (fParentCtl3D) fPlace.EdgeChanged();
    }
    return QWidget::event(event);
}

// ---- tab order ----

int TPixImage::TabOrder() const
{
    return static_cast<int>(fPlace.TabSiblings().indexOf(const_cast<TPixImage*>(this)));
}

void TPixImage::SetTabOrder(int Value)
{
    QList<QWidget*> order = fPlace.TabSiblings();
    if (order.isEmpty()) return;
    order.removeAll(this);
    order.insert(std::clamp<qsizetype>(Value, 0, order.size()), this);
    // Qt takes its ring of widgets as in order when only widgets without focus lie between two of
    // them, the parent included, so the last and the first would count as neighbours; with the
    // parent taking the focus for a moment each pair is put in its place.
    QWidget* parent = parentWidget();
    const Qt::FocusPolicy kept = parent->focusPolicy();
    parent->setFocusPolicy(Qt::TabFocus);
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    parent->setFocusPolicy(kept);
}

} // namespace imaging
