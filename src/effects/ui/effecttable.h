#pragma once
// The paint effects of the effects dialog, one row per effect number (FxId): the node that
// stands for it in the dialog's tree, the range a click on that node gives the amount bar, what
// the extra bar means to it, and the routine the drawing control runs on its range bitmap. The
// dialog builds its tree and sets its bars from this table; the drawing control's ApplyEffect
// runs the routines from it.
#include "effects/bitmap.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>

namespace effectsui {

// What a routine reads of the dialog, taken on the GUI thread when the effect runs.
struct EffectArgs {
    int amount = 0;              // EBar
    int extra = 0;               // extrabar
    int cx = 0;                  // cxbar
    int cy = 0;                  // cybar
    effects::Bitmap24 blendPicture; // Blend's second picture (the clipboard's)
    std::array<std::uint8_t, 256> splitLightTable{};
};

// The amount bar's minimum, maximum and position after a click on the effect's node.
struct AmountRange {
    int minimum, maximum, position;
};

// What the extra bar is to an effect.
enum class ExtraRole {
    Unused,
    Value,
    // Plasma's turbulence: below 10 the bar is first set to 10 (its change runs the effect once
    // more) and 10 is used.
    AtLeastTen,
};

// How an effect's work on the whole picture splits into bands of rows that run at once, each
// band's rows coming out as the whole run leaves them.
enum class Bands {
    // Not at all: rows read rows the effect has already changed, or the picture shares one random
    // sequence or one running state.
    None,
    // Each pixel from itself alone: a band runs the routine on a copy of its rows.
    Pixels,
    // Blocks of `amount` rows from the top: bands begin at multiples of the amount.
    Blocks,
    // Each row from itself and the unchanged row below it: a band's copy carries that row too.
    RowBelow,
    // Each row from the unchanged picture anywhere: the entry's band routine writes the rows.
    Source,
};

struct EffectEntry {
    int fxId;
    // The node's caption path in the tree ("Wave/Normal"); empty for the effects the tree leaves
    // out (saturation and lightness; contrast only stands behind two group nodes).
    const char* node;
    // None: a click on the node leaves the bar's range as the last effect set it.
    std::optional<AmountRange> amount;
    ExtraRole extra;
    // Run on a scaled-down picture it gives the full picture's result scaled down, so a preview
    // may run it on the small copy.
    bool scalesWithPicture;
    // Blends in the clipboard's picture, which must have the size of the picture it works on.
    bool blendsClipboard;
    // Works on the range in place; touches nothing but the range and the random generator.
    void (*run)(effects::Bitmap24& range, const EffectArgs& args);
    Bands bands = Bands::None;
    // Bands::Source: rows top .. bottom - 1 of dest (a copy of source) as run() leaves them.
    void (*runBand)(const effects::Bitmap24& source, effects::Bitmap24& dest, const EffectArgs& args, int top,
                    int bottom) = nullptr;
};

// Every effect, in the order of the tree's nodes; those the tree leaves out come last.
std::span<const EffectEntry> EffectTable();
// The row of an effect number; null when the number has no effect.
const EffectEntry* FindEffect(int fxId);
// The effect number a group node of the tree carries: 0 (contrast) for "Ripple" and
// "Texturize", -1 (no effect) for the other groups.
int GroupNodeFxId(const QString& caption);

// The effect on a copy of source, left in dest; source stays as it is. Effects that split into
// bands run on worker threads (threads 0: one per core) and give the bytes a run on one thread
// gives; the others run here. stop is asked before each band: once it says true, no band starts
// and the result is false (dest then holds no result).
bool RunEffect(const EffectEntry& effect, const effects::Bitmap24& source, effects::Bitmap24& dest, const EffectArgs& args,
               const std::function<bool()>& stop = {}, int threads = 0);

// Passes times, every byte of the bitmap through the split-light table.
void SplitLightBytes(effects::Bitmap24& bitmap, const std::array<std::uint8_t, 256>& table, int passes);

} // namespace effectsui
