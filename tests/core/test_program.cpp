// The real program under a real X server: it starts, maps its window, obeys an
// operator's keyboard all the way to the camera, and exits 0 when closed.
#include "recordingpeer.h"
#include "xsession.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

namespace {
const QString windowTitleText = QStringLiteral("Halvorine Camera OSD Remote");
const QHostAddress peerAddress(QStringLiteral("127.0.0.22"));
} // namespace

class TestProgram : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QProcess program;

    bool startProgram()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM")); // the program picks its own
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(HALVORINE_PROGRAM), QStringList());
        return program.waitForStarted(10000);
    }
    bool closeAndWaitForExit(unsigned long window)
    {
        return XSession::requestClose(window) && program.waitForFinished(10000);
    }

private slots:
    void cleanup()
    {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

    void startsMapsItsWindowAndExitsZeroWhenClosed()
    {
        QVERIFY(startProgram());
        const unsigned long window = XSession::waitForWindow(windowTitleText);
        QVERIFY2(window != 0, "no window titled Halvorine Camera OSD Remote was mapped");
        QCOMPARE(XSession::windowTitle(window), windowTitleText);
        QVERIFY(closeAndWaitForExit(window));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    // SDL stays off the start-up path: the program does not link it (its libraries
    // would load before the window could show) but loads it once the window is up.
    void loadsSdlForControllersOnlyAfterItsWindowIsUp()
    {
        QProcess readelf;
        readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QStringLiteral(HALVORINE_PROGRAM)});
        QVERIFY(readelf.waitForFinished(10000));
        const QByteArray dynamic = readelf.readAllStandardOutput();
        QVERIFY(dynamic.contains("(NEEDED)"));
        QVERIFY2(!dynamic.contains("libSDL2"), "the program links SDL2");

        QVERIFY(startProgram());
        const unsigned long window = XSession::waitForWindow(windowTitleText);
        QVERIFY(window != 0);
        const auto sdlLoaded = [this] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libSDL2");
        };
        QTRY_VERIFY_WITH_TIMEOUT(sdlLoaded(), 10000);
        QVERIFY(closeAndWaitForExit(window));
        QCOMPARE(program.exitCode(), 0);
    }

    void operatorsKeyboardReachesTheCamera()
    {
        RecordingPeer peer(peerAddress);
        QVERIFY2(peer.isListening(), qPrintable(peer.errorString()));
        QVERIFY(startProgram());
        const unsigned long window = XSession::waitForWindow(windowTitleText);
        QVERIFY(window != 0);
        const QString id = QString::number(window);
        QVERIFY(!XSession::xdotool({"windowfocus", "--sync", id}).isNull());

        // The address field holds the focus when the window opens.
        QVERIFY(!XSession::xdotool({"type", "--delay", "20", peerAddress.toString()}).isNull());
        // ipEdit -> camNameEdit -> saveBtn -> ipCombo -> loadBtn -> removeBtn -> previewBtn -> connectBtn
        QVERIFY(!XSession::xdotool({"key", "--delay", "30", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab"}).isNull());
        QSignalSpy connected(&peer, &RecordingPeer::clientConnected);
        QVERIFY(!XSession::xdotool({"key", "space"}).isNull());
        QVERIFY(connected.count() > 0 || connected.wait(10000));

        const QByteArray drive = QByteArray::fromHex("810106010E0E0301FF");
        const QByteArray stop = QByteArray::fromHex("8101060118140303FF");
        // Connect -> upBtn
        QVERIFY(!XSession::xdotool({"key", "Tab"}).isNull());
        QVERIFY(!XSession::xdotool({"keydown", "space"}).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().toHex(' '), drive.toHex(' '), 10000);
        QVERIFY(!XSession::xdotool({"keyup", "space"}).isNull());
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), 18, 10000);
        QCOMPARE(peer.received().toHex(' '), (drive + stop).toHex(' '));

        QVERIFY(closeAndWaitForExit(window));
        QCOMPARE(program.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TestProgram)
#include "test_program.moc"
