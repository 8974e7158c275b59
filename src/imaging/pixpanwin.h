#pragma once
// The pan window (a small floating window with the whole picture and a rectangle for the part
// the control shows, which the user drags to scroll) and the magnifying glass that follows the
// mouse over the control.
#include "platform/colors.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QWidget>
#include <functional>

namespace imaging {

class TPanWindow : public QWidget {
    Q_OBJECT
public:
    // What the window tells its control: 0 created, 1 the user moved the rectangle (to the
    // bitmap position given), 2 closed, 3 resized.
    using Callback = std::function<void(int flag, QPoint bitmapPos)>;
    TPanWindow(QWidget* owner, Callback callback);

    // The whole picture: a copy of it at the window's size is kept.
    void SetPicture(const QImage& picture, bool smooth);
    // The visible part in bitmap coordinates, the rectangle's colour, the title.
    void Update(const QRect& visible, platform::ColorRef rectColor, const QString& title);
    // The rectangle as drawn, in window coordinates.
    QRect ViewRect() const;
    const QRect& VisiblePart() const { return visible_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QRect pictureRect() const;
    void moveViewTo(const QPoint& windowPos);

    Callback callback_;
    QImage picture_;      // at the window's size
    QSize bitmapSize_;
    QRect visible_;
    platform::ColorRef rectColor_ = 255;
    bool dragging_ = false;
    QPoint grab_;
};

// The outline of the zoom-in capture on the screen: a white line one pixel outside the part of
// the screen being captured, in a window of its own that the mouse passes through.
class TZoomInFrame : public QWidget {
    Q_OBJECT
public:
    TZoomInFrame();
    // Shows the outline around rect (screen coordinates).
    void Around(const QRect& rect);

protected:
    void paintEvent(QPaintEvent*) override;
};

// The eleven values of a magnifying glass, in the order StartMagGlass takes them.
struct TMagGlassOptions {
    int Width = 100;
    int Height = 100;
    int Zoom = 2;                      // times
    platform::ColorRef PenColor = 0;   // border and crosshair
    platform::ColorRef BackColor = 0;  // outside the picture
    bool Ellipse = false;              // round glass; else rectangular
    int BorderSize = 1;
    bool Border3D = false;
    bool Crosshair = false;
    bool Centered = true;              // the glass centred on the cursor; else below right of it
    bool RegionOnly = false;           // magnify only inside the picture's region
};

// The answer of a position callback that wants no further positions.
constexpr int magGlassCallbackDone = -100;

class TMagGlass : public QWidget {
    Q_OBJECT
public:
    // Told the point the glass magnifies each time it moves; it answers 1, or -100 when it wants
    // no further positions (it is not called again).
    using PositionCallback = std::function<int(const QPoint& point)>;
    TMagGlass(QWidget* control, const TMagGlassOptions& options, PositionCallback callback = {});

    // Shows what lies around point (control coordinates) of frame; inside tells which pixels of
    // the frame may be magnified (the rest shows BackColor).
    void Follow(const QImage& frame, const QPoint& point, const QRegion& inside);
    const TMagGlassOptions& Options() const { return options_; }
    QPoint Point() const { return point_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TMagGlassOptions options_;
    PositionCallback callback_;
    QImage view_;
    QPoint point_;
};

} // namespace imaging
