// The camera link and the main window's controller, driven through the real widgets
// with real input events, against a real TCP peer on this test's own loopback address.
#include "apptestmain.h"
#include "modalcatcher.h"
#include "processmemory.h"
#include "recordingpeer.h"
#include "screengrab.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QSignalSpy>

#include <functional>

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
// From the ASan run-time; GCC does not ship compiler-rt's allocator_interface.h.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

// Collects the warnings Qt prints while it lives. A closed socket refuses writes on its
// own, so the peer alone cannot tell whether the link checks its state before writing;
// a write that gets as far as a closed socket shows up as Qt's "device not open".
class WarningRecorder
{
public:
    WarningRecorder() { previous = qInstallMessageHandler(&WarningRecorder::record); }
    ~WarningRecorder() { qInstallMessageHandler(previous); }
    static QStringList &warnings()
    {
        static QStringList seen;
        return seen;
    }

private:
    static void record(QtMsgType type, const QMessageLogContext &, const QString &text)
    {
        if (type == QtWarningMsg)
            warnings().append(text);
    }
    QtMessageHandler previous;
};

// What the process holds. Under ASan, freed blocks wait in its quarantine, so resident
// memory grows whatever the remote does; the allocator's count of live bytes is the
// figure that still says whether the remote keeps what it is sent.
qint64 heldBytes()
{
#if defined(__SANITIZE_ADDRESS__)
    return qint64(__sanitizer_get_current_allocated_bytes());
#else
    return residentBytes();
#endif
}

const QHostAddress peerAddress(QStringLiteral("127.0.0.21"));
// Nothing listens here: connection attempts are refused at once.
const QString silentAddress = QStringLiteral("127.0.0.28");

QByteArray bytes(const char *hex)
{
    return QByteArray::fromHex(hex);
}

const QByteArray upMessage = bytes("810106010E0E0301FF");
const QByteArray downMessage = bytes("810106010E0E0302FF");
const QByteArray leftMessage = bytes("810106010E0E0103FF");
const QByteArray rightMessage = bytes("810106010E0E0203FF");
const QByteArray stopMessage = bytes("8101060118140303FF");
const QByteArray osdMenuMessage = bytes("8101043F025FFF");
const QByteArray osdEnterMessage = bytes("8101060605FF");
const QByteArray osdBackMessage = bytes("8101060604FF");

} // namespace

class TestController : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;
    RecordingPeer *peer = nullptr;
    ModalCatcher *boxes = nullptr;

    template <typename T = QPushButton>
    T *widget(const char *name)
    {
        return window->findChild<T *>(QString::fromLatin1(name));
    }
    QString connectText() { return widget("connectBtn")->text(); }

    bool connectTo(const QString &address)
    {
        widget<QLineEdit>("ipEdit")->setText(address);
        // The peer may not have seen the last link's end yet: wait for this link.
        const int links = peer->connectionCount();
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        if (!QTest::qWaitFor([&] { return connectText() == QLatin1String("Disconnect"); }, 5000))
            return false;
        return QTest::qWaitFor([&] { return peer->connectionCount() > links && peer->hasClient(); }, 5000);
    }
    void disconnectIfConnected()
    {
        if (connectText() == QLatin1String("Disconnect"))
            QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
    }
    // Checks that the peer got exactly `expected` so far: OSD Back, clicked after it
    // (without taking the focus from a held button), travels last on the same ordered
    // link, so whatever the remote sent before it has arrived once it has.
    void expectReceived(const QByteArray &expected)
    {
        widget("backBtn")->click();
        QTRY_VERIFY_WITH_TIMEOUT(peer->received().endsWith(osdBackMessage), 5000);
        QCOMPARE(peer->received().toHex(' '), (expected + osdBackMessage).toHex(' '));
        peer->clearReceived();
    }

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        peer = new RecordingPeer(peerAddress, 5678, this);
        QVERIFY2(peer->isListening(), qPrintable(peer->errorString()));
        boxes = new ModalCatcher(this);
    }

    void init()
    {
        boxes->clear();
        peer->clearReceived();
    }

    void cleanup()
    {
        disconnectIfConnected();
        peer->clearReceived();
    }

    void nothingIsSentWhileDisconnected()
    {
        WarningRecorder::warnings().clear();
        {
            WarningRecorder recorder;
            for (const char *name : {"upBtn", "downBtn", "leftBtn", "rightBtn", "osdBtn", "enterBtn", "backBtn"})
                QTest::mouseClick(widget(name), Qt::LeftButton);
        }
        QVERIFY2(WarningRecorder::warnings().isEmpty(), qPrintable(WarningRecorder::warnings().join('\n')));
        QCOMPARE(peer->connectionCount(), 0);
        QCOMPARE(boxes->count(), 0);
    }

    void connectingSendsNothing()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        QCOMPARE(colourAtCentre(widget("connectBtn")->icon()), QStringLiteral("#13ff00"));
        expectReceived(QByteArray());
    }

    void eachButtonWritesItsMessage_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("up") << "upBtn" << upMessage + stopMessage;
        QTest::newRow("down") << "downBtn" << downMessage + stopMessage;
        QTest::newRow("left") << "leftBtn" << leftMessage + stopMessage;
        QTest::newRow("right") << "rightBtn" << rightMessage + stopMessage;
        QTest::newRow("osd") << "osdBtn" << osdMenuMessage;
        QTest::newRow("enter") << "enterBtn" << osdEnterMessage;
        QTest::newRow("back") << "backBtn" << osdBackMessage;
    }
    void eachButtonWritesItsMessage()
    {
        QFETCH(QString, button);
        QFETCH(QByteArray, expected);
        QVERIFY(connectTo(peerAddress.toString()));
        QTest::mouseClick(widget(qPrintable(button)), Qt::LeftButton);
        expectReceived(expected);
    }

    void holdingAnArrowSendsDriveOnceThenStop()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        QPushButton *upBtn = widget("upBtn");
        QTest::mousePress(upBtn, Qt::LeftButton);
        // A button repeats from a timer; held past its first repeat, it has sent one drive.
        const int firstRepeatMs = upBtn->autoRepeatDelay() + upBtn->autoRepeatInterval();
        QVERIFY(!QTest::qWaitFor([&] { return peer->received().size() > upMessage.size(); }, firstRepeatMs));
        expectReceived(upMessage);
        QTest::mouseRelease(upBtn, Qt::LeftButton);
        expectReceived(stopMessage);
    }

    void spaceHeldOnTheFocusedArrow()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        QPushButton *leftBtn = widget("leftBtn");
        QApplication::setActiveWindow(window);
        leftBtn->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), leftBtn);
        QTest::keyPress(leftBtn, Qt::Key_Space);
        expectReceived(leftMessage);
        QTest::keyRelease(leftBtn, Qt::Key_Space);
        expectReceived(stopMessage);
    }

    void refusedConnectionRestoresConnect()
    {
        widget<QLineEdit>("ipEdit")->setText(silentAddress);
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(boxes->count(), 1);
        QCOMPARE(boxes->titles(), QStringList{QStringLiteral("Halvorine")});
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Camera Connection Error!")});
        QCOMPARE(connectText(), QStringLiteral("Connect"));
        QCOMPARE(colourAtCentre(widget("connectBtn")->icon()), QStringLiteral("#ff0000"));

        // A fresh attempt on the same link object succeeds once something listens.
        QVERIFY(connectTo(peerAddress.toString()));
        QCOMPARE(boxes->count(), 1);
    }

    void secondClickWhileConnectingDoesNothing()
    {
        widget<QLineEdit>("ipEdit")->setText(peerAddress.toString());
        const int before = peer->connectionCount();
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QCOMPARE(connectText(), QStringLiteral("Connecting"));
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QCOMPARE(connectText(), QStringLiteral("Connecting"));
        QTRY_COMPARE(connectText(), QStringLiteral("Disconnect"));
        // A second attempt would have been made at the second click, before the first
        // one was through: its connection reaches the peer before anything sent after.
        expectReceived(QByteArray());
        QCOMPARE(peer->connectionCount(), before + 1);
    }

    void disconnectSettlesBeforeTheClickReturns()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QCOMPARE(connectText(), QStringLiteral("Connect"));
        QCOMPARE(colourAtCentre(widget("connectBtn")->icon()), QStringLiteral("#ff0000"));
        QCOMPARE(boxes->count(), 0);
    }

    void peerClosingTheLinkShowsConnectAndTheError()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        peer->closeClient();
        QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
        QCOMPARE(colourAtCentre(widget("connectBtn")->icon()), QStringLiteral("#ff0000"));
        QTRY_COMPARE(boxes->count(), 1);
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Camera Connection Error!")});
        // Nothing is sent over a link that is down.
        QTest::mouseClick(widget("osdBtn"), Qt::LeftButton);
        QCOMPARE(peer->received(), QByteArray());
    }

    // The socket reports a dropped link as an error first and as disconnected after
    // it. A click on "Disconnect" leaves "Disconnecting" until the link settles; an
    // error in that state puts "Disconnect" back under the box, and the drop that
    // follows the box settles on "Connect" with the red light.
    void errorWhileDisconnectingRestoresDisconnectUntilTheDrop()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        QString textBehindTheBox;
        QString lightBehindTheBox;
        boxes->setOnShown([&] {
            textBehindTheBox = connectText();
            lightBehindTheBox = colourAtCentre(widget("connectBtn")->icon());
        });
        widget("connectBtn")->setText(QStringLiteral("Disconnecting"));
        peer->closeClient();
        QTRY_COMPARE(boxes->count(), 1);
        boxes->setOnShown(nullptr);
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Camera Connection Error!")});
        QCOMPARE(textBehindTheBox, QStringLiteral("Disconnect"));
        QCOMPARE(lightBehindTheBox, QStringLiteral("#13ff00"));
        QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
        QCOMPARE(colourAtCentre(widget("connectBtn")->icon()), QStringLiteral("#ff0000"));
    }

    void commandWhileTheAttemptIsPendingGoesOutOnConnect()
    {
        widget<QLineEdit>("ipEdit")->setText(peerAddress.toString());
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QCOMPARE(connectText(), QStringLiteral("Connecting"));
        QTest::mouseClick(widget("downBtn"), Qt::LeftButton);
        QTRY_COMPARE(connectText(), QStringLiteral("Disconnect"));
        expectReceived(downMessage + stopMessage);
    }

    void floodingPeerLeavesMemoryFlat()
    {
        QVERIFY(connectTo(peerAddress.toString()));
        const QByteArray chunk(1 << 20, '\x90');
        const int chunks = 256;
        int sent = 0;
        // Warm up: the first megabytes settle the socket's own buffers.
        auto sendSome = [&](int until) {
            while (sent < until) {
                if (!QTest::qWaitFor([&] { return peer->bytesToSend() <= 4 * chunk.size(); }, 5000))
                    return false;
                peer->sendToClient(chunk);
                ++sent;
            }
            return true;
        };
        QVERIFY(sendSome(16));
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesToSend(), qint64(0), 20000);
        const qint64 before = heldBytes();
        QVERIFY(before > 0);
        QVERIFY(sendSome(chunks));
        QTRY_COMPARE_WITH_TIMEOUT(peer->bytesToSend(), qint64(0), 20000);
        const qint64 after = heldBytes();
        qInfo("memory held before %.1f MiB, after 256 MiB from the peer %.1f MiB", before / 1048576.0,
              after / 1048576.0);
        QVERIFY2(after - before < 8 * 1024 * 1024, "the remote keeps what the camera sends");
        QCOMPARE(connectText(), QStringLiteral("Disconnect"));
    }

    // Each connect and disconnect changes the light; nothing of it may pile up.
    void reconnectingLeavesMemoryFlat()
    {
        // Woken by each event rather than polled, so that a cycle takes a millisecond.
        auto runUntil = [](const std::function<bool()> &done) {
            QElapsedTimer clock;
            clock.start();
            while (!done() && clock.elapsed() < 5000)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            return done();
        };
        QPushButton *connectBtn = widget("connectBtn");
        widget<QLineEdit>("ipEdit")->setText(peerAddress.toString());
        auto reconnect = [&](int times) {
            for (int i = 0; i < times; ++i) {
                QTest::mouseClick(connectBtn, Qt::LeftButton);
                if (!runUntil([&] { return connectText() == QLatin1String("Disconnect") && peer->hasClient(); }))
                    return false;
                QTest::mouseClick(connectBtn, Qt::LeftButton);
                if (!runUntil([&] { return !peer->hasClient(); }))
                    return false;
            }
            return true;
        };
        QVERIFY(reconnect(100));
        const qint64 before = heldBytes();
        QVERIFY(reconnect(1500));
        const qint64 after = heldBytes();
        QVERIFY2(after - before < 1024 * 1024,
                 qPrintable(QStringLiteral("memory held grew from %1 to %2 KiB over 1,500 reconnects")
                                .arg(before / 1024)
                                .arg(after / 1024)));
        QCOMPARE(boxes->count(), 0);
    }

    void badAddressesEndInAConnectionOrTheError_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("empty") << QString();
        QTest::newRow("zero") << QStringLiteral("0.0.0.0");
        QTest::newRow("unresolvable") << QStringLiteral("no-such-camera.invalid");
        QTest::newRow("10000 characters") << QString(10000, QLatin1Char('a'));
        QTest::newRow("non-ascii") << QStringLiteral("kamera-süd.日本");
        QTest::newRow("spaces around") << QStringLiteral("  127.0.0.21  ");
    }
    void badAddressesEndInAConnectionOrTheError()
    {
        QFETCH(QString, address);
        QTimer heartbeat;
        int beats = 0;
        connect(&heartbeat, &QTimer::timeout, [&] { ++beats; });
        heartbeat.start(10);

        widget<QLineEdit>("ipEdit")->setText(address);
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(widget("connectBtn"), Qt::LeftButton);
        QVERIFY2(clock.elapsed() < 500, "the click must not wait for the network");
        QTRY_VERIFY_WITH_TIMEOUT(connectText() == QLatin1String("Disconnect") || boxes->count() > 0, 30000);
        if (boxes->count() > 0) {
            QCOMPARE(boxes->texts().constFirst(), QStringLiteral("Camera Connection Error!"));
            QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
        }
        // Timers keep firing while an attempt takes its time: nothing waits on the network.
        if (clock.elapsed() > 100)
            QVERIFY(beats > 0);
        // The window still answers clicks.
        QTest::mouseClick(widget("loadBtn"), Qt::LeftButton);
        QCOMPARE(widget<QLineEdit>("ipEdit")->text(), QStringLiteral("0.0.0.0"));
    }

    void savedCamerasThroughTheWidgets()
    {
        auto *ipEdit = widget<QLineEdit>("ipEdit");
        auto *nameEdit = widget<QLineEdit>("camNameEdit");
        auto *combo = widget<QComboBox>("ipCombo");
        QCOMPARE(combo->count(), 0);

        // Loading from an empty list gives the absent-entry address.
        QTest::mouseClick(widget("loadBtn"), Qt::LeftButton);
        QCOMPARE(ipEdit->text(), QStringLiteral("0.0.0.0"));
        QVERIFY(nameEdit->text().isEmpty());

        ipEdit->setText(QStringLiteral("192.0.2.10"));
        nameEdit->setText(QStringLiteral("Lobby"));
        QTest::mouseClick(widget("saveBtn"), Qt::LeftButton);
        ipEdit->setText(QStringLiteral("192.0.2.11"));
        nameEdit->clear();
        QTest::mouseClick(widget("saveBtn"), Qt::LeftButton);
        QCOMPARE(combo->count(), 2);
        QStringList listed{combo->itemText(0), combo->itemText(1)};
        listed.sort();
        QCOMPARE(listed, (QStringList{QStringLiteral("192.0.2.11"), QStringLiteral("Lobby")}));

        // The address filed under its own name blocks a later save of that address.
        nameEdit->setText(QStringLiteral("Balcony"));
        QTest::mouseClick(widget("saveBtn"), Qt::LeftButton);
        QCOMPARE(combo->count(), 2);

        combo->setCurrentIndex(combo->findText(QStringLiteral("Lobby")));
        ipEdit->clear();
        QTest::mouseClick(widget("loadBtn"), Qt::LeftButton);
        QCOMPARE(ipEdit->text(), QStringLiteral("192.0.2.10"));
        QCOMPARE(nameEdit->text(), QStringLiteral("Lobby"));

        // Re-saving an address under a new name replaces its old entry.
        nameEdit->setText(QStringLiteral("Foyer"));
        QTest::mouseClick(widget("saveBtn"), Qt::LeftButton);
        QVERIFY(combo->findText(QStringLiteral("Lobby")) < 0);
        QVERIFY(combo->findText(QStringLiteral("Foyer")) >= 0);

        combo->setCurrentIndex(combo->findText(QStringLiteral("Foyer")));
        QTest::mouseClick(widget("removeBtn"), Qt::LeftButton);
        QCOMPARE(combo->count(), 1);
        QVERIFY(combo->findText(QStringLiteral("Foyer")) < 0);
        combo->setCurrentIndex(0);
        QTest::mouseClick(widget("removeBtn"), Qt::LeftButton);
        QCOMPARE(combo->count(), 0);
        // Removing from an empty list removes nothing and does not fail.
        QTest::mouseClick(widget("removeBtn"), Qt::LeftButton);
        QCOMPARE(combo->count(), 0);
        QCOMPARE(boxes->count(), 0);
    }
};

HALVORINE_APP_TEST_MAIN(TestController)
#include "test_controller.moc"
