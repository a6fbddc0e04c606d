#include "scenerenderer.h"

#include "headstate.h"

#include <QDateTime>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace SceneRenderer {

const QVector<Landmark> &landmarks()
{
    static const QVector<Landmark> list{
        {Landmark::Mast, QStringLiteral("Mast"), 0, 0, QColor(210, 30, 30)},
        {Landmark::House, QStringLiteral("House"), -45, 0, QColor(190, 120, 60)},
        {Landmark::Tree, QStringLiteral("Tree"), 35, 0, QColor(30, 150, 50)},
        {Landmark::Sun, QStringLiteral("Sun"), 100, 40, QColor(255, 215, 0)},
        {Landmark::Rock, QStringLiteral("Rock"), -15, -10, QColor(120, 110, 130)},
        {Landmark::Cloud, QStringLiteral("Cloud"), -100, 55, QColor(245, 245, 250)},
        {Landmark::House, QStringLiteral("Barn"), 140, 0, QColor(150, 40, 120)},
        {Landmark::Tree, QStringLiteral("Pine"), -130, 0, QColor(20, 100, 90)},
    };
    return list;
}

QImage render(const PanTilt &head, const OsdMenu &menu, QSize size, int scene)
{
    QImage image(size, QImage::Format_RGB32);
    PanTilt turned = head;
    turned.pan = std::remainder(head.pan + (qBound(1, scene, maxScene) - 1) * sceneTurn, 360.0);
    paintWorld(image, turned);
    blurForFocus(image, head);
    paintStatus(image, head, scene);
    paintMenu(image, menu);
    return image;
}

// Down and up again through a smooth scaling: cheap enough for every frame, and the
// picture plainly loses its edges. Within 0.02 of sharp nothing changes.
void blurForFocus(QImage &image, const PanTilt &head)
{
    const double defocus = std::abs(head.focus - HeadState::SharpFocus);
    if (defocus <= 0.02)
        return;
    const double shrink = 1 + defocus * 30;
    const QSize small(std::max(1, int(image.width() / shrink)), std::max(1, int(image.height() / shrink)));
    image = image.scaled(small, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
}

void paintStatus(QImage &image, const PanTilt &head, int scene)
{
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(image.width() / 2.0, image.height() / 2.0);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawLine(centre - QPointF(12, 0), centre + QPointF(12, 0));
    p.drawLine(centre - QPointF(0, 12), centre + QPointF(0, 12));

    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    const QString text = QStringLiteral("PAN %1\u00B0  TILT %2\u00B0  ZOOM %3x  FOCUS %4 %5")
                             .arg(head.pan, 6, 'f', 1).arg(head.tilt, 6, 'f', 1).arg(head.zoom, 4, 'f', 1)
                             .arg(qRound(head.focus * 100), 3)
                             .arg(head.manualFocus ? QStringLiteral("MF") : QStringLiteral("AF"));
    const QRectF band(0, image.height() - 24, image.width(), 24);
    p.fillRect(band, QColor(0, 0, 0, 140));
    p.drawText(band.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignLeft, text);
    p.drawText(band.adjusted(10, 0, -10, 0), Qt::AlignVCenter | Qt::AlignRight,
               QStringLiteral("CAM %1  ").arg(scene) + QTime::currentTime().toString(QStringLiteral("HH:mm:ss")));

    // Where the head points within its travel, bottom right above the band.
    const QRectF range(image.width() - 96, image.height() - 24 - 46, 86, 36);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1));
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawRect(range);
    const double x = (head.pan - HeadState::PanMin) / (HeadState::PanMax - HeadState::PanMin);
    const double y = (HeadState::TiltMax - head.tilt) / (HeadState::TiltMax - HeadState::TiltMin);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(range.left() + x * range.width(), range.top() + y * range.height()), 3, 3);
}

} // namespace SceneRenderer
