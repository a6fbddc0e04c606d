#ifndef HALVORINE_SHOWKEYS_H
#define HALVORINE_SHOWKEYS_H

#include "input/showaction.h"

#include <QPair>
#include <QString>
#include <QVector>

class QKeyEvent;

// The one map from keys to actions. Digit keys are matched by where they sit, not by
// the character they give: with Shift (and on layouts such as AZERTY even without it)
// the digit row gives other characters, different on each layout, while a store must
// still land on the preset the key is labelled with.
//   1 .. 9, 0             recall preset 1 .. 9, 0 (also the keypad's digits)
//   Ctrl+1 .. Ctrl+9      camera 1 .. 9 of the Saved Cameras list
//   Ctrl+Shift+1 .. 0     store preset 1 .. 9, 0
//   Ctrl+PgDn / Ctrl+PgUp next / previous camera
//   arrows, PgUp, PgDn    pan-tilt, zoom in and out (held; Shift allowed)
//   Home, F / N, A, F1    home, focus far / near (held), one-push AF, key map
namespace ShowKeys {

ShowAction actionFor(const QKeyEvent *event);

// The digit (0 .. 9) of the main keyboard's digit row, or the keypad's, that this
// key is; -1 for any other key.
int physicalDigit(const QKeyEvent *event);

// Rows of (keys, what they do) for the key map window and the README.
QVector<QPair<QString, QString>> rows();

} // namespace ShowKeys

#endif
