#ifndef HALVORINE_BENCH_SIMULATORLOG_H
#define HALVORINE_BENCH_SIMULATORLOG_H

#include <QString>

#include <cstdint>

// One line of camera-sim's log under --stamp: its words and the monotonic time it was
// written at ("yyyy-MM-dd HH:mm:ss.zzz words [monotonic 12345.678 ms]").
struct SimulatorLine
{
    QString words;
    std::int64_t monotonicNanos = 0; // 0 for a line without the stamp

    static SimulatorLine parse(const QString &line);
    // "frame 12345 shows the head moving (...)" -> 12345 ms as nanoseconds; 0 if none.
    static std::int64_t frameStampNanos(const QString &words);
    // The tilt in "... tilt 12.34 ..." ("held at pan 0.0, tilt 12.3"); 0 when there is none.
    static double tiltIn(const QString &words);
};

#endif
