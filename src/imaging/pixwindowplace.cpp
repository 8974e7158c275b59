// An image control's place among the windows around it: alignment, tab order and edge.
#include "imaging/pixwindowplace.h"

#include "imaging/piximage.h"

#include <QPainter>

namespace imaging {

using namespace sdk;

namespace {

constexpr platform::ColorRef clWindowFrame = platform::systemColor(6);
constexpr platform::ColorRef cl3DDkShadow = platform::systemColor(21);
constexpr platform::ColorRef cl3DLight = platform::systemColor(22);

} // namespace

QRect PixWindowPlace::Aligned(TAlign align, const QRect& area, const QRect& geometry)
{
    const int w = geometry.width(), h = geometry.height();
    switch (align) {
    case alTop: return QRect(area.left(), area.top(), area.width(), h);
    case alBottom: return QRect(area.left(), area.bottom() + 1 - h, area.width(), h);
    case alLeft: return QRect(area.left(), area.top(), w, area.height());
    case alRight: return QRect(area.right() + 1 - w, area.top(), w, area.height());
    case alClient: return area;
    case alNone: break;
    }
    return geometry;
}

void PixWindowPlace::Ctl3DChangedForChildren()
{
    for (QObject* o : c_.children())
        if (auto* child = qobject_cast<TPixImage*>(o); child && child->fParentCtl3D) child->fPlace.EdgeChanged();
}

// The border of bsSingle: the layout, the scroll bars and the paint follow a change of it.
void PixWindowPlace::EdgeChanged()
{
    c_.fScrollBars.Place();
    c_.UpdateLayout();
    c_.fFrameDirty = true;
    c_.update();
    Ctl3DChangedForChildren();
}

void PixWindowPlace::DrawEdge(QPainter& p)
{
    const int e = c_.EdgeWidth();
    if (e == 0) return;
    const QRect all = c_.rect();
    if (e == 1) {
        PX_EfxDrawFrame(&p, all, 0, 1, platform::colorToRGB(clWindowFrame), 0, 0, 0, 0, 0, 0);
        return;
    }
    // Sunken: dark grey and white outside, black and light grey inside.
    PX_EfxDrawFrame(&p, all, 0, 0, 0, 1, platform::colorToRGB(cl3DDkShadow), platform::colorToRGB(cl3DLight), 1,
                    platform::colorToRGB(platform::clBtnShadow), platform::colorToRGB(platform::clBtnHighlight));
}

void PixWindowPlace::WatchParent()
{
    if (alignedIn_) alignedIn_->removeEventFilter(&c_);
    alignedIn_ = c_.fAlign != alNone ? c_.parentWidget() : nullptr;
    if (alignedIn_) alignedIn_->installEventFilter(&c_);
}

void PixWindowPlace::ApplyAlign()
{
    QWidget* parent = c_.parentWidget();
    if (c_.fAlign == alNone || !parent) return;
    c_.setGeometry(Aligned(c_.fAlign, parent->contentsRect(), c_.geometry()));
}

QList<QWidget*> PixWindowPlace::TabSiblings() const
{
    QList<QWidget*> siblings;
    QWidget* parent = c_.parentWidget();
    if (!parent) return siblings;
    // The parent's focus chain is a ring through every widget of its window.
    for (QWidget* w = parent->nextInFocusChain(); w && w != parent; w = w->nextInFocusChain())
        if (w->parentWidget() == parent && !siblings.contains(w)) siblings.append(w);
    return siblings;
}

} // namespace imaging
