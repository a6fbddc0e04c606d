// Whatever the server does, the input ends by itself or on Stop, and Stop
// never waits on the network: the program calls it from its UI thread.

#include "starttestserver.h"
#include "vlc_preview.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QtTest>

#include <unistd.h>

namespace {
const QString kAddress = QStringLiteral("127.0.0.33");
const QString kUrl = QStringLiteral("rtsp://127.0.0.33/1");
constexpr int kTimeoutMs = 5000;
constexpr qint64 kMaxStopMs = 1000;
constexpr int kSilenceTimeoutMs = 4000; // twice the 1 s socket timeout set below, and some

// The two ways the program plays a preview: its default, and low latency.
void addPreviewModes()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("default") << QStringList();
    QTest::newRow("low latency") << VlcPreview::lowLatencyOptions();
}
} // namespace

#define VERIFY_PROMPT_STOP(preview)                                                   \
    do {                                                                              \
        const qint64 stopMs_ = (preview).stopAndMeasureMs();                          \
        qInfo("%s: stop took %lld ms", QTest::currentTestFunction(), stopMs_);        \
        QVERIFY2(stopMs_ <= kMaxStopMs, qPrintable(QString::number(stopMs_) + " ms")); \
    } while (false)

class PluginFailuresTest : public QObject {
    Q_OBJECT

private slots:
    void absentServerEndsInput()
    {
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY2(preview.waitForEnd(kTimeoutMs), qPrintable(preview.log()));
        QVERIFY(preview.ourModuleLogged());
        VERIFY_PROMPT_STOP(preview);
    }

    void unknownPathEndsInput()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server, {"--mount", "/2"});
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY2(preview.waitForEnd(kTimeoutMs), qPrintable(preview.log()));
        QVERIFY2(preview.log().contains("404"), qPrintable(preview.log()));
        VERIFY_PROMPT_STOP(preview);
    }

    void serverDyingMidStreamEndsInput()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(3, kTimeoutMs), qPrintable(preview.log()));
        server.kill();
        QVERIFY2(preview.waitForEnd(kTimeoutMs), qPrintable(preview.log()));
        VERIFY_PROMPT_STOP(preview);
    }

    void stopWhilePlayingEndsSession()
    {
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(3, kTimeoutMs), qPrintable(preview.log()));
        VERIFY_PROMPT_STOP(preview);
        QVERIFY2(server.waitForEvent("client-closed", kTimeoutMs), qPrintable(server.diagnostics()));
    }

    // A frozen server keeps the connection open and sends nothing: the
    // plugin's socket timeout (here 1 s instead of 5) ends the input.
    void serverFallingSilentEndsInput_data() { addPreviewModes(); }
    void serverFallingSilentEndsInput()
    {
        QFETCH(QStringList, options);
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        VlcPreview preview(options + QStringList{QStringLiteral(":halvorine-rtsp-timeout=1")});
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(3, kTimeoutMs), qPrintable(preview.log()));
        server.freeze();
        QElapsedTimer silence;
        silence.start();
        QVERIFY2(preview.waitForEnd(kSilenceTimeoutMs), qPrintable(preview.log()));
        qInfo("input ended %lld ms after the server fell silent", silence.elapsed());
        VERIFY_PROMPT_STOP(preview);
    }

    void stopWhileServerIsSilent_data() { addPreviewModes(); }
    void stopWhileServerIsSilent()
    {
        QFETCH(QStringList, options);
        RtspTestServer server(kAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        VlcPreview preview(options);
        preview.play(kUrl);
        QVERIFY2(preview.waitForFrames(3, kTimeoutMs), qPrintable(preview.log()));
        server.freeze();
        VERIFY_PROMPT_STOP(preview);
    }

    // A server that accepts the connection but never answers the RTSP request.
    void stopWhileConnecting()
    {
        QTcpServer mute;
        if (!mute.listen(QHostAddress(kAddress), 554)) {
            if (geteuid() != 0)
                QSKIP("port 554 needs root");
            QFAIL(qPrintable(mute.errorString()));
        }
        QSignalSpy connected(&mute, &QTcpServer::newConnection);
        VlcPreview preview;
        preview.play(kUrl);
        QVERIFY(connected.wait(kTimeoutMs));
        VERIFY_PROMPT_STOP(preview);
    }
};

QTEST_GUILESS_MAIN(PluginFailuresTest)
#include "tst_plugin_failures.moc"
