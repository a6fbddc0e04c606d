#include "icofile.h"

namespace {

void putU8(QByteArray &out, unsigned value)
{
    out.append(static_cast<char>(value & 0xffu));
}

void putU16(QByteArray &out, unsigned value)
{
    putU8(out, value);
    putU8(out, value >> 8);
}

void putU32(QByteArray &out, quint32 value)
{
    putU16(out, value & 0xffffu);
    putU16(out, value >> 16);
}

} // namespace

QByteArray icoFileData(const QImage &source)
{
    Q_ASSERT(source.width() >= 1 && source.width() <= 256);
    Q_ASSERT(source.height() >= 1 && source.height() <= 256);
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    const int width = image.width();
    const int height = image.height();

    // Mask rows are one bit a pixel, padded to whole 32-bit words.
    const int maskStride = ((width + 31) / 32) * 4;
    const quint32 headerSize = 40;
    const quint32 pixelBytes = quint32(width) * quint32(height) * 4u;
    const quint32 maskBytes = quint32(maskStride) * quint32(height);
    const quint32 imageBytes = headerSize + pixelBytes + maskBytes;
    const quint32 directorySize = 6 + 16;

    QByteArray out;
    out.reserve(int(directorySize + imageBytes));

    // ICONDIR
    putU16(out, 0); // reserved
    putU16(out, 1); // 1 = icon (2 would be a cursor)
    putU16(out, 1); // number of images

    // ICONDIRENTRY; a width or height of 256 does not fit the byte and is written as 0.
    putU8(out, width == 256 ? 0u : unsigned(width));
    putU8(out, height == 256 ? 0u : unsigned(height));
    putU8(out, 0); // colours in palette: none
    putU8(out, 0); // reserved
    putU16(out, 1);  // colour planes
    putU16(out, 32); // bits per pixel
    putU32(out, imageBytes);
    putU32(out, directorySize); // offset of the image data

    // BITMAPINFOHEADER. The height counts the colour bitmap and the mask together,
    // hence twice the image height.
    putU32(out, headerSize);
    putU32(out, quint32(width));
    putU32(out, quint32(height) * 2u);
    putU16(out, 1);  // planes
    putU16(out, 32); // bits per pixel
    putU32(out, 0);  // BI_RGB: uncompressed
    putU32(out, pixelBytes + maskBytes);
    putU32(out, 0); // horizontal resolution: unspecified
    putU32(out, 0); // vertical resolution: unspecified
    putU32(out, 0); // palette colours used
    putU32(out, 0); // important colours

    // Colour bitmap: BGRA with straight alpha, bottom row first.
    for (int y = height - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const QRgb pixel = qAlpha(line[x]) == 0 ? 0u : line[x];
            putU8(out, unsigned(qBlue(pixel)));
            putU8(out, unsigned(qGreen(pixel)));
            putU8(out, unsigned(qRed(pixel)));
            putU8(out, unsigned(qAlpha(pixel)));
        }
    }

    // AND mask, also bottom row first: a set bit marks a fully transparent pixel.
    // Windows goes by the alpha channel for 32-bit icons; the mask is for anything
    // that still draws icons the old way.
    for (int y = height - 1; y >= 0; --y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < width; ++x) {
            if (qAlpha(line[x]) == 0)
                row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
        }
        out.append(row);
    }
    return out;
}
