// How RTP travels: interleaved on the RTSP connection where the server allows
// it, over UDP from a server that refuses that (as some cameras do).

#include "starttestserver.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
const QString kAddress = QStringLiteral("127.0.2.2");
const QString kUrl = QStringLiteral("rtsp://127.0.2.2/1");
constexpr int kTimeoutMs = 5000;
constexpr qint64 kMaxStopMs = 1000;
} // namespace

class PluginTransportTest : public QObject {
    Q_OBJECT

private slots:
    void playsOverWhatTheServerAllows_data()
    {
        QTest::addColumn<QString>("allowed");
        QTest::addColumn<QString>("used");
        QTest::newRow("either: the RTSP connection") << "any" << "RTP over the RTSP connection";
        QTest::newRow("TCP only") << "tcp" << "RTP over the RTSP connection";
        QTest::newRow("UDP only") << "udp" << "RTP over UDP";
    }
    void playsOverWhatTheServerAllows()
    {
        QFETCH(QString, allowed);
        QFETCH(QString, used);
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, {"--transport", allowed});
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(5, kTimeoutMs), qPrintable(preview.log() + '\n' + server.diagnostics()));
        QVERIFY2(preview.log().contains(used), qPrintable(preview.log()));
        const qint64 stopMs = preview.stopAndMeasureMs();
        QVERIFY2(stopMs <= kMaxStopMs, qPrintable(QString::number(stopMs) + " ms"));
        QVERIFY2(server.waitForEvent("client-closed", kTimeoutMs), qPrintable(server.diagnostics()));
    }
};

QTEST_GUILESS_MAIN(PluginTransportTest)
#include "tst_plugin_transport.moc"
