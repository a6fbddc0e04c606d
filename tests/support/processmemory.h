#ifndef HALVORINE_PROCESSMEMORY_H
#define HALVORINE_PROCESSMEMORY_H

#include <QtGlobal>

// Resident memory of this process in bytes, from /proc/self/statm; -1 where unknown.
qint64 residentBytes();

#endif
