// camera-sim --stamp: the band drawn into each frame reads back as the time the
// frame was drawn, also scaled and coded as a player shows it, and covers nothing
// but the top eighth; the first frame that shows a drive (a stop) is the one noticed.
#include "framestamp.h"
#include "headstate.h"
#include "scenerenderer.h"
#include "stampedframe.h"
#include "viscaparser.h"

#include <QBuffer>
#include <QtTest>

namespace {

// One row of the picture as luma, the way the bench reads it from the screen.
std::vector<std::uint8_t> lumaRow(const QImage &image, int y)
{
    std::vector<std::uint8_t> row(static_cast<std::size_t>(image.width()));
    for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = image.pixel(x, y);
        row[static_cast<std::size_t>(x)] = std::uint8_t((77 * qRed(pixel) + 150 * qGreen(pixel) + 29 * qBlue(pixel)) >> 8);
    }
    return row;
}

QImage throughJpeg(const QImage &image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return QImage::fromData(bytes, "JPEG").convertToFormat(QImage::Format_RGB32);
}

DecodedCommand command(const char *hex)
{
    return ViscaCodec::decode(QByteArray::fromHex(hex));
}

} // namespace

class TestStampedFrame : public QObject
{
    Q_OBJECT
private slots:
    void stampReadsBackAsTheDrawingTime_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("jpegQuality"); // 0: not coded
        QTest::newRow("as drawn, 640 wide") << 640 << 0;
        QTest::newRow("scaled into a 427 wide player, coded") << 427 << 50;
        QTest::newRow("scaled up to 1280 wide, coded") << 1280 << 30;
    }
    void stampReadsBackAsTheDrawingTime()
    {
        QFETCH(int, width);
        QFETCH(int, jpegQuality);
        // Past 2^24 ms, so that only the low 24 bits travel and unwrap() restores the rest.
        const qint64 drawnAt = (qint64(3) << 24) + 987654;
        QImage frame = SceneRenderer::render({}, OsdMenu());
        StampedFrame::drawStamp(frame, drawnAt);
        QImage shown = frame.scaledToWidth(width, Qt::SmoothTransformation);
        if (jpegQuality > 0)
            shown = throughJpeg(shown, jpegQuality);
        std::uint32_t value = 0;
        const std::vector<std::uint8_t> row = lumaRow(shown, shown.height() / (2 * FrameStamp::bandHeightDivisor));
        QVERIFY(FrameStamp::read(row.data(), shown.width(), &value));
        QCOMPARE(FrameStamp::unwrap(value, drawnAt + 400), drawnAt);
    }

    // The band replaces the top eighth of the picture and nothing below it.
    void stampCoversOnlyTheTopEighth()
    {
        const QImage plain = SceneRenderer::render({}, OsdMenu());
        QImage stamped = plain;
        StampedFrame::drawStamp(stamped, 1234);
        const int bandRows = plain.height() / FrameStamp::bandHeightDivisor;
        QVERIFY(stamped.copy(0, 0, plain.width(), bandRows) != plain.copy(0, 0, plain.width(), bandRows));
        QCOMPARE(stamped.copy(0, bandRows, plain.width(), plain.height() - bandRows),
                 plain.copy(0, bandRows, plain.width(), plain.height() - bandRows));
    }

    // A frame drawn at the very moment of the drive still shows the head where it
    // was; the next one shows it moved and is noticed, as is the first frame after
    // the stop that equals the one before it.
    void noticesTheFirstMovingAndTheFirstStillFrame()
    {
        qint64 now = 1000;
        HeadState head([&now] { return now; });
        MotionNotice notice;
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
        now = 1040;
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
        head.apply(command("810106010E0E0301FF")); // up at speed 14
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
        now = 1080;
        QCOMPARE(notice.frameDrawn(head.position(), now), QStringLiteral("frame 1080 shows the head moving (pan 0.00, tilt 1.68)"));
        now = 1120;
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
        now = 1130;
        head.apply(command("8101060118140303FF")); // stop, at tilt 3.78
        now = 1160; // moved since the last frame: still moving as far as a viewer can tell
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
        now = 1200;
        QCOMPARE(notice.frameDrawn(head.position(), now), QStringLiteral("frame 1200 shows the head still (pan 0.00, tilt 3.78)"));
        now = 1240;
        QCOMPARE(notice.frameDrawn(head.position(), now), QString());
    }
};

QTEST_MAIN(TestStampedFrame)
#include "tst_stampedframe.moc"
