#include "coverage.h"

#include <QPainter>

Coverage::Coverage(int width, int height)
    : m_width(width), m_height(height), m_values(size_t(width) * size_t(height), 0)
{
}

Coverage Coverage::draw(int width, int height, const std::function<void(QPainter &)> &draw)
{
    QImage big(width * kSamples, height * kSamples, QImage::Format_RGB32);
    big.fill(Qt::black);
    {
        QPainter painter(&big);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.scale(kSamples, kSamples);
        draw(painter);
    }

    constexpr int samplesPerPixel = kSamples * kSamples;
    Coverage result(width, height);
    std::vector<int> counts(size_t(width), 0);
    for (int y = 0; y < height; ++y) {
        std::fill(counts.begin(), counts.end(), 0);
        for (int sy = 0; sy < kSamples; ++sy) {
            const auto *line = reinterpret_cast<const QRgb *>(big.constScanLine(y * kSamples + sy));
            for (int x = 0; x < width; ++x) {
                const QRgb *block = line + x * kSamples;
                for (int sx = 0; sx < kSamples; ++sx)
                    counts[size_t(x)] += qGreen(block[sx]) >= 128 ? 1 : 0;
            }
        }
        for (int x = 0; x < width; ++x)
            result.m_values[size_t(y) * size_t(width) + size_t(x)] =
                static_cast<unsigned char>((counts[size_t(x)] * 255 + samplesPerPixel / 2) / samplesPerPixel);
    }
    return result;
}

Coverage Coverage::rotatedClockwise(int quarterTurns) const
{
    Q_ASSERT(m_width == m_height);
    const int n = m_width;
    Coverage result = *this;
    for (int turn = 0; turn < ((quarterTurns % 4) + 4) % 4; ++turn) {
        const Coverage before = result;
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                result.m_values[size_t(y) * size_t(n) + size_t(x)] =
                    before.m_values[size_t(n - 1 - x) * size_t(n) + size_t(y)];
    }
    return result;
}

void Coverage::paintInto(QImage &into, int left, int top, QRgb colour) const
{
    Q_ASSERT(into.format() == QImage::Format_ARGB32);
    for (int y = 0; y < m_height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(into.scanLine(top + y));
        for (int x = 0; x < m_width; ++x) {
            const int alpha = at(x, y);
            // Fully transparent pixels are stored as all zero, so no stray colour
            // hides in them.
            line[left + x] = alpha == 0 ? 0u : qRgba(qRed(colour), qGreen(colour), qBlue(colour), alpha);
        }
    }
}

QImage blankImage(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(0u);
    // 96 dpi, the usual desktop resolution; only recorded, never used for scaling.
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    return image;
}
