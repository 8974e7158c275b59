#pragma once
// What the output windows (video, gallery) need of the window that holds the show: the show as a
// value, and the few things they ask it to do. The main window hands its host (an adapter) to
// each output window when the window is made, so the outputs include nothing of the editor's.
#include "showcontext.h"

#include <QString>

class QDialog;
class QWidget;

namespace show {

// What the instructions dialog shows after a make step or a video run.
struct Instructions {
    QString heading;
    QString text;
    bool burningGuide = false; // the burning-guide button
    bool playerIcon = false;   // the player icon and its explanation
};

class ShowHost {
public:
    virtual ~ShowHost() = default;
    // The show as it stands now.
    virtual ShowContext CurrentShow() const = 0;
    // Writes the picture list ("Pictures.ini") of the show; false (not reported) when it could
    // not be written.
    virtual bool SavePictureList() = 0;
    // Shows the shared instructions dialog modally, prepared with i; its result.
    virtual int ShowInstructions(const Instructions& i) = 0;
    // The window that holds the show: the parent of the outputs' helper windows.
    virtual QWidget* HostWindow() = 0;
    // The make wizard the host shows, which a video wizard opened from it closes with itself;
    // null while the host has shown none.
    virtual QDialog* MakeWizard() = 0;
};

} // namespace show
