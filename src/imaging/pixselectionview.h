#pragma once
// PixSelectionView: the selection of an image control as the control shows it and the mouse works
// it. The region editor keeps the region and the floaters; this keeps them in step with the
// control: the bounds and floater copies after each change of the region, the outline drawn over
// the frame (stepped by its timer while it moves), the shape the mouse finished, and the
// automatic floater lifted, dragged and dropped with the mouse.
#include <QTimer>
#include <cstdint>

class QPainter;
class QPoint;

namespace imaging {

class TPixImage;

class PixSelectionView {
public:
    explicit PixSelectionView(TPixImage& control);
    PixSelectionView(const PixSelectionView&) = delete;
    PixSelectionView& operator=(const PixSelectionView&) = delete;

    // ---- the region ----
    void RefreshBounds();
    void Changed();
    // How the region is shown (see TPixImage::RgnFrameType).
    void SetFrameType(std::uint8_t Type);
    // Draws the outline over the frame being painted.
    void PaintOutline(QPainter& p);
    // A moving outline that was stopped runs again.
    void RestartOutline();
    bool OutlineTimerActive() const { return timer_.isActive(); }
    void StopOutline() { timer_.stop(); }
    // The shape the mouse drew becomes the region.
    void FinishShape();

    // ---- the floaters ----
    // Shows the frame again with the floaters where they are now.
    void PresentFloaters();
    // Pastes the automatic floater where it lies.
    void DropAutoFloater();
    void PickUpFloater(const QPoint& at);
    void DragFloater(const QPoint& at);
    void DropFloater();
    int RebuildFloaterScreen();

private:
    void drawOutlineNow();
    void tick();

    TPixImage& c_;
    QTimer timer_;
};

} // namespace imaging
