// The panorama behind the lens. Everything here is drawn in world degrees
// (x = azimuth, y = elevation, up is +) through a painter transform that puts
// the head's pan/tilt in the middle of the picture; the world repeats every
// 360 degrees so looking past +-180 shows the other side.
#include "headstate.h"
#include "scenerenderer.h"

#include <QPainter>
#include <QPainterPath>

namespace SceneRenderer {
namespace {

void paintSkyAndGround(QPainter &p, const QImage &image, const PanTilt &head, double ppd)
{
    const double horizonY = image.height() / 2.0 + head.tilt * ppd;
    QLinearGradient sky(0, horizonY - 90 * ppd, 0, horizonY);
    sky.setColorAt(0, QColor(20, 50, 120));
    sky.setColorAt(1, QColor(150, 200, 240));
    p.fillRect(image.rect(), sky);
    QLinearGradient ground(0, horizonY, 0, horizonY + 60 * ppd);
    ground.setColorAt(0, QColor(110, 160, 80));
    ground.setColorAt(1, QColor(60, 90, 40));
    p.fillRect(QRectF(0, horizonY, image.width(), image.height()), ground);
}

void paintGrid(QPainter &p)
{
    QPen pen(QColor(255, 255, 255, 60));
    pen.setCosmetic(true);
    p.setPen(pen);
    for (int az = -180; az < 180; az += 10)
        p.drawLine(QPointF(az, -60), QPointF(az, 120));
    for (int el = -60; el <= 120; el += 10)
        p.drawLine(QPointF(-180, el), QPointF(180, el));
}

void paintMountains(QPainter &p)
{
    static const QPolygonF ridge(QVector<QPointF>{{-175, 0}, {-160, 9}, {-150, 6}, {-135, 15},
        {-120, 8}, {-105, 12}, {-90, 4}, {-80, 7}, {-70, 0}});
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(110, 120, 150));
    p.drawPolygon(ridge);
}

void paintLandmark(QPainter &p, const Landmark &m)
{
    const double x = m.azimuth, y = m.elevation;
    p.setPen(Qt::NoPen);
    switch (m.kind) {
    case Landmark::Mast:
        for (int i = 0; i < 8; ++i) {
            p.setBrush(i % 2 ? QColor(Qt::white) : m.colour);
            p.drawRect(QRectF(x - 1, y + i * 2.75, 2, 2.75));
        }
        p.setBrush(m.colour);
        p.drawEllipse(QPointF(x, y + 23), 1, 1);
        break;
    case Landmark::House:
        p.setBrush(m.colour);
        p.drawRect(QRectF(x - 5, y, 10, 7));
        p.setBrush(m.colour.darker(160));
        p.drawPolygon(QPolygonF(QVector<QPointF>{{x - 6, y + 7}, {x, y + 12}, {x + 6, y + 7}}));
        p.drawRect(QRectF(x - 1, y, 2, 4));
        break;
    case Landmark::Tree:
        p.setBrush(QColor(100, 70, 40));
        p.drawRect(QRectF(x - 0.6, y, 1.2, 4));
        p.setBrush(m.colour);
        p.drawEllipse(QPointF(x, y + 8), 4, 5);
        break;
    case Landmark::Sun:
        p.setBrush(m.colour);
        p.drawEllipse(QPointF(x, y), 5, 5);
        break;
    case Landmark::Rock:
        p.setBrush(m.colour);
        p.drawEllipse(QPointF(x, y), 4, 2.5);
        break;
    case Landmark::Cloud:
        p.setBrush(m.colour);
        for (const QPointF &puff : {QPointF(-5, 0), QPointF(0, 2), QPointF(5, 0), QPointF(0, -1)})
            p.drawEllipse(QPointF(x, y) + puff, 5, 3);
        break;
    }
}

// Landmark names under each landmark, and a compass tape along the top edge.
void paintLabels(QPainter &p, const QTransform &toScreen)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    p.setFont(font);
    p.setPen(QColor(255, 255, 255, 230));
    for (const Landmark &m : landmarks()) {
        const QPointF at = toScreen.map(QPointF(m.azimuth, m.elevation));
        p.drawText(QRectF(at.x() - 50, at.y() + 3, 100, 16), Qt::AlignHCenter | Qt::AlignTop, m.name);
    }
    for (int az = -180; az < 180; az += 10) {
        const double x = toScreen.map(QPointF(az, 0)).x();
        p.drawLine(QPointF(x, 0), QPointF(x, az % 30 ? 4 : 8));
        if (az % 30 == 0)
            p.drawText(QRectF(x - 30, 8, 60, 14), Qt::AlignHCenter | Qt::AlignTop,
                       QStringLiteral("%1\u00B0").arg(az));
    }
}

} // namespace

void paintWorld(QImage &image, const PanTilt &head)
{
    // Pixels per degree: zooming in narrows the lens's field of view.
    const double ppd = image.width() * head.zoom / HorizontalFov;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paintSkyAndGround(p, image, head, ppd);
    for (int turn : {-360, 0, 360}) {
        QTransform world;
        world.translate(image.width() / 2.0, image.height() / 2.0);
        world.scale(ppd, -ppd);
        world.translate(turn - head.pan, -head.tilt);
        p.setTransform(world);
        paintGrid(p);
        paintMountains(p);
        for (const Landmark &m : landmarks())
            paintLandmark(p, m);
        p.resetTransform();
        paintLabels(p, world);
    }
}

} // namespace SceneRenderer
