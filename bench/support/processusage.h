#ifndef HALVORINE_BENCH_PROCESSUSAGE_H
#define HALVORINE_BENCH_PROCESSUSAGE_H

#include <QtGlobal>

// What a process (this one, or a player beside it) has used, from /proc: CPU time
// in seconds, user and system, all its threads together; -1 where unknown.
double cpuSecondsOf(qint64 pid);
// The same for one thread of a process (a reader inside a bench, say).
double cpuSecondsOfThread(qint64 pid, qint64 threadId);
// Its resident memory in bytes; -1 where unknown.
qint64 residentBytesOf(qint64 pid);

#endif
