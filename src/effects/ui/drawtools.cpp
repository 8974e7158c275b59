// The mouse protocol of the drawing control: what every tool shares (the saved colours and pen
// mode, the start and last points, the drawing flag, the remembered point), around the tool in
// force, which the Shape property selects from the tool table (tools/toolbox.h).
#include "drawtools.h"

#include "veldrawimage.h"

#include "tools/toolbox.h"

#include <QCursor>
#include <QMouseEvent>

#include <cmath>

namespace effectsui {

QStringList DrawToolNames() { return ListedToolNames(); }

TDrawToolState& DrawToolState()
{
    static TDrawToolState state;
    return state;
}

void ResetDrawToolState() { DrawToolState() = TDrawToolState{}; }

} // namespace effectsui

using namespace effectsui;

void TvelDrawImage::BuildToolList()
{
    ToolList.clear();
    ToolList << DrawToolNames();
}

QString TvelDrawImage::Shape() const
{
    if (tool_ && tool_->Stage() > 0) return FShape + QString::number(tool_->Stage());
    return FShape;
}

void TvelDrawImage::SetShape(const QString& value)
{
    const ToolBox::Selection selected = toolBox_->Select(value);
    tool_ = selected.tool;
    FShape = selected.tool ? selected.name : value;
}

void TvelDrawImage::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TDrawToolState& s = DrawToolState();
    TCanvas& c = canvas_;
    Point pt{x, y};
    s.SavedPenColor = c.Pen.Color;
    s.SavedBrushColor = c.Brush.Color;
    if (button == mbRight) {
        if (tool_) tool_->RightPress(*this, pt);
        s.RememberedPoint = pt;
        c.Pen.Mode = s.SavedPenMode;
        update();
        return;
    }
    if ((shift & ssCtrl) && (shift & ssShift)) {
        pt = s.RememberedPoint;
        if (!picture_.empty() && width() > 0 && height() > 0)
            QCursor::setPos(mapToGlobal(QPoint(pt.x * width() / picture_.width(), pt.y * height() / picture_.height())));
    }
    const Press press{pt, shift, s.BandShown, s.LastPoint};
    c.MoveTo(pt.x, pt.y);
    s.StartPoint = s.LastPoint = pt;
    s.LineLock = QStringLiteral("none");
    s.Drawing = true;
    s.BandShown = false;
    s.SavedPenMode = c.Pen.Mode;
    if (tool_) tool_->Down(*this, press);
    c.Pen.Mode = s.SavedPenMode;
    update();
}

void TvelDrawImage::MouseMove(TShiftState shift, int x, int y)
{
    if ((shift & ssCtrl) && (shift & ssAlt)) return;
    TDrawToolState& s = DrawToolState();
    if (!s.Drawing) return;
    const Point pt{x, y};
    if (tool_) tool_->Move(*this, pt, shift);
    canvas_.Pen.Mode = s.SavedPenMode;
    s.LastPoint = pt;
    update();
}

void TvelDrawImage::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (((shift & ssCtrl) && (shift & ssAlt)) || button == mbRight) return;
    TDrawToolState& s = DrawToolState();
    // The tool may choose another (the zoom brush that keeps its picture hands over to freehand).
    DrawTool* tool = tool_;
    if (tool) {
        const Release release{{x, y}, shift, s.SavedPenMode != pmNotXor};
        tool->EndBand(*this, release);
        tool->Up(*this, release);
    }
    canvas_.Pen.Mode = s.SavedPenMode;
    if (!tool || !tool->StrokeOutlivesRelease()) s.Drawing = false;
    update();
}

namespace {

TShiftState shiftOf(const QMouseEvent* e)
{
    TShiftState s = 0;
    if (e->modifiers() & Qt::ShiftModifier) s |= ssShift;
    if (e->modifiers() & Qt::AltModifier) s |= ssAlt;
    if (e->modifiers() & Qt::ControlModifier) s |= ssCtrl;
    if (e->buttons() & Qt::LeftButton) s |= ssLeft;
    if (e->buttons() & Qt::RightButton) s |= ssRight;
    if (e->buttons() & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

TMouseButton buttonOf(const QMouseEvent* e)
{
    if (e->button() == Qt::RightButton) return mbRight;
    if (e->button() == Qt::MiddleButton) return mbMiddle;
    return mbLeft;
}

} // namespace

// The picture is stretched over the control: mouse positions become picture pixels.
static Point toPicture(const QWidget& widget, const effects::Bitmap24& picture, const QMouseEvent* e)
{
    const QPointF p = e->position();
    if (picture.empty() || widget.width() <= 0 || widget.height() <= 0)
        return {int(std::floor(p.x())), int(std::floor(p.y()))};
    return {int(std::floor(p.x() * picture.width() / widget.width())), int(std::floor(p.y() * picture.height() / widget.height()))};
}

void TvelDrawImage::mousePressEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseDown(buttonOf(event), shiftOf(event), p.x, p.y);
}

void TvelDrawImage::mouseMoveEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseMove(shiftOf(event), p.x, p.y);
}

void TvelDrawImage::mouseReleaseEvent(QMouseEvent* event)
{
    const Point p = toPicture(*this, picture_, event);
    MouseUp(buttonOf(event), shiftOf(event), p.x, p.y);
}
