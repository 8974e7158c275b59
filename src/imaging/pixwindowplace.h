#pragma once
// PixWindowPlace: an image control's place among the windows around it: where it aligns in its
// parent (following the parent's size), its place in the parent's tab order, and its edge (the
// border of bsSingle, drawn flat or sunken as its 3-D look says), whose change the layout, the
// scroll bars and child controls that take the look from it follow.
#include "imaging/pixtypes.h"

#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QPainter;

namespace imaging {

class TPixImage;

class PixWindowPlace {
public:
    explicit PixWindowPlace(TPixImage& control) : c_(control) {}
    PixWindowPlace(const PixWindowPlace&) = delete;
    PixWindowPlace& operator=(const PixWindowPlace&) = delete;

    // The geometry of a window now at geometry aligned by align in area (the parent's contents):
    // along an edge it keeps its depth and spans the edge; alClient fills the area; alNone keeps
    // it where it is.
    static QRect Aligned(TAlign align, const QRect& area, const QRect& geometry);

    // ---- alignment ----
    // Follows the parent's size while the control aligns in it.
    void WatchParent();
    void ApplyAlign();
    // Whether watched is the parent the control aligns in.
    bool AlignsIn(const QObject* watched) const { return watched && watched == alignedIn_; }

    // ---- tab order ----
    // The parent's children in its tab order.
    QList<QWidget*> TabSiblings() const;

    // ---- edge ----
    void EdgeChanged();
    // Child controls that take their look from this one follow it.
    void Ctl3DChangedForChildren();
    void DrawEdge(QPainter& p);

private:
    TPixImage& c_;
    QPointer<QWidget> alignedIn_;
};

} // namespace imaging
