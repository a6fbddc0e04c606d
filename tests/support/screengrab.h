#ifndef HALVORINE_SCREENGRAB_H
#define HALVORINE_SCREENGRAB_H

#include <QColor>
#include <QImage>

class QWidget;

// The widget's pixels as the X server shows them (not as Qt would render them).
QImage grabFromScreen(QWidget *widget);

// Colours compared channel by channel, within a tolerance for smoothing and scaling.
bool colourNear(const QColor &actual, const QColor &expected, int tolerance);

#endif
