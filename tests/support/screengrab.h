#ifndef HALVORINE_SCREENGRAB_H
#define HALVORINE_SCREENGRAB_H

#include <QColor>
#include <QImage>
#include <QString>

class QIcon;
class QWidget;

// The widget's pixels as the X server shows them (not as Qt would render them).
QImage grabFromScreen(QWidget *widget);

// Colours compared channel by channel, within a tolerance for smoothing and scaling.
bool colourNear(const QColor &actual, const QColor &expected, int tolerance);

// The colour at the middle of an icon drawn at 12 x 12 (the Connect button's light).
QString colourAtCentre(const QIcon &icon);

// The test pattern's SMPTE colour bars are on the screen inside the widget.
bool showsColourBars(QWidget *frame);
// The widget shows nothing but black (no picture, or a stopped one).
bool isBlack(QWidget *frame);

#endif
