#pragma once
// Inside the imaging engine: writing GIF files, one picture or the frames of an animation.
#include "sdk/bitmap.h"

#include <QIODevice>
#include <vector>

namespace sdk::detail {

// Writes frames (8, 24 or 32 bits) as a GIF. Each frame gets a palette of its own: its exact
// colours when it has at most 256 (255 with transparent pixels), else a median cut of them. A
// frame flagged bfTransparent turns its TransparentColor pixels transparent, a 32-bit frame its
// pixels below half alpha. Frame delays are kept to the hundredth of a second. loopCount: -1 no
// repeat, 0 for ever, n: n repeats after the first play (at most 65,535, the most the file holds). Progress goes to the status callback by rows.
int gifEncode(QIODevice* out, const std::vector<const SdkBitmapHandle*>& frames, int loopCount);

} // namespace sdk::detail
