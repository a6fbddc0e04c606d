#ifndef HALVORINE_BENCH_SUMMARY_H
#define HALVORINE_BENCH_SUMMARY_H

#include <QJsonObject>

#include <cstdint>
#include <vector>

// The figures a benchmark reports for one series of durations, in microseconds.
struct Summary
{
    std::size_t count = 0;
    double medianMicros = 0;
    double p99Micros = 0;
    double minMicros = 0;
    double maxMicros = 0;

    QJsonObject toJson() const;
};

// Nearest-rank percentiles, so that the 99th is a duration that was really seen.
Summary summarize(std::vector<std::int64_t> nanos);

// Formats microseconds for the table: µs below a millisecond, ms above.
QString formatMicros(double micros);

#endif
