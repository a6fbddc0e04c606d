#include "screengrab.h"

#include <QPixmap>
#include <QScreen>
#include <QWidget>

QImage grabFromScreen(QWidget *widget)
{
    const QPoint origin = widget->mapToGlobal(QPoint(0, 0));
    return widget->screen()->grabWindow(0, origin.x(), origin.y(), widget->width(), widget->height()).toImage();
}

bool colourNear(const QColor &actual, const QColor &expected, int tolerance)
{
    return qAbs(actual.red() - expected.red()) <= tolerance && qAbs(actual.green() - expected.green()) <= tolerance
        && qAbs(actual.blue() - expected.blue()) <= tolerance;
}
