// TPixImage: the properties the control has as a window among others: where it aligns in its
// parent, its border, its 3-D look, and its place in the tab order.
#include "imaging/piximage.h"

#include <QEvent>
#include <QPainter>

namespace imaging {

using namespace sdk;

namespace {

constexpr platform::ColorRef clWindowFrame = platform::systemColor(6);
constexpr platform::ColorRef cl3DDkShadow = platform::systemColor(21);
constexpr platform::ColorRef cl3DLight = platform::systemColor(22);

} // namespace

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
    edgeChanged();
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
    if (before != Ctl3D()) edgeChanged();
    else ctl3DChangedForChildren();
}

void TPixImage::SetParentCtl3D(bool Value)
{
    const bool before = Ctl3D();
    fParentCtl3D = Value;
    if (before != Ctl3D()) edgeChanged();
}

void TPixImage::ctl3DChangedForChildren()
{
    for (QObject* o : children())
        if (auto* child = qobject_cast<TPixImage*>(o); child && child->fParentCtl3D) child->edgeChanged();
}

// The border of bsSingle: the layout, the scroll bars and the paint follow a change of it.
void TPixImage::edgeChanged()
{
    placeScrollBars();
    UpdateLayout();
    fFrameDirty = true;
    update();
    ctl3DChangedForChildren();
}

void TPixImage::drawEdge(QPainter& p)
{
    const int e = EdgeWidth();
    if (e == 0) return;
    const QRect all = rect();
    if (e == 1) {
        PX_EfxDrawFrame(&p, all, 0, 1, platform::colorToRGB(clWindowFrame), 0, 0, 0, 0, 0, 0);
        return;
    }
    // Sunken: dark grey and white outside, black and light grey inside.
    PX_EfxDrawFrame(&p, all, 0, 0, 0, 1, platform::colorToRGB(cl3DDkShadow),
                    platform::colorToRGB(cl3DLight), 1, platform::colorToRGB(platform::clBtnShadow),
                    platform::colorToRGB(platform::clBtnHighlight));
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
    watchParent();
    applyAlign();
}

void TPixImage::watchParent()
{
    if (fAlignedIn) fAlignedIn->removeEventFilter(this);
    fAlignedIn = fAlign != alNone ? parentWidget() : nullptr;
    if (fAlignedIn) fAlignedIn->installEventFilter(this);
}

void TPixImage::applyAlign()
{
    QWidget* parent = parentWidget();
    if (fAlign == alNone || !parent) return;
    const QRect area = parent->contentsRect();
    switch (fAlign) {
    case alTop: setGeometry(area.left(), area.top(), area.width(), height()); break;
    case alBottom: setGeometry(area.left(), area.bottom() + 1 - height(), area.width(), height()); break;
    case alLeft: setGeometry(area.left(), area.top(), width(), area.height()); break;
    case alRight: setGeometry(area.right() + 1 - width(), area.top(), width(), area.height()); break;
    case alClient: setGeometry(area); break;
    case alNone: break;
    }
}

bool TPixImage::event(QEvent* event)
{
    if (event->type() == QEvent::ParentChange) {
        watchParent();
        applyAlign();
        if (fParentCtl3D) edgeChanged();
    }
    return QWidget::event(event);
}

// ---- tab order ----

QList<QWidget*> TPixImage::tabSiblings() const
{
    QList<QWidget*> siblings;
    QWidget* parent = parentWidget();
    if (!parent) return siblings;
    // The parent's focus chain is a ring through every widget of its window.
    for (QWidget* w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
        if (w->parentWidget() == parent && !siblings.contains(w)) siblings.append(w);
    return siblings;
}

int TPixImage::TabOrder() const
{
    return static_cast<int>(tabSiblings().indexOf(const_cast<TPixImage*>(this)));
}

void TPixImage::SetTabOrder(int Value)
{
    QList<QWidget*> order = tabSiblings();
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
