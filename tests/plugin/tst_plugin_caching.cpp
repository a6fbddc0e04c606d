// The media's network-caching option is the delay libVLC buffers before it
// plays on: the plugin reports it as the input's PTS delay. The low-latency
// preview's small one leaves the decoder little time, and must not leave the
// picture black when the decoder takes more.

#include "starttestserver.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
const QString kAddress = QStringLiteral("127.0.0.34");
const QString kUrl = QStringLiteral("rtsp://127.0.0.34/1");
constexpr int kTimeoutMs = 8000;
// libVLC shows the first picture at once, then waits out the caching delay
// before the rest: the time to the 10th picture grows with the caching.
constexpr int kFrame = 10;

qint64 msUntilFrame(int cachingMs)
{
    VlcPreview preview({QStringLiteral(":network-caching=%1").arg(cachingMs)});
    preview.play(kUrl);
    if (!preview.waitForFrames(kFrame, kTimeoutMs))
        return -1;
    return preview.msUntilFrame(kFrame);
}

} // namespace

class PluginCachingTest : public QObject {
    Q_OBJECT

private slots:
    void networkCachingDelaysPlayback()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        const qint64 shortCaching = msUntilFrame(100);
        const qint64 longCaching = msUntilFrame(1500);
        qInfo("frame %d after %lld ms with 100 ms caching, %lld ms with 1500 ms", kFrame, shortCaching,
              longCaching);
        QVERIFY(shortCaching > 0 && longCaching > 0);
        // Half the 1400 ms difference: timing on a busy machine varies.
        QVERIFY2(longCaching - shortCaching >= 700, "network-caching made no difference");
    }

    void aDecoderThatHoldsFramesStillShowsThemInTheLowLatencyMode()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        // Frame threads hold a frame per thread: 120 ms at 25 fps, where the
        // 20 ms caching leaves the decoder and the video output some 25 ms.
        VlcPreview preview(VlcPreview::lowLatencyOptions(4));
        preview.play(kUrl);
        QVERIFY(preview.waitForFrames(1, kTimeoutMs));
        // The first seconds' pictures may all be lost: libVLC's clock settles.
        const int later = preview.frameCount() + 50;
        QVERIFY2(preview.waitForFrames(later, kTimeoutMs), qPrintable(QString::number(preview.frameCount())));
    }
};

QTEST_GUILESS_MAIN(PluginCachingTest)
#include "tst_plugin_caching.moc"
