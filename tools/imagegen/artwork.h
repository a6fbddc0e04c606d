#pragma once

#include <QImage>
#include <QRgb>

// The program's pictures, each drawn from geometry alone.
namespace artwork {

// Status lamp: a flat disc on a transparent 16 x 16 tile.
QImage toggleDisc(QRgb colour);

enum class Direction { Up, Right, Down, Left };

// Direction button: three 44 x 44 faces stacked top to bottom (idle, mouse over,
// pressed), each a grey rounded square with the arrow cut out of it.
QImage arrowStrip(Direction direction);

// Program icon: a remote control lying diagonally, 256 x 256.
QImage remoteIcon();

} // namespace artwork
