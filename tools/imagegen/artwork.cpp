#include "artwork.h"

#include "coverage.h"

#include <QPainter>
#include <QPainterPath>
#include <QPainterPathStroker>
#include <QPolygonF>
#include <QTransform>
#include <QVector>

namespace artwork {

namespace {

constexpr int kFace = 44;

// Fills `shape` and a band of `rounding` around it, which rounds every corner of a
// straight-edged shape to a radius of `rounding`.
void fillRounded(QPainter &painter, const QPainterPath &shape, qreal rounding)
{
    QPainterPathStroker stroker;
    stroker.setWidth(2 * rounding);
    stroker.setJoinStyle(Qt::RoundJoin);
    stroker.setCapStyle(Qt::RoundCap);
    painter.drawPath(shape);
    painter.drawPath(stroker.createStroke(shape));
}

// The arrow pointing up, centred on the face. The head is a wide triangle so the
// direction reads even on the small button; the shaft is kept short so the head
// stays the larger part. Outline before rounding: 9 ... 35 tall once rounded.
QPainterPath upArrow()
{
    const QPolygonF outline(QVector<QPointF>{
        QPointF(22.0, 10.0), // tip
        QPointF(34.5, 23.0), // right corner of the head
        QPointF(27.0, 23.0),
        QPointF(27.0, 34.0), // shaft end
        QPointF(17.0, 34.0),
        QPointF(17.0, 23.0),
        QPointF(9.5, 23.0),  // left corner of the head
    });
    QPainterPath path;
    path.addPolygon(outline);
    path.closeSubpath();
    return path;
}

QPainterPath circle(QPointF centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace

QImage toggleDisc(QRgb colour)
{
    const Coverage disc = Coverage::draw(16, 16, [](QPainter &painter) {
        painter.drawPath(circle(QPointF(8.0, 8.0), 7.0));
    });
    QImage image = blankImage(16, 16);
    disc.paintInto(image, 0, 0, colour);
    return image;
}

QImage arrowStrip(Direction direction)
{
    const Coverage up = Coverage::draw(kFace, kFace, [](QPainter &painter) {
        QPainterPath face;
        face.addRoundedRect(QRectF(0, 0, kFace, kFace), 4.0, 4.0);
        painter.drawPath(face);
        painter.setBrush(Qt::black);
        fillRounded(painter, upArrow(), 1.0);
    });
    // One drawing turned in whole quarter turns keeps the four buttons identical.
    const Coverage face = up.rotatedClockwise(static_cast<int>(direction));

    const QRgb faceColours[] = {
        qRgb(0x80, 0x80, 0x80), // idle
        qRgb(0xc9, 0xc9, 0xc9), // mouse over
        qRgb(0x47, 0x47, 0x47), // pressed
    };
    QImage strip = blankImage(kFace, 3 * kFace);
    for (int i = 0; i < 3; ++i)
        face.paintInto(strip, 0, i * kFace, faceColours[i]);
    return strip;
}

QImage remoteIcon()
{
    constexpr int kSize = 256;
    const Coverage remote = Coverage::draw(kSize, kSize, [](QPainter &painter) {
        // Drawn upright around the origin, then laid at 45 degrees with the top end
        // towards the upper right. At that angle the 98 x 280 body just fits the
        // 256 square with a few pixels to spare.
        painter.translate(kSize / 2.0, kSize / 2.0);
        painter.rotate(45.0);

        QPainterPath body;
        body.addRoundedRect(QRectF(-49.0, -140.0, 98.0, 280.0), 34.0, 34.0);
        painter.drawPath(body);

        // Everything below is a hole in the body, so that the controls read as
        // shapes in a single-colour silhouette.
        painter.setBrush(Qt::black);

        // Power button, off to one side at the top as on most remotes.
        painter.drawPath(circle(QPointF(-22.0, -110.0), 9.0));

        // Direction pad: a groove around a round pad, a centre key, and four
        // small triangles pointing the ways the pad moves the camera.
        const QPointF pad(0.0, -46.0);
        painter.drawPath(circle(pad, 38.0));
        painter.setBrush(Qt::white);
        painter.drawPath(circle(pad, 31.0));
        painter.setBrush(Qt::black);
        painter.drawPath(circle(pad, 11.0));
        for (int quarter = 0; quarter < 4; ++quarter) {
            QTransform turn;
            turn.translate(pad.x(), pad.y());
            turn.rotate(90.0 * quarter);
            const QPolygonF mark = turn.map(QPolygonF(QVector<QPointF>{
                QPointF(0.0, -27.0), QPointF(7.0, -18.0), QPointF(-7.0, -18.0)}));
            QPainterPath path;
            path.addPolygon(mark);
            path.closeSubpath();
            painter.drawPath(path);
        }

        // Keypad: four rows of three round keys.
        for (int row = 0; row < 4; ++row)
            for (int column = 0; column < 3; ++column)
                painter.drawPath(circle(QPointF(-26.0 + 26.0 * column, 16.0 + 28.0 * row), 9.5));
    });

    QImage image = blankImage(kSize, kSize);
    remote.paintInto(image, 0, 0, qRgb(0x1b, 0x5c, 0xf3));
    return image;
}

} // namespace artwork
