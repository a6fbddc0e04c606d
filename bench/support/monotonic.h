#ifndef HALVORINE_BENCH_MONOTONIC_H
#define HALVORINE_BENCH_MONOTONIC_H

#include <cstdint>

// Every timestamp of the benchmarks, in every thread and process, comes from
// CLOCK_MONOTONIC: a time taken by a peer thread or a watching X client can then be
// subtracted from one taken where the operator's event was delivered.
std::int64_t monotonicNanos();

#endif
