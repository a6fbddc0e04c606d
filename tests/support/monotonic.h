#ifndef HALVORINE_MONOTONIC_H
#define HALVORINE_MONOTONIC_H

#include <cstdint>

// Every timestamp of the benchmarks and of the stand-in camera, in every thread and
// process, comes from CLOCK_MONOTONIC: a time taken by a peer thread or a watching X
// client can then be subtracted from one taken where the operator's event was delivered.
std::int64_t monotonicNanos();

#endif
