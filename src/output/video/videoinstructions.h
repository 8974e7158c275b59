#pragma once
// The short instructions after the video wizard and the video run: what the shared
// instructions dialog of the make step says about a video (the show host shows it).
#include "show/showhost.h"

#include <QString>

namespace video {

// How a video came to an end, as the instructions tell it.
enum class VideoOutcome {
    NoSpace,    // the wizard found too little free space for the estimate; no video was made
    Aborted,    // the user cancelled the run
    Failed,     // the run ended through its failure clean-up
    MadeVCD,    // a video CD was written into the video folder
    MadeSVCD,   // a super video CD was written into the video folder
};

// The heading, text, burning-guide button and player icon for an outcome; videoFolder is named
// in the texts of a finished video. The player icon belongs to the show made for the PC and is
// hidden for every video.
show::Instructions VideoInstructions(VideoOutcome outcome, const QString& videoFolder = {});

} // namespace video
