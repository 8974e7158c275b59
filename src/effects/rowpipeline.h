#pragma once
// Rows of a bitmap worked out ahead on worker threads and finished in order on the calling thread
// (internal to the effects library).
//
// The routines that read what they wrote (the distortions run in place) cannot split into bands:
// a pixel may read one written just before it. Most of their cost does not read pixels, though
// (the coordinate arithmetic), and some pixels read only pixels that no earlier pixel writes.
// RunRowPipeline lets workers do that part of the rows ahead while the calling thread finishes
// the rows strictly one after the other, top down.
//
// The effects library stands without Qt, so this is plain std::thread; the program's thread
// helpers (util's OrderedWork) sit above it.
#include <functional>

namespace effects::detail {

// The threads a routine uses: `requested` when positive, else one per processor (at least one).
int ThreadsFor(int requested);

// prepare(row, slot) for every row 0 .. rows - 1, on up to threads - 1 workers and on the calling
// thread while it waits; finish(row, slot) on the calling thread for rows 0, 1, 2, ... in order,
// each after its prepare has ended and before the row `slots` places further is prepared in the
// same slot (slot = row % slots, slots clamped into 1 .. rows). Both see what the finishes of the
// rows before wrote: a prepare of row y runs after finish(y - slots) and may overlap the finishes
// of rows y - slots + 1 .. y - 1. With one thread every prepare runs just before its finish.
// prepare and finish must not throw.
void RunRowPipeline(int rows, int threads, int slots, const std::function<void(int row, int slot)>& prepare,
                    const std::function<void(int row, int slot)>& finish);

} // namespace effects::detail
