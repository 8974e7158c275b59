#pragma once
// The transition capture window: turns one slide transition into numbered still frames for the
// high-quality video modes. It shows the frame of one picture, lets its image control paint the
// next picture with a transition of the transition list, and while the effect runs saves every
// k-th step of the paint as a JPEG frame. The frame rendering of the video run shows one window
// per picture pair modally; the window closes itself when the effect is (nearly) through.
#include <QDialog>
#include <QString>

#include "app/windowregistry.h"

namespace imaging { class TPixImage; }
namespace show { class ShowHost; }

class TCaptureForm : public QDialog, public RegisteredWindow<TCaptureForm> {
    Q_OBJECT
public:
    // host: the window that holds the show (its frames per transition and random option), which
    // outlives this one.
    explicit TCaptureForm(show::ShowHost& host, QWidget* parent = nullptr);
    ~TCaptureForm() override;

    // ---- set before the window is shown ----
    QString FromPicture;
    QString ToPicture;
    int TransitionNumber = 1;   // the main window's transition spin box
    QString TransitionListFile; // program directory + "Effects.ini"
    QString FramePrefix;        // encoder folder + "inp" + picture number as four digits

    // ---- state ----
    bool Capturing = false;
    int EventCounter = 0;
    int FrameNumber = 0;

    imaging::TPixImage* Pix1;

    void FormActivate();
    // Puts line lineIndex (from 0) of the transition list into Pix1's effect properties; with the
    // main window's random option a line drawn from all but the last.
    void ApplyTransitionLine(int lineIndex);
    void Pix1Status(int percent);
    void Pix1PaintNotify(unsigned pass, unsigned type);

    // The name of frame n: prefix + n as three digits + ".jpg".
    QString FrameName(int n) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    bool loadPicture(const QString& file);
    void endCapture();

    show::ShowHost& host_;
    bool activated_ = false;
    bool paintStarted_ = false;
    int framesPerTransition_ = 12; // the show's frames per transition, taken with the transition
};
