#pragma once
// PixPanGlass: the pan window and the magnifying glass of an image control. It opens, follows and
// closes both for the control it serves: the pan window shows the whole picture with the part the
// control shows, scrolls the control when the user moves that part, and hides while the control's
// window is minimised; the glass follows the mouse over the composed frame and reports its
// positions to the control's handler. The control keeps the options of both.
#include "imaging/pixpanwin.h"

#include <QPointer>
#include <functional>
#include <utility>

class QObject;

namespace imaging {

class TPixImage;

class PixPanGlass {
public:
    // The handler of the glass's positions (the point of the control it magnifies).
    using PositionHandler = std::function<void(TPixImage* Sender, int X, int Y)>;

    explicit PixPanGlass(TPixImage& control) : c_(control) {}
    PixPanGlass(const PixPanGlass&) = delete;
    PixPanGlass& operator=(const PixPanGlass&) = delete;

    // ---- pan window ----
    // Shows the pan window (created when the control has a picture) or closes it.
    int ShowPanWin(bool show);
    bool PanWinShown() const { return panWin_ && panWinShown_; }
    TPanWindow* PanWindow() const { return panWin_; }
    void ClosePanWindow();
    // Shows the visible part in the pan window; with pictureChanged also the picture anew.
    void UpdatePanWindow(bool pictureChanged = false);
    // Stores an option of the pan window, which shows it at once.
    template <typename T>
    void SetPanWinOption(T& field, T value)
    {
        field = std::move(value);
        PanWinOptionChanged();
    }
    // The control's window changed its state (minimised or back).
    void WindowStateChanged(QObject* window);

    // ---- magnifying glass ----
    int StartMagGlass(const TMagGlassOptions& options);
    // PX_SUCCESS when a glass was stopped, else 0.
    int StopMagGlass();
    TMagGlass* MagGlass() const { return glass_; }
    const TMagGlassOptions& MagGlassOptions() const { return glassOptions_; }
    void SetPositionHandler(PositionHandler handler);
    // Shows the glass over the client point at, or hides it where no picture lies.
    void FollowMagGlass(const QPoint& at);
    // The frame changed: a glass in sight shows it anew.
    void UpdateMagGlass();
    // Stores an option of the glass; a glass running starts anew with it.
    template <typename T>
    void SetMagGlassOption(T& field, T value)
    {
        field = std::move(value);
        RestartMagGlass();
    }

    // The picture changed: both show it anew.
    void PictureChanged()
    {
        UpdatePanWindow(true);
        UpdateMagGlass();
    }
    // The part shown moved: both follow.
    void ViewChanged()
    {
        UpdatePanWindow();
        UpdateMagGlass();
    }

private:
    void PanWinOptionChanged();
    void RestartMagGlass();
    void panWindowEvent(int flag, const QPoint& bitmapPos);
    void watchWindowState(bool watch);
    int magGlassPosition(const QPoint& point);
    QRect visibleBitmapPart() const;

    TPixImage& c_;
    QPointer<TPanWindow> panWin_;
    bool panWinShown_ = false;
    bool panWinMinimised_ = false;    // hidden while the control's window is minimised
    QPointer<QWidget> watchedWindow_; // whose minimising hides the pan window
    QPointer<TMagGlass> glass_;
    TMagGlassOptions glassOptions_;
    PositionHandler positionHandler_;
};

} // namespace imaging
