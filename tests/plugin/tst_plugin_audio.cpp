// Camera audio (AAC or G.711) beside the video reaches libVLC's decoders,
// and does not stop the picture.

#include "starttestserver.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
const QString kAddress = QStringLiteral("127.0.0.32");
const QString kUrl = QStringLiteral("rtsp://127.0.0.32/1");
constexpr int kTimeoutMs = 5000;
} // namespace

class PluginAudioTest : public QObject {
    Q_OBJECT

private slots:
    void playsAudioAndVideo_data()
    {
        QTest::addColumn<QString>("audio");
        QTest::newRow("aac") << "aac";
        QTest::newRow("pcmu") << "pcmu";
        QTest::newRow("pcma") << "pcma";
    }

    void playsAudioAndVideo()
    {
        QFETCH(QString, audio);
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, {"--audio", audio});
        VlcPreview preview;
        preview.play(kUrl);

        QVERIFY2(preview.waitForSound(kTimeoutMs), qPrintable(preview.log()));
        QVERIFY2(preview.waitForFrames(25, kTimeoutMs), qPrintable(preview.log()));
    }
};

QTEST_GUILESS_MAIN(PluginAudioTest)
#include "tst_plugin_audio.moc"
