#pragma once
// What the main window needs of the output windows it opens: the print report with the current
// printer's name, and the audio information window whose analysis the music list also uses. The
// output layer builds them (print::ReportWindows, AudioInformation) and the program hands them to
// the main window when it makes it, so the editor includes nothing of the outputs'.
#include "showcontext.h"

#include <QString>
#include <functional>

class QWidget;

namespace show {

class PrintWindows {
public:
    virtual ~PrintWindows() = default;
    // The name of the printer at the printer object's current index; "" when that index is 0 or
    // below.
    virtual QString CurrentPrinterName() const = 0;
    // The report of the show's pictures at printSize: previewed, then printed on the user's word.
    // The run's report window when there is one, else one made as owner's child.
    virtual void PrintReport(QWidget* owner, int printSize, std::function<ShowContext()> show) = 0;
};

// What the audio analysis tells the music list.
struct AudioFacts {
    QString sampleRateHz;
    QString stereoMark;
};

class AudioWindows {
public:
    virtual ~AudioWindows() = default;
    // The run's audio information window, made at start-up, or nullptr.
    virtual QWidget* RunWindow() = 0;
    // A new audio information window, owner's child.
    virtual QWidget* NewWindow(QWidget* owner) = 0;
    // Analyses file in window (one of the above) without showing it.
    virtual AudioFacts Analyse(QWidget* window, const QString& file) = 0;
    // Shows file in window; an open window analyses it again and comes to the front.
    virtual void ShowFile(QWidget* window, const QString& file) = 0;
};

// The output windows the main window is made with. Whoever makes the window keeps them alive
// as long as the window.
struct OutputWindows {
    PrintWindows& print;
    AudioWindows& audio;
};

} // namespace show
