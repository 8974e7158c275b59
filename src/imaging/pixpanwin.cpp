// The pan window, the outline of the zoom-in capture and the magnifying glass.
#include "imaging/pixpanwin.h"

#include "imaging/pixtypes.h"
#include "platform/rounding.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMouseEvent>
#include <QPainter>

namespace imaging {

using namespace sdk;

Qt::CursorShape cursorShapeOf(int index)
{
    switch (index) {
    case -1: return Qt::BlankCursor;
    case -3: return Qt::CrossCursor;
    case -4: return Qt::IBeamCursor;
    case -5: return Qt::SizeAllCursor;
    case -6: return Qt::SizeBDiagCursor;
    case -7: return Qt::SizeVerCursor;
    case -8: return Qt::SizeFDiagCursor;
    case -9: return Qt::SizeHorCursor;
    case -10: return Qt::UpArrowCursor;
    case -11: return Qt::WaitCursor;
    case -12:
    case -16: return Qt::DragCopyCursor;
    case -13: return Qt::ForbiddenCursor;
    case -14: return Qt::SplitVCursor;
    case -15: return Qt::SplitHCursor;
    case -19: return Qt::BusyCursor;
    case -20: return Qt::WhatsThisCursor;
    case -21: return Qt::PointingHandCursor;
    default: return Qt::ArrowCursor;
    }
}

// ---- the pan window ----

TPanWindow::TPanWindow(QWidget* owner, Callback callback)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::CustomizeWindowHint), callback_(std::move(callback))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    setObjectName(QStringLiteral("PX_PANWINDOW_32"));
}

void TPanWindow::SetPicture(const QImage& picture, bool smooth)
{
    bitmapSize_ = picture.size();
    picture_ = picture.isNull() ? QImage()
                                : picture.scaled(size(), Qt::KeepAspectRatio,
                                                 smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    update();
}

void TPanWindow::Update(const QRect& visible, platform::ColorRef rectColor, const QString& title)
{
    visible_ = visible;
    rectColor_ = rectColor;
    setWindowTitle(title);
    update();
}

QRect TPanWindow::pictureRect() const
{
    if (bitmapSize_.isEmpty()) return {};
    const QSize fitted = bitmapSize_.scaled(size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
}

QRect TPanWindow::ViewRect() const
{
    const QRect area = pictureRect();
    if (area.isEmpty()) return {};
    const double sx = static_cast<double>(area.width()) / bitmapSize_.width();
    const double sy = static_cast<double>(area.height()) / bitmapSize_.height();
    return QRect(area.left() + platform::roundHalfEven(visible_.left() * sx),
                 area.top() + platform::roundHalfEven(visible_.top() * sy),
                 std::max(1, platform::roundHalfEven(visible_.width() * sx)),
                 std::max(1, platform::roundHalfEven(visible_.height() * sy)));
}

void TPanWindow::resizeEvent(QResizeEvent*)
{
    // The kept copy is made again at the new size by the control.
    if (callback_) callback_(3, {});
}

void TPanWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    const QRect area = pictureRect();
    if (area.isEmpty()) return;
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(area, picture_);
    p.setPen(QPen(platform::colorToQColor(rectColor_), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRect(ViewRect().adjusted(0, 0, -1, -1));
}

void TPanWindow::moveViewTo(const QPoint& windowPos)
{
    const QRect area = pictureRect();
    if (area.isEmpty()) return;
    const double sx = static_cast<double>(bitmapSize_.width()) / area.width();
    const double sy = static_cast<double>(bitmapSize_.height()) / area.height();
    QPoint bitmapPos(platform::roundHalfEven((windowPos.x() - area.left()) * sx),
                     platform::roundHalfEven((windowPos.y() - area.top()) * sy));
    bitmapPos.setX(std::clamp(bitmapPos.x(), 0, std::max(0, bitmapSize_.width() - visible_.width())));
    bitmapPos.setY(std::clamp(bitmapPos.y(), 0, std::max(0, bitmapSize_.height() - visible_.height())));
    if (callback_) callback_(1, bitmapPos);
}

void TPanWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) return;
    const QPoint at = event->position().toPoint();
    const QRect view = ViewRect();
    // A press outside the rectangle brings its centre there; inside, the rectangle is picked up.
    grab_ = view.contains(at) ? at - view.topLeft() : QPoint(view.width() / 2, view.height() / 2);
    dragging_ = true;
    moveViewTo(at - grab_);
}

void TPanWindow::mouseMoveEvent(QMouseEvent* event)
{
    if (dragging_) moveViewTo(event->position().toPoint() - grab_);
}

void TPanWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

void TPanWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (callback_) callback_(2, {});
}

// ---- the zoom-in outline ----

TZoomInFrame::TZoomInFrame()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput | Qt::WindowStaysOnTopHint)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
}

void TZoomInFrame::Around(const QRect& rect)
{
    setGeometry(rect.adjusted(-1, -1, 1, 1));
    // Only the line is part of the window: what it surrounds stays the screen's.
    setMask(QRegion(rect.adjusted(-1, -1, 1, 1).translated(-rect.topLeft() + QPoint(1, 1))) -
            QRegion(QRect(1, 1, rect.width(), rect.height())));
    show();
}

void TZoomInFrame::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

// ---- the magnifying glass ----

TMagGlass::TMagGlass(QWidget* control, const TMagGlassOptions& options, PositionCallback callback)
    : QWidget(control), options_(options), callback_(std::move(callback))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(std::max(1, options.Width), std::max(1, options.Height));
    if (options.Ellipse) setMask(QRegion(rect(), QRegion::Ellipse));
    hide();
}

void TMagGlass::Follow(const QImage& frame, const QPoint& point, const QRegion& inside)
{
    point_ = point;
    const int zoom = std::max(1, options_.Zoom);
    const int w = width(), h = height();
    // The source square around the point, of the glass's size divided by the zoom.
    const int sw = std::max(1, w / zoom), sh = std::max(1, h / zoom);
    const QRect source(point.x() - sw / 2, point.y() - sh / 2, sw, sh);
    view_ = QImage(sw, sh, QImage::Format_RGB32);
    view_.fill(platform::colorToQColor(options_.BackColor));
    {
        QPainter p(&view_);
        p.setClipRegion(inside.translated(-source.topLeft()));
        p.drawImage(QPoint(0, 0), frame, source);
    }
    move(options_.Centered ? point - QPoint(w / 2, h / 2) : point + QPoint(16, 16));
    show();
    raise();
    update();
    if (callback_ && callback_(point) == magGlassCallbackDone) callback_ = {};
}

void TMagGlass::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(rect(), view_);
    const QColor pen = platform::colorToQColor(options_.PenColor);
    if (options_.Crosshair) {
        p.setPen(QPen(pen, 1));
        p.drawLine(width() / 2, 0, width() / 2, height());
        p.drawLine(0, height() / 2, width(), height() / 2);
    }
    const int b = std::max(0, options_.BorderSize);
    if (b == 0) return;
    const QRectF edge = QRectF(rect()).adjusted(b / 2.0, b / 2.0, -b / 2.0, -b / 2.0);
    if (options_.Border3D) {
        // Light above left, shadow below right.
        p.setPen(QPen(QColor(255, 255, 255), b));
        if (options_.Ellipse) p.drawArc(edge, 45 * 16, 180 * 16);
        else p.drawPolyline(QPolygonF({edge.bottomLeft(), edge.topLeft(), edge.topRight()}));
        p.setPen(QPen(QColor(128, 128, 128), b));
        if (options_.Ellipse) p.drawArc(edge, 225 * 16, 180 * 16);
        else p.drawPolyline(QPolygonF({edge.topRight(), edge.bottomRight(), edge.bottomLeft()}));
        return;
    }
    p.setPen(QPen(pen, b));
    p.setBrush(Qt::NoBrush);
    if (options_.Ellipse) p.drawEllipse(edge);
    else p.drawRect(edge);
}

} // namespace imaging
