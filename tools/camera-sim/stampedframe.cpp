#include "stampedframe.h"

#include "framestamp.h"

#include <QPainter>
#include <algorithm>
#include <chrono>

namespace StampedFrame {

qint64 monotonicMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void drawStamp(QImage &image, qint64 monotonicMs)
{
    // FrameStamp writes 8-bit luma; grey pixels carry the same levels through
    // the encoder's RGB to YUV conversion.
    QImage band(image.width(), std::max(1, image.height() / FrameStamp::bandHeightDivisor),
                QImage::Format_Grayscale8);
    FrameStamp::write(band.bits(), int(band.bytesPerLine()), image.width(), image.height(),
                      std::uint32_t(monotonicMs));
    QPainter painter(&image);
    painter.drawImage(0, 0, band);
}

} // namespace StampedFrame

QString MotionNotice::frameDrawn(const PanTilt &drawn, qint64 stampMs)
{
    const bool moved = last_ && (drawn.pan != last_->pan || drawn.tilt != last_->tilt || drawn.zoom != last_->zoom);
    last_ = drawn;
    if (moved == moving_)
        return {};
    moving_ = moved;
    return QStringLiteral("frame %1 shows the head %2 (pan %3, tilt %4)")
        .arg(stampMs)
        .arg(moved ? QStringLiteral("moving") : QStringLiteral("still"))
        .arg(drawn.pan, 0, 'f', 2)
        .arg(drawn.tilt, 0, 'f', 2);
}
