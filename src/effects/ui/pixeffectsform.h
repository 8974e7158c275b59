#pragma once
// TPixEffectsForm: the modal colour-balance and sharpen dialog. The original and a preview side
// by side; the red, green and blue bars weaken their channels ("RGB"), or one bar sharpens or
// softens the picture ("SHARPEN"); the preview is what is saved over the picture file.
#include "util/texttable.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;
class QSlider;
class QTimer;
namespace imaging {
class TPixImage;
}
namespace sdk {
struct SdkBitmapHandle;
}

class TPixEffectsForm : public QDialog {
    Q_OBJECT
public:
    explicit TPixEffectsForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TPixEffectsForm() override;

    QLabel* Label1;
    imaging::TPixImage* PixImage2;
    QLabel* Label2;
    imaging::TPixImage* PixImage1;
    QWidget* RGBPanel;
    QLabel* Label3;
    QSlider* RedTrackBar;
    QSlider* GreenTrackBar;
    QSlider* BlueTrackBar;
    QLabel* RedLabel;
    QLabel* GreenLabel;
    QLabel* BlueLabel;
    QPushButton* ZuruecksetzenButton;
    QWidget* SharpenPanel;
    QLabel* Label7;
    QLabel* Label4;
    QLabel* Label5;
    QSlider* SharpenTrackBar;
    QLabel* SharpenLabel;
    QPushButton* Button1;
    QPushButton* SaveBitBtn;
    QPushButton* AbortBitBtn;

    QString Mode;
    int SharpenValue = 0;
    int RedValue = 100;
    int GreenValue = 100;
    int BlueValue = 100;
    bool PreviewPending = false;

    void FormCreate();
    void FormActivate();
    void RedTrackBarChange();
    void GreenTrackBarChange();
    void BlueTrackBarChange();
    void SharpenTrackBarChange();
    void ApplyEffectPreview();
    void ZuruecksetzenButtonClick();
    void Button1Click();
    void SaveBitBtnClick();

    // Sharpening: how long the keys or the wheel must rest before the preview follows them.
    static constexpr int KeySettleMs = 150;
    // The colour mix: steps of keys or the wheel that come within this long of a preview shown
    // are gathered into one, shown when it ends (a frame).
    static constexpr int KeyFrameMs = 16;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void barChange(QSlider* bar);
    void showBarValues(); // the bars' values in their labels
    bool loadInto(imaging::TPixImage* image);
    // The preview image back to the unchanged picture; false when there is none.
    bool restartPreview();
    // RGB: both panes take the picture at their own size, where the colour mix gives what it
    // gives the whole picture, scaled; the whole picture is kept for the save.
    void previewAtPaneSize();
    // The bars' colour mix on the image; false (reported) when it failed.
    bool mixColours(imaging::TPixImage* image);
    void setBar(QSlider* bar, int value);
    // Whether a preview costs so little that a step of the keys shows at once (the colour mix).
    bool quickPreview() const;
    // A key or wheel step changed a bar; the timer gathers the steps after it.
    void stepChange();
    void stepsSettled();

    // Running while steps of keys or the wheel are gathered.
    QTimer* settleTimer_ = nullptr;
    bool mouseHeld_ = false; // the left button is down on a bar
    bool keyStep_ = false;   // a key or wheel event is changing a bar
    // PixImage2 holds the picture as read at the opening.
    bool originalLoaded_ = false;

    // PixImage1 holds the selected picture (with the preview's change): only then is it saved.
    bool previewLoaded_ = false;
    // The picture the dialog was shown for.
    QString picture_;
    const util::TextTable& texts_; // the texts this window shows
    // The picture as read at the opening while the panes show it smaller (RGB); else empty.
    std::unique_ptr<sdk::SdkBitmapHandle> whole_;
};
