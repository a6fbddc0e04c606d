#ifndef HALVORINE_BENCH_LONGPLAY_H
#define HALVORINE_BENCH_LONGPLAY_H

#include <QString>
#include <QtGlobal>

#include <cstdint>
#include <vector>

struct PreviewUnderLoad;

// What a preview left to play for a long time did, after its warm-up.
struct LongPlayFigures
{
    // Resident memory of the whole process, one reading every sampleSeconds.
    std::vector<qint64> rssBytes;
    int sampleSeconds = 0;
    // CPU of the process per minute as a share of one core, without the screen
    // reader's thread (shown apart: it is the bench's, not the remote's).
    std::vector<double> cpuPerMinute;
    std::vector<double> readerCpuPerMinute;
    // New pictures seen on the screen, and the longest time without one (to the end of
    // the run too), with when it ended, in seconds after the warm-up.
    std::uint64_t pictures = 0;
    double longestGapMs = 0;
    double longestGapEndedAtS = 0;
    QString error;
};

// Opens the preview with the Preview button (the camera link is up), waits
// `warmUpSeconds`, then watches it for `minutes`.
LongPlayFigures playForLong(PreviewUnderLoad &preview, int warmUpSeconds, int minutes, int sampleSeconds);

#endif
