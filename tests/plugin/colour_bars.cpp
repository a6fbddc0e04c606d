#include "colour_bars.h"

#include <QColor>

#include <cstdlib>

namespace {

// Lossy coding and YUV/RGB conversions move a colour by a few tens (jpegenc
// also writes video-range samples into a full-range JPEG: 235 instead of
// 255); a grey or green smear from a missing reference frame is far off.
constexpr int kTolerance = 48;

bool near(const QColor &seen, const QColor &expected)
{
    return std::abs(seen.red() - expected.red()) <= kTolerance
        && std::abs(seen.green() - expected.green()) <= kTolerance
        && std::abs(seen.blue() - expected.blue()) <= kTolerance;
}

} // namespace

QString colourBarMismatch(const QImage &picture)
{
    if (picture.isNull())
        return QStringLiteral("no picture");
    const QColor bars[] = {Qt::white, Qt::yellow, Qt::cyan, Qt::green, Qt::magenta, Qt::red, Qt::blue};
    const int count = sizeof bars / sizeof *bars;
    const int y = picture.height() / 3;
    QString mismatch;
    for (int i = 0; i < count; ++i) {
        const int x = (2 * i + 1) * picture.width() / (2 * count);
        const QColor seen = picture.pixelColor(x, y);
        if (!near(seen, bars[i]))
            mismatch += QStringLiteral("bar %1 at (%2,%3) is %4, expected %5; ")
                            .arg(i).arg(x).arg(y).arg(seen.name(), bars[i].name());
    }
    return mismatch;
}
