// Servers that break the rules, on purpose: the input ends by itself where
// the server would keep it waiting for ever, Stop takes under a second, and
// memory stays bounded. (Under ASan, any overrun in the parsing shows here.)

#include "hostile_rtsp_server.h"
#include "processmemory.h"
#include "vlc_preview.h"

#include <QtTest>

namespace {
using Misdeed = HostileRtspServer::Misdeed;

const QHostAddress kAddress(QStringLiteral("127.0.2.1"));
constexpr quint16 kPort = 8554;
constexpr qint64 kMaxStopMs = 1000;
// One open or read is given twice the socket timeout (1 s here, 2 s for the
// byte-a-second server, so that it outlasts one socket wait); and some.
constexpr int kSelfEndMs = 8000;
constexpr qint64 kFloodBytes = 4 * 1024 * 1024;
constexpr qint64 kMaxGrowthBytes = 48 * 1024 * 1024;
// AddressSanitizer keeps freed memory in quarantine (up to 256 MB), so the
// thousands of connections of a redirect loop show as growth there; its
// leak check at exit stands in for the bound.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif
} // namespace

Q_DECLARE_METATYPE(HostileRtspServer::Misdeed)

class PluginHostileTest : public QObject {
    Q_OBJECT

    // The server's misdeed, and what the input makes of it.
    void play(Misdeed misdeed, const QStringList &options, const QString &userInfo, bool endsByItself,
              int maxRequests, int *connections, qint64 *growth, QString *log)
    {
        HostileRtspServer server(kAddress, kPort, misdeed);
        QVERIFY(server.startListening());
        VlcPreview preview(options);
        const qint64 before = residentBytes();
        preview.play(server.url(userInfo));
        if (endsByItself) {
            QVERIFY2(preview.waitForEnd(kSelfEndMs), qPrintable(preview.log()));
        } else {
            // The input keeps reading the garbage, or ends where an RTCP frame
            // in it happens to read as BYE: both are survival. Generous: on a
            // loaded machine the flood can take a while to get out.
            QTRY_VERIFY2_WITH_TIMEOUT(server.bytesSent() >= kFloodBytes || preview.waitForEnd(0),
                                      qPrintable(QString::number(server.bytesSent()) + " bytes sent"), 30000);
        }
        const qint64 stopMs = preview.stopAndMeasureMs();
        *growth = residentBytes() - before;
        *connections = server.connections();
        *log = preview.log();
        qInfo("%d connection(s), %d request(s), %lld bytes sent; stop took %lld ms, %lld kB more resident",
              server.connections(), server.requests(), server.bytesSent(), stopMs, *growth / 1024);
        QVERIFY2(stopMs <= kMaxStopMs, qPrintable(QString::number(stopMs) + " ms"));
        QVERIFY2(maxRequests < 0 || server.requests() <= maxRequests, "the client keeps asking");
    }

private slots:
    // libVLC loads its decoders and output modules on the first play: that is
    // no growth of ours.
    void initTestCase()
    {
        int connections = 0;
        qint64 growth = 0;
        QString log;
        play(Misdeed::AbsurdSdp, {QStringLiteral(":halvorine-rtsp-timeout=1")}, {}, true, -1, &connections, &growth,
             &log);
    }

    void survives_data()
    {
        QTest::addColumn<Misdeed>("misdeed");
        QTest::addColumn<int>("timeoutSeconds");
        QTest::addColumn<bool>("endsByItself");
        QTest::addColumn<int>("maxRequests"); // -1: libavformat's own business
        QTest::addColumn<QString>("logged");
        QTest::newRow("absurd SDP") << Misdeed::AbsurdSdp << 1 << true << 10 << "stream 1 (pcm_mulaw) not passed on";
        QTest::newRow("endless 401") << Misdeed::EndlessChallenge << 1 << true << 4
                                     << "cannot open rtsp://127.0.2.1:8554/1: Server returned 401";
        QTest::newRow("redirect to itself") << Misdeed::SelfRedirect << 1 << true << 14
                                            << "cannot open rtsp://127.0.2.1:8554/1: Too many levels";
        QTest::newRow("1 GB Content-Length") << Misdeed::HugeContentLength << 1 << true << 10 << "cannot open";
        QTest::newRow("1 MB header line") << Misdeed::HugeHeaderLine << 1 << true << 10 << "";
        // It answers whatever in the garbage looks like a request of the server's.
        QTest::newRow("garbage after PLAY") << Misdeed::GarbageAfterPlay << 1 << true << -1 << "reading failed";
        QTest::newRow("absurd interleaved frames") << Misdeed::AbsurdInterleaved << 1 << false << 10 << "";
        QTest::newRow("a byte a second") << Misdeed::ByteBySecond << 2 << true << 1 << "cannot open";
    }

    void survives()
    {
        QFETCH(Misdeed, misdeed);
        QFETCH(int, timeoutSeconds);
        QFETCH(bool, endsByItself);
        QFETCH(int, maxRequests);
        QFETCH(QString, logged);
        int connections = 0;
        qint64 growth = 0;
        QString log;
        play(misdeed, {QStringLiteral(":halvorine-rtsp-timeout=%1").arg(timeoutSeconds)},
             QStringLiteral("admin:hunter2@"), endsByItself, maxRequests, &connections, &growth, &log);
        if (QTest::currentTestFailed())
            return;
        QVERIFY2(log.contains(logged), qPrintable(log));
        const QStringList ours = log.split('\n').filter(QRegularExpression(QStringLiteral("^halvorine_rtsp: ")));
        QVERIFY2(!ours.join('\n').contains(QLatin1String("hunter2")), qPrintable(log));
        QVERIFY2(!kMemoryIsMeasurable || growth < kMaxGrowthBytes, qPrintable(QString::number(growth / 1024) + " kB"));
        // Once our input has failed, libVLC's other rtsp:// inputs must not
        // have a go at the camera too; a redirect takes a connection each.
        QVERIFY2(connections <= (misdeed == Misdeed::SelfRedirect ? 7 : 1), qPrintable(QString::number(connections)));
    }
};

QTEST_GUILESS_MAIN(PluginHostileTest)
#include "tst_plugin_hostile.moc"
