// The plugin plays each video codec a camera may send, from the first frame on.

#include "colour_bars.h"
#include "starttestserver.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
const QString kAddress = QStringLiteral("127.0.0.31");
const QString kUrl = QStringLiteral("rtsp://127.0.0.31/1");
constexpr int kFirstFrameTimeoutMs = 5000;
constexpr int kFramesPerSecond = 25; // rtsp-test-server's default
// One second of pictures, with room for a busy machine, but less than the
// two seconds a stalled clock would wait for the timestamps to catch up.
constexpr int kOneSecondOfFramesTimeoutMs = 1700;
} // namespace

class PluginCodecsTest : public QObject {
    Q_OBJECT

private slots:
    void showsColourBars_data()
    {
        QTest::addColumn<QString>("codec");
        QTest::newRow("h264") << "h264";
        QTest::newRow("h265") << "h265";
        QTest::newRow("mjpeg") << "mjpeg";
    }

    void showsColourBars()
    {
        QFETCH(QString, codec);
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, {"--codec", codec});
        VlcPreview preview;
        preview.play(kUrl);

        QVERIFY2(preview.waitForFrames(1, kFirstFrameTimeoutMs), qPrintable(preview.log()));
        qInfo("time to first frame (%s): %lld ms", qPrintable(codec), preview.msUntilFrame(1));
        QVERIFY2(preview.ourModuleLogged(), "the picture did not come through halvorine_rtsp");
        // Past the second key frame: each one must decode as cleanly as the first.
        QVERIFY2(preview.waitForFrames(kFramesPerSecond * 2, kFirstFrameTimeoutMs), "playback stalled");
        const std::vector<QImage> frames = preview.frames();
        for (size_t i = 0; i < frames.size(); ++i) {
            const QString mismatch = colourBarMismatch(frames[i]);
            if (!mismatch.isEmpty()) {
                // The picture itself says more than seven sampled colours.
                const QString saved = QDir::temp().filePath(
                    QStringLiteral("plugin_codecs-%1-frame%2.png").arg(codec).arg(i + 1));
                frames[i].save(saved);
                QFAIL(qPrintable(QStringLiteral("frame %1 (%2 ms after play; saved as %3): %4")
                                     .arg(i + 1).arg(preview.msUntilFrame(int(i) + 1)).arg(saved, mismatch)));
            }
        }
    }

    // When a second client joins a --shared server, gst-rtsp-server restarts
    // the pipeline and the running client's timestamps jump back to zero, as a
    // camera's do when its encoder restarts. The picture must go on.
    void keepsPlayingWhenTimestampsRestart()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, {"--shared"});
        VlcPreview first;
        first.play(kUrl);
        QVERIFY2(first.waitForFrames(kFramesPerSecond * 2, kFirstFrameTimeoutMs), qPrintable(first.log()));

        VlcPreview second;
        second.play(kUrl);
        QVERIFY2(second.waitForFrames(1, kFirstFrameTimeoutMs), qPrintable(second.log()));
        const int shown = first.frameCount();
        QVERIFY2(first.waitForFrames(shown + kFramesPerSecond, kOneSecondOfFramesTimeoutMs),
                 qPrintable(first.log()));
    }
};

QTEST_GUILESS_MAIN(PluginCodecsTest)
#include "tst_plugin_codecs.moc"
