// The motion guard against a real camera link and a real TCP peer: which stops it
// sends for whom, and that its last stop reaches the camera even when the link is
// torn down right after.
#include "camera/camera.h"
#include "input/motionguard.h"
#include "recordingpeer.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
const QHostAddress peerAddress(QStringLiteral("127.0.5.1"));
const QByteArray panTiltStop = QByteArray::fromHex("8101060118140303FF");
const QByteArray zoomStop = QByteArray::fromHex("8101040700FF");
} // namespace

class TestMotionGuard : public QObject
{
    Q_OBJECT

    RecordingPeer *peer = nullptr;
    Camera *camera = nullptr;
    MotionGuard *guard = nullptr;

    // Waits until the peer has everything sent so far (a marker message travels last).
    QByteArray receivedAfterMarker()
    {
        camera->sendOsdBack();
        const QByteArray marker = QByteArray::fromHex("8101060604FF");
        if (!QTest::qWaitFor([&] { return peer->received().endsWith(marker); }, 5000))
            return QByteArray("marker never arrived");
        QByteArray bytes = peer->received();
        peer->clearReceived();
        bytes.chop(marker.size());
        return bytes;
    }

private slots:
    void initTestCase() { qRegisterMetaType<MotionGuard::Source>(); }
    void init()
    {
        peer = new RecordingPeer(peerAddress);
        QVERIFY2(peer->isListening(), qPrintable(peer->errorString()));
        camera = new Camera(peerAddress.toString());
        guard = new MotionGuard(camera);
    }
    void cleanup()
    {
        delete guard;
        delete camera;
        delete peer;
    }

    void stopsOnlyWhatTheGivenSourcesStartedAndOnlyOnce()
    {
        QSignalSpy connected(camera, &Camera::cameraConnected);
        camera->connectToCamera();
        QVERIFY(connected.wait(5000));
        QSignalSpy stopped(guard, &MotionGuard::stopped);

        guard->reportPanTilt(MotionGuard::Keyboard, true);
        guard->reportZoom(MotionGuard::Controller, true);
        guard->stop(MotionGuard::Keyboard | MotionGuard::OnScreen);
        QCOMPARE(receivedAfterMarker().toHex(' '), panTiltStop.toHex(' '));
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(stopped.at(0).at(0).value<MotionGuard::Source>(), MotionGuard::Keyboard);
        QVERIFY(guard->isZoomActive());

        guard->stop();
        guard->stop();
        QCOMPARE(receivedAfterMarker().toHex(' '), zoomStop.toHex(' '));
        QCOMPARE(stopped.count(), 2);

        // The latest report wins: a stop its input sent itself leaves nothing to do,
        // and a drive taken over by another input is stopped for that one.
        guard->reportPanTilt(MotionGuard::Keyboard, true);
        guard->reportPanTilt(MotionGuard::Keyboard, false);
        guard->reportZoom(MotionGuard::OnScreen, true);
        guard->reportZoom(MotionGuard::Controller, true);
        guard->stop(MotionGuard::Keyboard | MotionGuard::OnScreen);
        QCOMPARE(receivedAfterMarker(), QByteArray());

        // A closed link is forgotten: the next connection owes the camera nothing.
        camera->disconnectFromCamera();
        QVERIFY(!guard->isZoomActive());
    }

    void lastStopReachesTheCameraThoughTheLinkIsDestroyedAtOnce()
    {
        QSignalSpy connected(camera, &Camera::cameraConnected);
        camera->connectToCamera();
        QVERIFY(connected.wait(5000));
        QTRY_VERIFY(peer->hasClient());
        guard->reportPanTilt(MotionGuard::OnScreen, true);
        guard->reportZoom(MotionGuard::Keyboard, true);
        // The stops go out first for another reason, as when the closing windows take
        // the focus along, and still wait in the socket's buffer.
        guard->stop(MotionGuard::OnScreen | MotionGuard::Keyboard);
        guard->stopBeforeClosing();
        delete guard;
        guard = nullptr;
        delete camera;
        camera = nullptr;
        QTRY_COMPARE(peer->received().toHex(' '), (panTiltStop + zoomStop).toHex(' '));
    }
};

QTEST_GUILESS_MAIN(TestMotionGuard)
#include "test_motionguard.moc"
