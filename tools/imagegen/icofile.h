#pragma once

#include <QByteArray>
#include <QImage>

// A Windows icon file holding the one given image (at most 256 x 256) as a 32-bit
// bitmap with alpha.
//
// Written by hand rather than through an image plugin: the plugins store large
// images as PNG inside the icon or drop the alpha, and the resource compilers and
// older shell code expect the classic bitmap layout.
QByteArray icoFileData(const QImage &image);
