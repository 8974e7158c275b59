#pragma once
// Threads of the libraries the program loads are cancelled only where they can stop safely.
//
// Scanner backends run their reader on a thread that asks for asynchronous cancellation and cancel
// it when a frame ends or a scan is stopped. A thread so cancelled inside malloc leaves the lock of
// its memory arena held, and its own exit then waits on that lock for ever, with the program
// waiting to join it. The program answers every request for asynchronous cancellation with deferred
// cancellation, so such a thread stops at its next blocking call (a read or write of its pipe).

namespace platform {

// Makes sure this stands in front of the C library's cancellation type for every library the
// process loads; true when it does.
bool deferLibraryThreadCancels();

} // namespace platform
