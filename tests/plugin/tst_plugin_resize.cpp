// A camera whose operator changes its resolution while it streams: new
// parameter sets and a new key frame, mid-stream, sometimes only in-band (an
// SDP without sprop-*). The picture must go on at the new size within a second.

#include "colour_bars.h"
#include "starttestserver.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
const QString kAddress = QStringLiteral("127.0.0.120");
const QString kUrl = QStringLiteral("rtsp://127.0.0.120/1");
const QStringList kProgramCaching{QStringLiteral(":network-caching=300")}; // as the program plays
constexpr int kFirstFrameTimeoutMs = 5000;
constexpr double kResizeEverySeconds = 2;
// The schedule skips its ticks until the stream plays, so a change may come up
// to two intervals after the first frame.
constexpr int kResizeEventTimeoutMs = int(kResizeEverySeconds * 2000) + 2000;
constexpr int kMaxChangeToPictureMs = 1000;
// Half a second of pictures at 25 fps, at the new size, after its first one.
constexpr int kFramesAfterChange = 12;
constexpr int kFramesAfterChangeTimeoutMs = 1500;
// Small, so that the test server's H.265 encoder keeps the stream's pace on a busy
// machine: the sizes only have to differ, and need the same cropping as 1080p.
const QSize kSmall(320, 180);
const QSize kLarge(640, 360);
} // namespace

class PluginResizeTest : public QObject {
    Q_OBJECT

private slots:
    void followsResolutionChanges_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::addColumn<bool>("sdpParameterSets");
        QTest::newRow("h264, parameter sets in the SDP") << "h264" << true;
        QTest::newRow("h264, parameter sets only in-band") << "h264" << false;
        QTest::newRow("h265, parameter sets in the SDP") << "h265" << true;
        QTest::newRow("h265, parameter sets only in-band") << "h265" << false;
    }

    void followsResolutionChanges()
    {
        QFETCH(QString, codec);
        QFETCH(bool, sdpParameterSets);
        QStringList options{"--codec", codec, "--width", QString::number(kSmall.width()), "--height",
                            QString::number(kSmall.height()), "--resize-every", QString::number(kResizeEverySeconds)};
        if (!sdpParameterSets)
            options << "--no-sdp-parameter-sets";
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, options);
        VlcPreview preview(kProgramCaching);
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(1, kFirstFrameTimeoutMs), qPrintable(preview.log()));
        qInfo("%s: first picture after %lld ms", qPrintable(codec), preview.msUntilFrame(1));
        QTRY_VERIFY(!preview.sourceSize(preview.frameCount()).isEmpty());
        QCOMPARE(preview.sourceSize(preview.frameCount()), kSmall);
        // The module logs what the SDP gave the decoder: nothing, when the
        // parameter sets come only in-band.
        const QRegularExpressionMatch extradata =
            QRegularExpression(QStringLiteral("(\\d+) bytes of extradata")).match(preview.log());
        QVERIFY2(extradata.hasMatch(), qPrintable(preview.log()));
        QCOMPARE(extradata.captured(1).toInt() > 0, sdpParameterSets);

        for (const QSize &size : {kLarge, kSmall, kLarge}) {
            const QString resized = QStringLiteral("resized %1x%2").arg(size.width()).arg(size.height());
            QVERIFY2(server.waitForEvent(resized, kResizeEventTimeoutMs), qPrintable(server.diagnostics()));
            const qint64 changedMs = preview.msSincePlay();
            const int frame = preview.waitForFrameOfSize(size, preview.frameCount(), 3 * kMaxChangeToPictureMs);
            QVERIFY2(frame > 0, qPrintable(QStringLiteral("no picture at %1x%2; last at %3x%4\n%5")
                                               .arg(size.width()).arg(size.height())
                                               .arg(preview.sourceSize(preview.frameCount()).width())
                                               .arg(preview.sourceSize(preview.frameCount()).height())
                                               .arg(preview.log())));
            const qint64 delayMs = preview.msUntilFrame(frame) - changedMs;
            qInfo("%s: change to %dx%d shown after %lld ms, %lld ms after the picture before it", qPrintable(codec),
                  size.width(), size.height(), delayMs, preview.msUntilFrame(frame) - preview.msUntilFrame(frame - 1));
            QVERIFY2(delayMs <= kMaxChangeToPictureMs, qPrintable(QStringLiteral("%1 ms").arg(delayMs)));

            QVERIFY2(preview.waitForFrames(frame + kFramesAfterChange, kFramesAfterChangeTimeoutMs),
                     "the picture stalled after the change");
            QCOMPARE(preview.sourceSize(preview.frameCount()), size);
            const QString mismatch = colourBarMismatch(preview.latestFrame());
            QVERIFY2(mismatch.isEmpty(), qPrintable(mismatch));
        }
    }
};

QTEST_GUILESS_MAIN(PluginResizeTest)
#include "tst_plugin_resize.moc"
