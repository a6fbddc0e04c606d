#include "screengrab.h"

#include <QIcon>
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

// Bars come out at 75 % or full strength depending on the renderer's range handling,
// so each is told by which channels are lit.
static bool lit(const QColor &c, bool r, bool g, bool b)
{
    auto on = [](int v, bool wanted) { return wanted ? v > 150 : v < 80; };
    return on(c.red(), r) && on(c.green(), g) && on(c.blue(), b);
}

// The SMPTE colour bars of the test pattern: yellow, cyan and magenta each cover a
// good share of the frame when the video is really drawn there.
bool showsColourBars(QWidget *frame)
{
    const QImage image = grabFromScreen(frame);
    int yellow = 0, cyan = 0, magenta = 0, samples = 0;
    for (int y = 4; y < image.height() / 2; y += 8)
        for (int x = 4; x < image.width() - 4; x += 8) {
            const QColor c = image.pixelColor(x, y);
            yellow += lit(c, true, true, false);
            cyan += lit(c, false, true, true);
            magenta += lit(c, true, false, true);
            ++samples;
        }
    return yellow > samples / 20 && cyan > samples / 20 && magenta > samples / 20;
}

bool isBlack(QWidget *frame)
{
    const QImage image = grabFromScreen(frame);
    for (int y = 8; y < image.height() - 8; y += 16)
        for (int x = 8; x < image.width() - 8; x += 16)
            if (!colourNear(image.pixelColor(x, y), Qt::black, 40))
                return false;
    return true;
}

QString colourAtCentre(const QIcon &icon)
{
    return icon.pixmap(12, 12).toImage().pixelColor(6, 6).name();
}
