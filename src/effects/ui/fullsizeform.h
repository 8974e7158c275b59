#pragma once
// TFullsizeForm: the full-size viewer. The selected show picture large, fitted to the window or
// at 100 percent, with the picture operations beside it: turns and mirrors, brightness and
// colour, sharpen, paint effects, undo, print and help run in the main window (through the edit
// host) on its preview image and the picture file, and the viewer takes the main picture over
// afterwards; the crop is the viewer's own: the user marks a rectangle with the mouse, may pick
// it up as a floater, and the crop button cuts the picture to it and writes the file.
#include "returnactivation.h"
#include "util/texttable.h"

#include <QDialog>
#include <QRect>

#include <cstdint>
#include <functional>

class QLabel;
class QPushButton;
class QStatusBar;
class QToolButton;
namespace imaging {
class TPixImage;
}
namespace effectsui {
class PictureEditHost;
}

class TFullsizeForm : public QDialog {
    Q_OBJECT
public:
    explicit TFullsizeForm(QWidget* parent = nullptr, const util::TextTable& texts = util::TextTable::instance());
    ~TFullsizeForm() override;

    QWidget* Panel1; // the buttons on the left
    QToolButton* SpeedButton6;  // rotate left
    QToolButton* SpeedButton5;  // rotate right
    QToolButton* SpeedButton7;  // rotate by 180 degrees
    QToolButton* SpeedButton9;  // mirror horizontally
    QToolButton* SpeedButton10; // mirror vertically
    QPushButton* FitBitBtn;
    QPushButton* FullsizeBitBtn;
    QPushButton* FarbeBitBtn;
    QPushButton* RGBBitBtn;
    QPushButton* CutBitBtn;
    QPushButton* SharpenBitBtn;
    QPushButton* EffekteBitBtn;
    QPushButton* UndoBitBtn;
    QPushButton* PrintBitBtn;
    QPushButton* HelpBitBtn;
    QPushButton* CloseBitBtn;
    QStatusBar* StatusBar1;
    imaging::TPixImage* PixImage1;

    // Set by a press inside the marked region, cleared when that button comes up: the floater
    // moves with the mouse only in between.
    bool FloaterDragging = false;
    int LastMouseX = 0;
    int LastMouseY = 0;
    std::uint8_t SavedRgnFrameType = 2;
    std::uint8_t SavedRgnShape = 1;

    void FormCreate();
    void FormActivate();
    void SpeedButton6Click();
    void SpeedButton5Click();
    void SpeedButton7Click();
    void SpeedButton9Click();
    void SpeedButton10Click();
    void FitBitBtnClick();
    void FullsizeBitBtnClick();
    void FarbeBitBtnClick();
    void RGBBitBtnClick();
    void CutBitBtnClick();
    void SharpenBitBtnClick();
    void EffekteBitBtnClick();
    void UndoBitBtnClick();
    void PrintBitBtnClick();
    void HelpBitBtnClick();
    void CloseBitBtnClick();

    // Mouse events of the image control, in client pixels.
    void PixImage1MouseDown(Qt::MouseButton button, int x, int y);
    void PixImage1MouseMove(int x, int y);
    void PixImage1MouseUp(Qt::MouseButton button, int x, int y);
    void PixImage1Change();
    void PixImage1Resize();
    void PixImage1Scroll();

    // The floater put back where it came from and the region freed; outline and marking shape
    // as they were before the floater went up.
    void DropCropFloater();
    // The floater back at its region's place after a resize (size too) or a scroll.
    void SyncCropFloater(bool resized);
    // The main window's picture becomes the marked rectangle of this one; false (with the main
    // picture unchanged) when it cannot be made.
    bool CropToFloater();

    // The main window's picture copied into this one, and its undo button's state.
    void TakeOverMainPicture();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* event) override;

private:
    // The buttons and the image control's events to their handlers.
    void connectHandlers();
    void resetCropState();
    // The marked rectangle in picture pixels, clipped to the picture; empty without a region.
    QRect markedRect();
    void makeFloater(const QRect& source, bool exact);
    void copyUndoState();
    void transform(const char* operation);
    // The edit host with this window's picture selected in the main window; nullptr (reported)
    // when that picture is no longer in the show.
    effectsui::PictureEditHost* hostForEdit();
    // Runs an operation of the main window on this window's picture, then takes the result over.
    void inMainWindow(const std::function<void(effectsui::PictureEditHost&)>& operation);

    // Where the crop floater was lifted from, in picture pixels; it does not move with the floater.
    QRect floaterSource_;
    // The file the viewer shows: the selected picture when the main picture was last taken over.
    QString picture_;
    effectsui::ReturnActivation activation_;
    const util::TextTable& texts_; // the texts this window shows
};
