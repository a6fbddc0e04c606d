#ifndef HALVORINE_BENCH_MACHINESTATE_H
#define HALVORINE_BENCH_MACHINESTATE_H

#include <QJsonObject>

// What the figures depend on beyond the code: processor, cores, memory, kernel, how
// busy the machine was, and whether libVLC has its module cache.
QJsonObject machineState(const QString &loadBefore);

// One line for the table's footer.
QString machineSummary(const QJsonObject &state);

#endif
