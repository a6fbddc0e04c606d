// The two ways a camera was once left running on its own, as an operator meets them:
// the real application and window, a real peer as the camera, an SDL virtual
// controller on the stick, and nftables in a network namespace of this test's own
// holding the camera's packets back (a link still connecting, a link that stalls).
#include "app/corvanta.h"
#include "apptestmain.h"
#include "modalcatcher.h"
#include "privatenetwork.h"
#include "recordingpeer.h"
#include "virtualpad.h"

#include <QLineEdit>
#include <QPushButton>

#include <memory>

namespace {

// Private to this test's namespace.
const QString cameraAddress = QStringLiteral("127.0.6.11");

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const QByteArray fullRight = bytes("8101060118010203FF");
const QByteArray stop = bytes("8101060118140303FF");
const QByteArray zoomStop = bytes("8101040700FF");
const QByteArray focusStop = bytes("8101040800FF");

} // namespace

class TestUnattended : public QObject
{
    Q_OBJECT

public:
    explicit TestUnattended(const QString &unavailable)
        : unavailable(unavailable)
    {
    }

private:
    const QString unavailable;
    QMainWindow *window = nullptr;
    RecordingPeer *peer = nullptr;
    ModalCatcher *boxes = nullptr;
    std::unique_ptr<VirtualPad> pad;

    QPushButton *connectButton() { return window->findChild<QPushButton *>(QStringLiteral("connectBtn")); }
    QString state() { return connectButton()->text(); }
    void clickConnect() { QTest::mouseClick(connectButton(), Qt::LeftButton); }
    void setNetwork(bool up)
    {
        QString error;
        const bool done = up ? PrivateNetwork::restore(&error) : PrivateNetwork::dropAddress(cameraAddress, &error);
        QVERIFY2(done, qPrintable(error));
    }
    void stick(int x) { pad->setAxis(SDL_CONTROLLER_AXIS_LEFTX, x); }

private slots:
    void initTestCase()
    {
        if (!unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
        window = applicationMainWindow();
        QVERIFY(window);
        boxes = new ModalCatcher(this);
        peer = new RecordingPeer(QHostAddress(cameraAddress), 5678, this);
        QVERIFY2(peer->isListening(), qPrintable(peer->errorString()));
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(cameraAddress);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // The window starts its controller input a moment after it shows.
        QTRY_VERIFY(SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0);
    }

    void init()
    {
        boxes->clear();
        peer->clearReceived();
        pad = std::make_unique<VirtualPad>();
        QVERIFY(pad->isPlugged());
        // Moves made before the remote has opened the pad would go unseen.
        QTRY_VERIFY(SDL_GameControllerFromInstanceID(pad->instanceId()) != nullptr);
    }

    void cleanup()
    {
        setNetwork(true);
        pad.reset();
        if (state() == QLatin1String("Disconnect"))
            clickConnect();
        QTRY_COMPARE(state(), QStringLiteral("Connect"));
    }

    // Qt hands the drive to the camera once the link is up; the stop that centring
    // the stick asks for must follow it on that link.
    void stickPushedWhileConnectingIsStoppedOnTheLink()
    {
        setNetwork(false);
        clickConnect();
        QCOMPARE(state(), QStringLiteral("Connecting"));
        stick(32767);
        // The SYN is lost until the network comes back; the kernel tries again.
        setNetwork(true);
        QTRY_COMPARE_WITH_TIMEOUT(state(), QStringLiteral("Disconnect"), 10000);
        QTRY_COMPARE(peer->received().toHex(' '), fullRight.toHex(' '));
        stick(0);
        QTRY_COMPARE(peer->received().toHex(' '), (fullRight + stop).toHex(' '));
    }

    // The link stalls mid-pan: the stop goes nowhere, the operator is told, and the
    // next Connect to that camera opens with the stops before anything else.
    void linkLostMidPanStopsTheCameraOnReconnect()
    {
        clickConnect();
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QTRY_VERIFY(peer->hasClient());
        stick(32767);
        QTRY_COMPARE(peer->received().toHex(' '), fullRight.toHex(' '));
        setNetwork(false);
        stick(0);
        QTRY_COMPARE_WITH_TIMEOUT(boxes->texts(), QStringList{QStringLiteral("Camera Connection Error!")}, 15000);
        QTRY_COMPARE(state(), QStringLiteral("Connect"));
        setNetwork(true);
        clickConnect();
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QTRY_COMPARE(peer->received().toHex(' '), (fullRight + stop + zoomStop + focusStop).toHex(' '));
        // And the stick drives the new link as usual.
        stick(32767);
        QTRY_VERIFY(peer->received().endsWith(fullRight));
        stick(0);
        QTRY_VERIFY(peer->received().endsWith(stop));
    }
};

HALVORINE_PRIVATE_NETWORK_APP_TEST_MAIN(TestUnattended)

#include "test_unattended.moc"
