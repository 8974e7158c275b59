#pragma once
// TvelDrawImage: the drawing control. It holds one working picture and runs the paint effects on
// it: every effect copies the whole picture into the range bitmap, works there in place and shows
// the range in the effects dialog's preview. The control creates and owns the effects dialog that
// is shown. The main window keeps one, never visible, as picture holder and effect engine.
//
// The drawing tools, brush tools and generators and the air brush act on the picture through the
// mouse handlers; the tool in force is the one named by Shape (tools/toolbox.h finds them).
#include "drawcanvas.h"
#include "drawtools.h"

#include "effects/airbrush.h"
#include "effects/bitmap.h"
#include "effects/paintfx.h"

#include <QStringList>
#include <QThreadPool>
#include <QWidget>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

class TPainterEffectsF;

namespace effectsui {
class DrawTool;
class ToolBox;
} // namespace effectsui

// The colour-picked event: the control and the colour integer.
using TColorPicked = std::function<void(QObject* sender, effects::ColorRef color)>;

class TvelDrawImage : public QWidget {
    Q_OBJECT
public:
    // Raster operation of a plain copy.
    static constexpr std::int32_t SRCCOPY = 0x00CC0020;

    explicit TvelDrawImage(QWidget* owner = nullptr);
    ~TvelDrawImage() override;

    // ---- the working picture, the range and the range rectangle ----
    // The picture the effects work on (what the main window assigns).
    const effects::Bitmap24& Picture() const { return picture_; }
    void SetPicture(effects::Bitmap24 picture);
    // Left, top, right, bottom in picture pixels; right and bottom inclusive.
    struct TRangeRect {
        int Left = 0, Top = 0, Right = 256, Bottom = 256;
    };
    TRangeRect RangeRect;
    std::int32_t RangeCopyMode = SRCCOPY;
    effects::Bitmap24 RangeBitmap;
    effects::Bitmap24 ZoomBitmap;
    QStringList ToolList;
    effects::TvelPaintFX PaintFX;
    effects::TjvAirBrush AirBrush;
    // Entry i: sin(i / 255 x pi / 2) x 255, rounded.
    std::array<std::uint8_t, 256> SplitLightTable{};

    // ---- published properties (stored values; the setters only store) ----
    // The tool's name; a tool of several clicks adds its stage ("chord2"). Setting a name chooses
    // the tool (a stage name: in that stage); a name no tool has draws nothing.
    QString Shape() const;
    void SetShape(const QString& value);
    bool polygonchecked() const { return Fpolygonchecked; }
    void Setpolygonchecked(bool value) { Fpolygonchecked = value; }
    int stars() const { return Fstars; }
    void Setstars(int value) { Fstars = value; }
    int starpoints() const { return Fstarpoints; }
    void Setstarpoints(int value) { Fstarpoints = value; }
    int blocks() const { return Fblocks; }
    void Setblocks(int value) { Fblocks = value; }
    int spirals() const { return Fspirals; }
    void Setspirals(int value) { Fspirals = value; }
    const TColorPicked& onColorPicked() const { return FonColorPicked; }
    void SetonColorPicked(TColorPicked handler) { FonColorPicked = std::move(handler); }

    // After the properties are set: a white 256 x 256 picture, a clear brush and a black pen.
    void Loaded();

    // ---- the drawing tools (drawtools.cpp) ----
    // The canvas over the picture: the tools' pen and brush.
    effectsui::TCanvas& Canvas() { return canvas_; }
    void BuildToolList();
    // Picture coordinates; the widget's mouse events arrive here.
    void MouseDown(effectsui::TMouseButton button, effectsui::TShiftState shift, int x, int y);
    void MouseMove(effectsui::TShiftState shift, int x, int y);
    void MouseUp(effectsui::TMouseButton button, effectsui::TShiftState shift, int x, int y);

    // Copies the range rectangle of the picture into the range bitmap (24 bits) with the raster
    // operation RangeCopyMode.
    void CopyRangeFromCanvas();
    // The range becomes the whole picture, copied into the range bitmap.
    void CopyPictureToRange();
    // Sizes the range bitmap to the range and fills it with the colour.
    void ClearRange(effects::ColorRef colour);
    // Rows shifted right in proportion to their depth, squeezed back into the width (0..100).
    static void Shear(effects::Bitmap24& bitmap, int amount);
    // Rows top .. bottom - 1 of dest (source's size) as Shear leaves them; each row of the
    // result comes from the same row of source alone.
    static void ShearRows(const effects::Bitmap24& source, effects::Bitmap24& dest, int amount, int top, int bottom);
    // Passes times every byte of the range through the split-light table.
    void SplitLight(int passes);
    // Resizes source into target (whose size the caller sets) with the Mitchell filter.
    static void StretchMitchell(const effects::Bitmap24& source, effects::Bitmap24& target);
    void DoColorPicked(effects::ColorRef colour);

    // ---- the effects dialog ----
    TPainterEffectsF* EffectsDialog() const { return effectsDialog_; }
    // Shows the effects dialog without a modal loop: the brightness panel when true, the effect
    // tree otherwise.
    void ShowEffectsDialog(bool brightness);
    // The brightness preview: lightness, saturation (0..500), contrast on a copy of the picture.
    void ApplyLightnessSaturationContrast(int brightness, int colour, int contrast);
    // The effect method of an effect number (0..54), with the dialog's bars as they stand now.
    // False when the number has no effect or the effect left the range unchanged on purpose
    // (a blend without a matching clipboard picture); the preview is then not updated.
    // While previewing, an effect whose amounts count pixels runs on the full picture on a
    // worker thread and its result arrives later, scaled down (see BeginPreview).
    bool ApplyEffect(int fxId);

    // ---- previews that show what a save writes ----
    // The working picture becomes `full` scaled down to the size the picture has now (the small
    // copy the main window made), and previews begin: the tone routines, which give the same
    // picture at any size, run on the small copy at once; every other effect runs on `full` off
    // the GUI thread and is scaled down into the range and the preview, the latest request
    // winning. SetPicture ends it. An empty `full` changes nothing.
    void BeginPreview(effects::Bitmap24 full);
    bool Previewing() const { return previewSource_ != nullptr; }
    // True while a preview computed off the GUI thread has not arrived yet.
    bool PreviewPending() const;
    // Waits until the preview asked for last has arrived and is shown.
    void WaitForPreview();
    // Whether an effect number gives the same picture, scaled down, on a scaled-down picture.
    static bool ScalesWithPicture(int fxId);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void showRangeInPreview();
    void previewArrived(std::uint64_t request, effects::Bitmap24 result);

    effects::Bitmap24 picture_;
    effectsui::TCanvas canvas_{picture_};
    TPainterEffectsF* effectsDialog_ = nullptr;
    // The tools this control has made, and the one Shape names (its name without a stage).
    std::unique_ptr<effectsui::ToolBox> toolBox_;
    effectsui::DrawTool* tool_ = nullptr;
    QString FShape;
    bool Fpolygonchecked = false;
    int Fstars = 1;
    int Fstarpoints = 5;
    int Fblocks = 32;
    int Fspirals = 3;
    TColorPicked FonColorPicked;

    // The full picture behind the small copy while previewing.
    std::shared_ptr<const effects::Bitmap24> previewSource_;
    // Number of the latest preview request; a result of an older one is dropped.
    std::atomic<std::uint64_t> previewRequest_{0};
    std::uint64_t previewShown_ = 0;
    // The full picture as the effect of the request under way leaves it; only the preview's
    // worker touches it.
    effects::Bitmap24 previewWork_;
    // One preview at a time; declared last, so it is gone (its work finished) before the rest.
    QThreadPool previewPool_;
};
