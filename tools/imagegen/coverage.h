#pragma once

#include <QImage>
#include <QRgb>

#include <functional>
#include <vector>

class QPainter;

// How much of each pixel a shape covers, 0 (none) to 255 (all).
//
// QPainter's own antialiasing picks blending code by CPU features and has changed
// between Qt releases, so its edge pixels are not guaranteed to come out the same
// on every build machine. Instead the shape is filled without antialiasing at
// kSamples times the size (plain scan conversion, integer work) and every
// kSamples x kSamples block is counted down to one pixel. The committed images can
// then be redrawn byte for byte anywhere.
class Coverage
{
public:
    static constexpr int kSamples = 16;

    Coverage(int width, int height);

    // Calls draw() with a painter in target pixel coordinates, already set up to
    // fill without antialiasing and to replace what is below. Draw with a white
    // brush to add to the shape and a black one to cut holes out of it.
    static Coverage draw(int width, int height, const std::function<void(QPainter &)> &draw);

    int width() const { return m_width; }
    int height() const { return m_height; }
    int at(int x, int y) const { return m_values[size_t(y) * size_t(m_width) + size_t(x)]; }

    // Turned clockwise by quarterTurns times 90 degrees (square masks only): an exact
    // shuffle of pixels, so the four arrows are the same shape to the last pixel.
    Coverage rotatedClockwise(int quarterTurns) const;

    // The shape in one flat colour on a transparent ground, written into `into`
    // (ARGB32, straight alpha) with its top left corner at (left, top).
    void paintInto(QImage &into, int left, int top, QRgb colour) const;

private:
    int m_width;
    int m_height;
    std::vector<unsigned char> m_values;
};

// An empty image for the shapes above: straight (not premultiplied) alpha so that
// edge pixels keep the exact colour, and a fixed resolution so that nothing in the
// written PNG depends on the screen of the machine that drew it.
QImage blankImage(int width, int height);
