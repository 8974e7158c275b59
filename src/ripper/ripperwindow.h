#pragma once
// The ripper's small window: what it is doing, how far it is, and a button to stop. It opens
// in the middle of the screen, where the editor's maximised window is, never in a corner over
// the editor's menu bar.
#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

namespace ripper {

class RipperWindow : public QWidget {
public:
    RipperWindow();

    void setStatus(const QString& text);
    void setStep(int done, int total);
    bool stopped() const { return stopped_; }
    // Puts the window in the middle of the available area of its screen.
    void centreOnScreen();

    QLabel* Status;
    QProgressBar* Bar;
    QPushButton* Stop;

private:
    bool stopped_ = false;
};

} // namespace ripper
