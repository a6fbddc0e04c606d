// The press-to-motion bench's criterion (bench/motion/picturechange) on the
// simulator's own picture, read as the bench reads the player: the middle half
// of the width between a quarter and three quarters of the height, scaled into a
// player and coded. Coding noise between two codings of a still head is no
// motion; a tilt of one screen pixel is, and so is a picture of another size.
#include "headstate.h"
#include "picturechange.h"
#include "scenerenderer.h"

#include <QBuffer>
#include <QtTest>

namespace {

constexpr int playerWidth = 427; // 640x360 shown in a smaller player, as under Xvfb

QImage shown(double tilt, int jpegQuality)
{
    const QImage frame = SceneRenderer::render({0, tilt, 1}, OsdMenu()).scaledToWidth(playerWidth, Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    frame.save(&buffer, "JPEG", jpegQuality);
    return QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
}

LumaPicture middleOf(const QImage &image)
{
    LumaPicture picture;
    picture.width = image.width() / 2;
    picture.height = image.height() / 2;
    for (int y = image.height() / 4; y < image.height() / 4 + picture.height; ++y)
        for (int x = image.width() / 4; x < image.width() / 4 + picture.width; ++x) {
            const QRgb pixel = image.pixel(x, y);
            picture.pixels.push_back(std::uint8_t((77 * qRed(pixel) + 150 * qGreen(pixel) + 29 * qBlue(pixel)) >> 8));
        }
    return picture;
}

// Degrees of tilt that move the picture by `pixels` in the player.
double tiltOf(double pixels)
{
    return pixels * SceneRenderer::HorizontalFov / playerWidth;
}

} // namespace

class TestPictureChange : public QObject
{
    Q_OBJECT
private slots:
    void movedOnlyWhenTheHeadTurned_data()
    {
        QTest::addColumn<double>("tilt");
        QTest::addColumn<int>("quality");
        QTest::addColumn<bool>("moved");
        // The reference is coded at quality 90; the read picture at another quality
        // is what a new key frame of a still head looks like.
        QTest::newRow("still, same coding") << 0.0 << 90 << false;
        QTest::newRow("still, coded at 50") << 0.0 << 50 << false;
        QTest::newRow("still, coded at 25") << 0.0 << 25 << false;
        QTest::newRow("up one pixel, coded at 50") << tiltOf(1) << 50 << true;
        QTest::newRow("down one pixel") << -tiltOf(1) << 90 << true;
        QTest::newRow("up one frame at speed 14 (1.68 deg)") << 1.68 << 50 << true;
    }
    void movedOnlyWhenTheHeadTurned()
    {
        QFETCH(double, tilt);
        QFETCH(int, quality);
        QFETCH(bool, moved);
        const LumaPicture reference = middleOf(shown(0, 90));
        const LumaPicture now = middleOf(shown(tilt, quality));
        const double share = PictureChange::changedShare(reference, now);
        QVERIFY2(PictureChange::moved(reference, now) == moved, qPrintable(QString::number(share)));
        // Clear of the threshold, not just over or under it.
        if (moved)
            QVERIFY2(share >= 1.5 * PictureChange::shareThreshold, qPrintable(QString::number(share)));
        else
            QVERIFY2(share <= 0.5 * PictureChange::shareThreshold, qPrintable(QString::number(share)));
    }

    void anotherSizeIsNoStillPicture()
    {
        const LumaPicture reference = middleOf(shown(0, 90));
        const LumaPicture smaller = middleOf(shown(0, 90).scaledToWidth(playerWidth - 2));
        QCOMPARE(PictureChange::changedShare(reference, smaller), 1.0);
    }
};

QTEST_MAIN(TestPictureChange)
#include "tst_picturechange.moc"
