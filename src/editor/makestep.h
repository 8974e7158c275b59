#pragma once
// What the main window does when the user selects another step tab, decided without a window:
// the check for an empty show, the preparation of the make page, the music page's renumbering
// and what the instructions dialog says after each make target.
#include "show/showhost.h"

#include <QString>

namespace editor {

// The step tabs of the main window's page control.
enum StepPage : int { PicturesPage = 0, MusicPage = 1, SettingsPage = 2, MakePage = 3 };

// The targets of the make wizard.
enum class MakeTarget { None, PC, CdRom, DvdPlayer, HtmlPage, Screensaver };

// The first part of a page change: what to do before the make page is prepared.
struct PageChangeStart {
    bool clearStatus = false;  // any page but the first clears the status bar's simple text
    int emptyShowText = 0;     // 10010 or 10031: the show is empty, back to the first page with this text
    bool prepareMake = false;  // the make page was selected with pictures in the show
};
PageChangeStart StartPageChange(int newPage, bool showListEmpty, bool sourceListHasPictures);

// The last part of a page change, on the page selected after the make step (which may have gone
// back to the first page). musicTabVisited is the main window's flag and is updated here.
struct MusicPageActions {
    bool loadAudioList = false;     // the music page is now selected
    bool renumberAudioFiles = false; // the music page was left since it was last selected
};
MusicPageActions FinishPageChange(int currentPage, bool& musicTabVisited);

// What the instructions dialog shows after a make target.
using Instructions = show::Instructions;
// The instructions after making for the PC, a CD-ROM folder (cdFolder is named in the text),
// an HTML page or a screensaver; empty texts for the other targets.
Instructions InstructionsFor(MakeTarget target, const QString& cdFolder = {});

} // namespace editor
