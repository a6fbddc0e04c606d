// Controllers driving the camera link, with SDL virtual joysticks for controllers and
// a recording peer on 127.0.5.21 for the camera: what reaches the wire, and when.
#include "camera/camera.h"
#include "camera/cameramotion.h"
#include "input/gamepadinput.h"
#include "recordingpeer.h"
#include "virtualpad.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QHostAddress peerAddress(QStringLiteral("127.0.5.21"));

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const QByteArray stopMessage = bytes("8101060118140303FF");
const QByteArray zoomStopMessage = bytes("8101040700FF");

// The peer's bytes cut into messages at each terminator.
QList<QByteArray> messagesOf(const QByteArray &received)
{
    QList<QByteArray> messages;
    int start = 0;
    for (int i = 0; i < received.size(); ++i) {
        if (quint8(received.at(i)) == 0xFF) {
            messages.append(received.mid(start, i - start + 1));
            start = i + 1;
        }
    }
    return messages;
}

int panSpeedOf(const QByteArray &drive)
{
    return quint8(drive.at(4));
}

} // namespace

class TestGamepad : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<RecordingPeer> peer;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<CameraMotion> motion;
    std::unique_ptr<GamepadInput> input;
    std::unique_ptr<VirtualPad> pad;

    QList<QByteArray> messages() const { return messagesOf(peer->received()); }

    // Waits until the program has read everything the pad did so far, then drives
    // full left: messages are sent as SDL's news is read, so whatever that news gave
    // has reached the peer once the drive has. Returns what came before the drive.
    QList<QByteArray> messagesBeforeADrive()
    {
        const QByteArray fullLeft = bytes("8101060118010103FF");
        SDL_JoystickUpdate();
        if (!QTest::qWaitFor([] { return !SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT); }, 5000))
            return {"SDL's queue was never read"};
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
        if (!QTest::qWaitFor([&] { return messages().value(messages().size() - 1) == fullLeft; }, 5000))
            return {"the full-left drive never arrived"};
        return messages().mid(0, messages().size() - 1);
    }

    // Plugs a pad in and waits until the program has it.
    void plug(VirtualPad::Kind kind = VirtualPad::Kind::GameController)
    {
        pad = std::make_unique<VirtualPad>(kind);
        QVERIFY(pad->isPlugged());
        QTRY_COMPARE(input->attachedCount(), 1);
    }

private slots:
    void initTestCase()
    {
        // No window here: SDL must report events all the same.
        peer = std::make_unique<RecordingPeer>(peerAddress);
        QVERIFY2(peer->isListening(), qPrintable(peer->errorString()));
        camera = std::make_unique<Camera>(peerAddress.toString());
        motion = std::make_unique<CameraMotion>(camera.get());
    }

    void init()
    {
        QSignalSpy connected(peer.get(), &RecordingPeer::clientConnected);
        motion->connectTo(peerAddress.toString());
        QVERIFY(connected.wait(5000));
        input = std::make_unique<GamepadInput>(camera.get(), motion.get());
        QVERIFY(input->start());
        peer->clearReceived();
    }

    void cleanup()
    {
        pad.reset();
        input.reset();
        // Closing waits for unsent bytes; the next connect needs the socket gone.
        QSignalSpy disconnected(camera.get(), &Camera::cameraDisconnected);
        motion->disconnectFromCamera();
        QTRY_VERIFY(!disconnected.isEmpty());
    }

    void pollsSlowlyWithoutControllerAndFastWithOne()
    {
        QTRY_COMPARE(input->pollInterval(), GamepadInput::idlePollMs);
        plug();
        QTRY_COMPARE(input->pollInterval(), GamepadInput::activePollMs);
        pad->unplug();
        QTRY_COMPARE(input->attachedCount(), 0);
        QTRY_COMPARE(input->pollInterval(), GamepadInput::idlePollMs);
        QVERIFY(peer->received().isEmpty());
    }

    void stickGivesSpeedAndDirection_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("full right") << 32767 << 0 << bytes("8101060118010203FF");
        QTest::newRow("full left") << -32768 << 0 << bytes("8101060118010103FF");
        QTest::newRow("full up") << 0 << -32768 << bytes("8101060101140301FF");
        QTest::newRow("just past the dead zone, down") << 0 << 8000 << bytes("8101060101010302FF");
        // Half way beyond the dead zone: pan 12 of 24, tilt 10 of 20.
        QTest::newRow("down-right") << 20000 << 20000 << bytes("810106010C0A0202FF");
        QTest::newRow("up-left") << -32768 << -32768 << bytes("8101060118140101FF");
    }

    void stickGivesSpeedAndDirection()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QByteArray, expected);
        plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, x);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, y);
        QTRY_COMPARE(messages().value(messages().size() - 1), expected);
        // Resting inside the dead zone is centred: one stop, then silence.
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 3000);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, -3000);
        QTRY_COMPARE(messages().last(), stopMessage);
        QCOMPARE(messagesBeforeADrive(), (QList<QByteArray>{expected, stopMessage}));
    }

    void sweepRisesInSpeedAndStopsOnceAtCentre()
    {
        plug();
        // Out from the centre to full right and back, a step every 4 ms: faster than
        // the pacing, so intermediate speeds are skipped but never reversed.
        int step = 0;
        const int steps = 64;
        QTimer sweep;
        connect(&sweep, &QTimer::timeout, this, [&] {
            const int out = step <= steps ? step : 2 * steps - step;
            pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, out * 32767 / steps);
            if (++step > 2 * steps)
                sweep.stop();
        });
        sweep.start(4);
        QTRY_VERIFY_WITH_TIMEOUT(!sweep.isActive(), 5000);
        QTRY_COMPARE(messages().value(messages().size() - 1), stopMessage);

        const QList<QByteArray> sent = messages();
        QCOMPARE(sent.count(stopMessage), 1);
        QVERIFY2(sent.size() >= 5, "the sweep should pass through several speeds");
        int peak = 0;
        bool falling = false;
        for (const QByteArray &drive : sent.mid(0, sent.size() - 1)) {
            QCOMPARE(drive.left(4), bytes("81010601"));
            QCOMPARE(drive.mid(5, 3), bytes("010203")); // right, no tilt
            const int speed = panSpeedOf(drive);
            if (speed < peak)
                falling = true;
            else
                QVERIFY2(!falling || speed == peak, "speed rose again on the way back");
            peak = qMax(peak, speed);
        }
        QVERIFY(peak >= 0x16);
    }

    void noisyStickStaysWithinTwentyMessagesASecond()
    {
        plug();
        QVector<qint64> arrivals;
        QElapsedTimer clock;
        clock.start();
        int seen = 0;
        QObject listening; // ends the connection with this test
        connect(peer.get(), &RecordingPeer::bytesReceived, &listening, [&] {
            for (const int total = messages().size(); seen < total; ++seen)
                arrivals.append(clock.elapsed());
        });
        // A worn stick held half way: every 2 ms a value up to 4000 either side,
        // across several speed steps.
        QTimer noise;
        connect(&noise, &QTimer::timeout, this, [&] {
            pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 20000 + QRandomGenerator::global()->bounded(-4000, 4000));
            pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, 20000 + QRandomGenerator::global()->bounded(-4000, 4000));
        });
        noise.start(2);
        QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() >= 2000, 5000);
        noise.stop();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, 0);
        QTRY_COMPARE(messages().value(messages().size() - 1), stopMessage);

        QVERIFY2(arrivals.size() >= 10, "the noise should cross speed steps");
        // Any one second: at most 20 sent at 50 ms apart; arrival can bunch one more.
        for (int i = 0; i < arrivals.size(); ++i) {
            int inWindow = 0;
            for (int j = i; j < arrivals.size() && arrivals.at(j) < arrivals.at(i) + 1000; ++j)
                ++inWindow;
            QVERIFY2(inWindow <= 21, qPrintable(QStringLiteral("%1 messages within a second").arg(inWindow)));
        }
    }

    void dpadTriggersAndButtonsGiveTheirBytes_data()
    {
        QTest::addColumn<bool>("isButton");
        QTest::addColumn<int>("control");
        QTest::addColumn<QByteArray>("held");
        QTest::addColumn<QByteArray>("released");
        QTest::newRow("D-pad up") << true << int(SDL_CONTROLLER_BUTTON_DPAD_UP) << bytes("810106010E0E0301FF") << stopMessage;
        QTest::newRow("D-pad down") << true << int(SDL_CONTROLLER_BUTTON_DPAD_DOWN) << bytes("810106010E0E0302FF") << stopMessage;
        QTest::newRow("D-pad left") << true << int(SDL_CONTROLLER_BUTTON_DPAD_LEFT) << bytes("810106010E0E0103FF") << stopMessage;
        QTest::newRow("D-pad right") << true << int(SDL_CONTROLLER_BUTTON_DPAD_RIGHT) << bytes("810106010E0E0203FF") << stopMessage;
        QTest::newRow("right trigger") << false << int(SDL_CONTROLLER_AXIS_TRIGGERRIGHT) << bytes("8101040727FF") << zoomStopMessage;
        QTest::newRow("left trigger") << false << int(SDL_CONTROLLER_AXIS_TRIGGERLEFT) << bytes("8101040737FF") << zoomStopMessage;
        QTest::newRow("right stick up") << false << int(SDL_CONTROLLER_AXIS_RIGHTY) << bytes("8101040727FF") << zoomStopMessage;
        QTest::newRow("A") << true << int(SDL_CONTROLLER_BUTTON_A) << bytes("8101060605FF") << QByteArray();
        QTest::newRow("B") << true << int(SDL_CONTROLLER_BUTTON_B) << bytes("8101060604FF") << QByteArray();
        QTest::newRow("Start") << true << int(SDL_CONTROLLER_BUTTON_START) << bytes("8101043F025FFF") << QByteArray();
    }

    void dpadTriggersAndButtonsGiveTheirBytes()
    {
        QFETCH(bool, isButton);
        QFETCH(int, control);
        QFETCH(QByteArray, held);
        QFETCH(QByteArray, released);
        plug();
        const int rest = control == SDL_CONTROLLER_AXIS_RIGHTY ? 0 : -32768; // triggers rest at -32768 raw
        if (isButton)
            pad->setButton(control, true);
        else
            pad->setAxis(control, control == SDL_CONTROLLER_AXIS_RIGHTY ? -32768 : 32767);
        QTRY_COMPARE(messages(), QList<QByteArray>{held});
        if (isButton)
            pad->setButton(control, false);
        else
            pad->setAxis(control, rest);
        const QList<QByteArray> expected = released.isEmpty() ? QList<QByteArray>{held}
                                                              : QList<QByteArray>{held, released};
        QTRY_COMPARE(messages(), expected);
        QCOMPARE(messagesBeforeADrive(), expected);
    }

    void plainJoystickDrivesWithItsFirstTwoAxes()
    {
        plug(VirtualPad::Kind::PlainJoystick);
        pad->setAxis(2, 32767); // a throttle, say: not ours
        pad->setAxis(0, -32768);
        pad->setAxis(1, 32767);
        QTRY_COMPARE(messages(), QList<QByteArray>{bytes("8101060118140102FF")});
        pad->setAxis(0, 0);
        pad->setAxis(1, 0);
        QTRY_COMPARE(messages().value(1), stopMessage);
    }

    void unplugWhileMovingStopsAtOnce()
    {
        plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, 32767);
        QTRY_COMPARE(messages().size(), 2);
        pad->unplug();
        QTRY_COMPARE(input->attachedCount(), 0);
        // Handed to the link with the unplug itself, not after any pacing.
        QVERIFY(!motion->isMoving(CameraMotion::Axis::PanTilt) && !motion->isMoving(CameraMotion::Axis::Zoom));
        QTRY_COMPARE(messages().mid(2), (QList<QByteArray>{stopMessage, zoomStopMessage}));
    }

    void firstConnectedDrivesAndTheNextTakesOver()
    {
        plug();
        VirtualPad second;
        QTRY_COMPARE(input->attachedCount(), 2);
        second.setAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, -32768);
        QTRY_COMPARE(messages(), QList<QByteArray>{bytes("8101060118010103FF")});
        pad->unplug();
        QTRY_COMPARE(messages().value(1), stopMessage);
        second.setAxis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
        QTRY_COMPARE(messages().value(2), bytes("8101060118140201FF"));
    }

    void stopsAtTheEndAndDrivesAgainFromRest()
    {
        plug();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, 32767);
        QTRY_VERIFY(motion->isMoving(CameraMotion::Axis::PanTilt) && motion->isMoving(CameraMotion::Axis::Zoom));
        QTRY_COMPARE(messages().size(), 2);
        // The program ending, say: both stop in the controller's place.
        motion->stopBeforeClosing();
        QTRY_COMPARE(messages().mid(2), (QList<QByteArray>{stopMessage, zoomStopMessage}));
        // Letting go sends no second stop, and the stick drives again from rest.
        pad->setAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT, -32768);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
        QTRY_COMPARE(messages().size(), 5);
        QCOMPARE(messages().last(), bytes("8101060101140302FF"));
    }

    void nothingSentWhileTheLinkIsClosed()
    {
        plug();
        motion->disconnectFromCamera();
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 32767);
        pad->setButton(SDL_CONTROLLER_BUTTON_A, true);
        // Queue the pad's news now and let the program read all of it while closed.
        SDL_JoystickUpdate();
        QTRY_VERIFY(!SDL_HasEvents(SDL_FIRSTEVENT, SDL_LASTEVENT));
        QVERIFY(messages().isEmpty());
        // Reconnected with the stick still over: nothing goes out on connecting;
        // centring stops a camera this link knows nothing of, and moving drives.
        QSignalSpy connected(peer.get(), &RecordingPeer::clientConnected);
        motion->connectTo(peerAddress.toString());
        QVERIFY(connected.wait(5000));
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, 0);
        QTRY_COMPARE(messages(), QList<QByteArray>{stopMessage});
        pad->setAxis(SDL_CONTROLLER_AXIS_LEFTY, 32767);
        QTRY_COMPARE(messages(), (QList<QByteArray>{stopMessage, bytes("8101060101140302FF")}));
    }
};

QTEST_GUILESS_MAIN(TestGamepad)
#include "test_gamepad.moc"
