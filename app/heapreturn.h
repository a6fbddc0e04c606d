#ifndef HALVORINE_HEAPRETURN_H
#define HALVORINE_HEAPRETURN_H

// Gives the memory a stopped player freed back to the system.
//
// Each play makes libVLC start threads of its own (input, decoder, video output),
// and glibc gives such threads heaps ("arenas") of their own. What they free stays
// in those heaps, in pieces the next play's threads do not reuse, so an operator
// who plays and stops a preview again and again would see the program grow with
// every play, though almost nothing is still in use. malloc_trim hands the
// free pages of every heap back. It runs a moment after a stop, at most once a
// second, so that a Stop or a Play right after never waits for it.
namespace HeapReturn {

void afterPlayerStopped();

// Milliseconds from a stop to the trim.
constexpr int delayMs = 1000;

} // namespace HeapReturn

#endif
