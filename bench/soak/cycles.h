#ifndef HALVORINE_BENCH_CYCLES_H
#define HALVORINE_BENCH_CYCLES_H

#include "summary.h"

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

struct PreviewUnderLoad;

// What a series of operator cycles on the preview did.
struct CycleFigures
{
    int cycles = 0;
    int done = 0;
    // Resident memory before the first cycle (after a settle), after the last, the
    // highest read after any cycle, and at every tenth of the series.
    qint64 rssStart = 0;
    qint64 rssEnd = 0;
    qint64 rssMax = 0;
    std::vector<qint64> rssAtTenths;
    // After the last reading, once malloc_trim has handed back what the allocator
    // keeps for reuse: what is left of the growth is memory in use (or not malloc's).
    qint64 rssAfterTrim = 0;
    // One cycle from the first click to its completion as the server or the window
    // reports it.
    Summary perCycle;
    // Pictures looked for on the screen (every checkEvery-th cycle) and found.
    int picturesLookedFor = 0;
    int picturesFound = 0;
    // Snap cycles only: RTSP sessions the server saw end meanwhile (0: the stream ran on).
    int sessionsEnded = 0;
    QString error;
};

// Play, then Stop, `cycles` times through the dialog's buttons. A cycle is done when the
// server has seen the new session's PLAY and, after Stop, its end.
CycleFigures playStopCycles(PreviewUnderLoad &preview, int cycles, int checkEvery);
// With a stream playing in the floating dialog: Snap checked (the dialog becomes a panel
// of the main window), Snap unchecked (a hidden dialog window again), the dialog shown
// again, `cycles` times. The operator's Preview button would also restart the stream;
// the dialog is shown alone so that one stream runs through the whole series.
CycleFigures snapCycles(PreviewUnderLoad &preview, int cycles, int checkEvery);

#endif
