#pragma once
// The current show as the output windows read it: where it lives, how it plays and what it
// holds. A plain value, filled by the main window from its members when an output asks for it
// (see showhost.h), so the outputs need nothing of the editor's.
#include "platform/colors.h"

#include <QString>
#include <QStringList>

namespace show {

struct ShowContext {
    // ---- where the show and the program live (Windows paths) ----
    QString ProgramDir;    // with its trailing backslash
    QString ShowRoot;      // the folder of the shows, with its trailing backslash
    QString ShowFolder;    // bare folder name of the show, no backslash
    QString ShowTitle;     // the show's title as stored
    QString Title;         // the title as the title field shows it now
    QString VideoFolder;   // where videos are written
    QString EncoderFolder; // the encoder's work folder

    // ---- how it plays ----
    QString SecondsPerPicture; // as typed: "3", "2.5" or "2,5"
    int FrameRate = 25;
    int TransitionFrames = 12;     // frames per transition
    bool TransitionsOff = false;   // no transition between pictures
    bool RandomTransition = false; // a transition drawn at random for each change
    int TransitionNumber = 1;      // the chosen line of the transition list
    platform::ColorRef BackgroundColor = 0;
    platform::ColorRef TextColor = 0;
    int TextOffset = 0;            // the caption's distance from the bottom edge
    bool Captions = false;         // captions are shown

    // ---- what it holds ----
    QStringList PictureItems; // the picture list's items (file name and caption markup)
    QStringList MusicFiles;   // the music list, full paths in play order

    // ---- what a print of it takes ----
    bool PrintAll = true;       // every picture, or those chosen for the print
    bool PrintCaptions = false; // each picture under its caption

    // The show's folder with its trailing backslash.
    QString ShowFolderPath() const;
};

} // namespace show
