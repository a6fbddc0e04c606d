// A camera given by host name: the plugin resolves it, and a name server that
// never answers must not hold Stop (which the program calls from its GUI
// thread, and at every preview start).

#include "privatenetwork.h"
#include "starttestserver.h"
#include "vlc_preview.h"

#include <QSignalSpy>
#include <QUdpSocket>
#include <QtTest>

namespace {
const QString kNameServer = QStringLiteral("127.0.2.31");
const QString kCameraAddress = QStringLiteral("127.0.2.32");
const QString kKnownName = QStringLiteral("camera.halvorine.test");
const QString kUnknownName = QStringLiteral("lost-camera.halvorine.test");
constexpr int kTimeoutMs = 5000;
constexpr qint64 kMaxStopMs = 1000;

QString namespaceProblem; // why the private namespaces are not there, if they are not
} // namespace

class PluginResolverTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        if (!namespaceProblem.isEmpty())
            QSKIP(qPrintable(namespaceProblem));
    }

    void hostNameReachesCamera()
    {
        RtspTestServer server(kCameraAddress, VlcPreview::serverStream());
        START_TEST_SERVER(server);
        VlcPreview preview;
        preview.play(QStringLiteral("rtsp://%1/1").arg(kKnownName));
        QVERIFY2(preview.waitForFrames(3, kTimeoutMs), qPrintable(preview.log()));
        QVERIFY2(preview.log().contains("camera at " + kCameraAddress), qPrintable(preview.log()));
    }

    void stopWhileNameServerIsSilent()
    {
        QUdpSocket nameServer; // reads nothing, answers nothing
        QVERIFY2(nameServer.bind(QHostAddress(kNameServer), 53), qPrintable(nameServer.errorString()));
        QSignalSpy asked(&nameServer, &QUdpSocket::readyRead);
        VlcPreview preview;
        preview.play(QStringLiteral("rtsp://%1/1").arg(kUnknownName));
        QVERIFY2(asked.wait(kTimeoutMs), qPrintable(preview.log()));
        const qint64 stopMs = preview.stopAndMeasureMs();
        qInfo("stop took %lld ms", stopMs);
        QVERIFY2(stopMs <= kMaxStopMs, qPrintable(QString::number(stopMs) + " ms\n" + preview.log()));
    }
};

int main(int argc, char *argv[])
{
    // Before any thread exists, so that libVLC's threads live in them too.
    namespaceProblem = PrivateNetwork::enterWithNames(kNameServer, kCameraAddress + ' ' + kKnownName);
    QCoreApplication app(argc, argv);
    PluginResolverTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_plugin_resolver.moc"
