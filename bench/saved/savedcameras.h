#ifndef HALVORINE_BENCH_SAVEDCAMERAS_H
#define HALVORINE_BENCH_SAVEDCAMERAS_H

#include <QString>

// Writes a settings file that already holds `count` saved cameras, in the layout the
// store itself writes (one "camName_<name>" key per camera), much faster than
// `count` saves would. The addresses are only text; nothing ever connects to them.
bool writeSavedCameras(const QString &filePath, int count);

// The address and name of the index-th camera saved during the measurement, never
// among the ones written beforehand.
QString newCameraAddress(int index);
QString newCameraName(int index);

#endif
