#pragma once
// Effect painting: a picture or a transition background revealed over what a frame already shows,
// in steps. One paint of `passes` passes reports the status 1..100, each percent once: pass p of n
// covers the percents above (p - 1) * 100 / n up to p * 100 / n, and each percent is drawn into
// the frame before the status callback hears of it. The last percent leaves exactly the target.
#include "sdk/bitmap.h"

#include <QImage>
#include <QRect>
#include <cstdint>

namespace sdk {

// What every effect code looks like. 1000 is no effect (the picture at once).
enum class PxEffectKind { None, Wipe, Blinds, Dissolve, BarnDoors, BoxIris, Circle, Checker, Fade, Push };
struct PxEffectShape {
    PxEffectKind kind = PxEffectKind::None;
    int variant = 0; // direction or seed
};
bool isEffectCode(int code);
// The shape of a valid effect code (None for 1000 and for codes that are not effects).
PxEffectShape effectShape(int code);

struct PxEffectParams {
    int effect = 1000;
    int grain = 5;         // block, slat or cell size
    int delay = 0;         // milliseconds waited after each percent
    bool transparency = false;
    std::int32_t transparentColor = 0;
    int wandSize = 0;      // the leading edge of a wipe, drawn in wandColor
    std::int32_t wandColor = 0;
};

// Reveals target over frame inside rect (both images of one size, 32-bit) for pass `pass` of
// `passes`. With transparency, target pixels of the transparent colour are left as the frame has
// them. Gives PX_SUCCESS, PXERR_BADPARAM, or PXERR_ABORTED when the status callback asked to stop
// (the frame then shows the step reached).
int PX_EfxPaintBitmap(QImage* frame, const QImage& target, const QRect& rect, const PxEffectParams& params,
                      unsigned pass, unsigned passes);

// Works out ahead what painting effect over a rect of size takes (the reveal map of its shape), so
// that the first step of a transition about to start need not wait for it. Safe on any thread.
void prepareEffect(QSize size, const PxEffectParams& params);

// The transition background: a gradient (style a gradient code) or a pattern (style 0..7: solid,
// transparent, horizontal, vertical, down diagonal, up diagonal, cross, diagonal cross) of the two
// colours, revealed over frame inside rect with effect like PX_EfxPaintBitmap.
int PX_EfxPaintTransition(QImage* frame, bool gradient, int style, std::int32_t color1, std::int32_t color2,
                          int steps, const QRect& rect, const PxEffectParams& params, unsigned pass, unsigned passes);

} // namespace sdk
