// Presets, home, focus and camera select from real key events on the real window,
// against two cameras: the exact bytes of each key, digits typed in the address field
// recall nothing, no store or recall while a drive is held, and camera select across
// the link's states, the old camera getting its stop before its link closes.
#include "apptestmain.h"
#include "modalcatcher.h"
#include "recordingpeer.h"
#include "virtualpad.h"
#include "xsession.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString firstAddress = QStringLiteral("127.0.22.1");
const QString secondAddress = QStringLiteral("127.0.22.2");

QByteArray bytes(const char *hex) { return QByteArray::fromHex(hex); }

const QByteArray rightDrive = bytes("810106010E0E0203FF");
const QByteArray upDrive = bytes("810106010E0E0301FF");
const QByteArray stop = bytes("8101060118140303FF");
const QByteArray osdBack = bytes("8101060604FF");
const QByteArray recallPreset1 = bytes("8101043F0201FF");

QString notice()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("noticeWindow") && top->isVisible())
            return top->findChild<QLabel *>()->text();
    return {};
}

bool keyMapShown()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (top->objectName() == QLatin1String("keyMapWindow"))
            return top->isVisible();
    return false;
}

} // namespace

class TestShow : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;
    RecordingPeer *first = nullptr;
    RecordingPeer *second = nullptr;
    ModalCatcher *boxes = nullptr;

    template <typename T>
    T *child(const char *name) { return window->findChild<T *>(QString::fromLatin1(name)); }
    QString state() { return child<QPushButton>("connectBtn")->text(); }
    static bool xdo(const QStringList &arguments) { return !XSession::xdotool(arguments).isNull(); }
    bool keys(const QString &keys) { return xdo(QStringList{"key", "--delay", "30"} + keys.split(' ')); }
    void focusButton() { child<QPushButton>("osdBtn")->setFocus(Qt::OtherFocusReason); }

    void saveCamera(const QString &address, const QString &name)
    {
        child<QLineEdit>("ipEdit")->setText(address);
        child<QLineEdit>("camNameEdit")->setText(name);
        QTest::mouseClick(child<QPushButton>("saveBtn"), Qt::LeftButton);
    }

    // Everything sent to `peer` before has arrived: OSD Back travels last on the link.
    bool markerArrived(RecordingPeer *peer)
    {
        const int before = int(peer->received().size());
        child<QPushButton>("backBtn")->click();
        return QTest::qWaitFor([&] { return peer->received().size() > before && peer->received().endsWith(osdBack); },
                               5000);
    }

    // Linked to `peer` with nothing received yet.
    void connectTo(RecordingPeer *peer, const QString &key)
    {
        QVERIFY(keys(key));
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QTRY_VERIFY(peer->hasClient());
        first->clearReceived();
        second->clearReceived();
    }

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        boxes = new ModalCatcher(this);
        first = new RecordingPeer(QHostAddress(firstAddress), 5678, this);
        second = new RecordingPeer(QHostAddress(secondAddress), 5678, this);
        QVERIFY2(first->isListening() && second->isListening(), qPrintable(first->errorString()));
        // Saved as an operator saves them; the list shows them by name, in order.
        saveCamera(firstAddress, QStringLiteral("A Left"));
        saveCamera(secondAddress, QStringLiteral("B Right"));
        QCOMPARE(child<QComboBox>("ipCombo")->count(), 2);
        child<QLineEdit>("ipEdit")->clear();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QVERIFY(xdo({"windowfocus", "--sync", QString::number(window->winId())}));
        QTRY_VERIFY(window->isActiveWindow());
    }

    void init() { focusButton(); }

    void cleanup()
    {
        if (state() == QLatin1String("Disconnect"))
            QTest::mouseClick(child<QPushButton>("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(state(), QStringLiteral("Connect"));
    }

    void keysSendExactlyTheirMessages_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QByteArray>("wire");
        QTest::newRow("3 recalls memory 3") << "3" << bytes("8101043F0203FF");
        QTest::newRow("0 recalls memory 0") << "0" << bytes("8101043F0200FF");
        QTest::newRow("Ctrl+Shift+3 stores 3") << "ctrl+shift+3" << bytes("8101043F0103FF");
        QTest::newRow("Shift+3 does nothing") << "shift+3 osdBack" << QByteArray();
        QTest::newRow("Home") << "Home" << bytes("81010604FF");
        QTest::newRow("A focuses once") << "a" << bytes("8101041801FF");
        QTest::newRow("F held, then let go") << "keydown:f keyup:f" << bytes("8101040822FF8101040800FF");
        QTest::newRow("N held, then let go") << "keydown:n keyup:n" << bytes("8101040832FF8101040800FF");
    }

    void keysSendExactlyTheirMessages()
    {
        QFETCH(QString, keys);
        QFETCH(QByteArray, wire);
        connectTo(first, QStringLiteral("ctrl+1"));
        QCOMPARE(child<QLineEdit>("ipEdit")->text(), firstAddress);
        QCOMPARE(child<QComboBox>("ipCombo")->currentIndex(), 0);
        for (const QString &key : keys.split(' ')) {
            if (key == QLatin1String("osdBack"))
                QTest::mouseClick(child<QPushButton>("backBtn"), Qt::LeftButton); // a marker after it
            else if (key.startsWith(QLatin1String("key")))
                QVERIFY(xdo({key.section(':', 0, 0), key.section(':', 1)}));
            else
                QVERIFY(this->keys(key));
        }
        const QByteArray expected = keys.endsWith(QLatin1String("osdBack")) ? bytes("8101060604FF") : wire;
        QTRY_COMPARE(first->received().toHex(' '), expected.toHex(' '));
        // Nothing more follows: a marker sent now arrives right behind.
        QVERIFY(markerArrived(first));
        QCOMPARE(first->received().toHex(' '), (expected + osdBack).toHex(' '));
        QVERIFY(second->connectionCount() == 0 || !second->hasClient());
    }

    // Digits typed where text is edited are text; and no recall or store while a drive
    // is held, with a word on the screen instead.
    void noPresetFromTextOrWhileDriving()
    {
        connectTo(first, QStringLiteral("ctrl+1"));
        child<QLineEdit>("camNameEdit")->setFocus(Qt::OtherFocusReason);
        child<QLineEdit>("camNameEdit")->clear();
        QVERIFY(keys(QStringLiteral("1 2 ctrl+shift+3")));
        QTRY_COMPARE(child<QLineEdit>("camNameEdit")->text(), QStringLiteral("12"));
        focusButton();
        QVERIFY(xdo({"keydown", "Up"}));
        QTRY_COMPARE(first->received().toHex(' '), upDrive.toHex(' '));
        QVERIFY(keys(QStringLiteral("ctrl+shift+3")));
        QTRY_COMPARE(notice(), QStringLiteral("Store preset 3: not while driving"));
        QVERIFY(keys(QStringLiteral("4")));
        QTRY_COMPARE(notice(), QStringLiteral("Recall preset 4: not while driving"));
        // F1 opens the map without taking the focus: the drive goes on.
        QVERIFY(keys(QStringLiteral("F1")));
        QTRY_VERIFY(keyMapShown());
        QVERIFY(markerArrived(first));
        QCOMPARE(first->received().toHex(' '), (upDrive + osdBack).toHex(' '));
        QVERIFY(window->isActiveWindow());
        QVERIFY(xdo({"keyup", "Up"}));
        QTRY_COMPARE(first->received().toHex(' '), (upDrive + osdBack + stop).toHex(' '));
        QVERIFY(keys(QStringLiteral("F1")));
        QTRY_VERIFY(!keyMapShown());
    }

    // Switching while the old camera moves: its stop reaches it before its link
    // closes, the new one is connected, selecting it again does nothing.
    void cameraSelectAcrossTheLinksStates()
    {
        connectTo(first, QStringLiteral("ctrl+1"));
        QCOMPARE(notice(), QStringLiteral("Camera 1 \u00B7 A Left"));
        const int firstLinks = first->connectionCount();
        QVERIFY(keys(QStringLiteral("ctrl+1")));
        QVERIFY(markerArrived(first));
        QCOMPARE(first->connectionCount(), firstLinks);
        first->clearReceived();
        QVERIFY(first->hasClient());

        QVERIFY(xdo({"keydown", "Right"}));
        QTRY_COMPARE(first->received().toHex(' '), rightDrive.toHex(' '));
        QVERIFY(keys(QStringLiteral("ctrl+2")));
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QTRY_VERIFY(second->hasClient());
        QTRY_VERIFY(!first->hasClient());
        QCOMPARE(first->received().toHex(' '), (rightDrive + stop).toHex(' '));
        QCOMPARE(child<QLineEdit>("ipEdit")->text(), secondAddress);
        QCOMPARE(child<QComboBox>("ipCombo")->currentIndex(), 1);
        QVERIFY(xdo({"keyup", "Right"}));
        QVERIFY(markerArrived(second));
        QVERIFY(!second->received().contains(rightDrive));

        QVERIFY(keys(QStringLiteral("ctrl+7")));
        QTRY_COMPARE(notice(), QStringLiteral("No saved camera 7"));
        QVERIFY(second->hasClient());

        // Two switches in a row while the first is still Connecting: the last one wins,
        // one link at the end.
        const int secondLinks = second->connectionCount();
        QVERIFY(keys(QStringLiteral("ctrl+Next ctrl+Prior")));
        QTRY_COMPARE(second->connectionCount(), secondLinks + 1);
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QTRY_VERIFY(second->hasClient());
        QTRY_VERIFY(!first->hasClient());
        QCOMPARE(child<QLineEdit>("ipEdit")->text(), secondAddress);
        QVERIFY(boxes->texts().isEmpty());
    }

    // One controller runs the show too: X + D-pad up recalls preset 1 on release and
    // drives nothing; the right shoulder goes to the next saved camera.
    void controllerRecallsAndSelects()
    {
        QTRY_VERIFY(SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0);
        VirtualPad pad;
        QVERIFY(pad.isPlugged());
        QTRY_VERIFY(SDL_GameControllerFromInstanceID(pad.instanceId()) != nullptr);
        connectTo(first, QStringLiteral("ctrl+1"));
        SDL_GameController *seen = SDL_GameControllerFromInstanceID(pad.instanceId());
        // SDL reads a virtual pad's state when the remote polls: each change is let
        // in before the next, as a hand would make them.
        auto press = [&](SDL_GameControllerButton button, bool down) {
            pad.setButton(button, down);
            return QTest::qWaitFor([&] { return (SDL_GameControllerGetButton(seen, button) != 0) == down; }, 5000);
        };
        QVERIFY(press(SDL_CONTROLLER_BUTTON_X, true));
        QVERIFY(press(SDL_CONTROLLER_BUTTON_DPAD_UP, true));
        QVERIFY(press(SDL_CONTROLLER_BUTTON_DPAD_UP, false));
        QVERIFY(press(SDL_CONTROLLER_BUTTON_X, false));
        QTRY_COMPARE(first->received().toHex(' '), recallPreset1.toHex(' '));
        QVERIFY(press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, true));
        QVERIFY(press(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, false));
        QTRY_VERIFY(second->hasClient());
        QTRY_VERIFY(!first->hasClient());
        QTRY_COMPARE(state(), QStringLiteral("Disconnect"));
        QCOMPARE(first->received().toHex(' '), recallPreset1.toHex(' '));
    }

    void refusedWhileNotConnected()
    {
        QVERIFY(keys(QStringLiteral("5")));
        QTRY_COMPARE(notice(), QStringLiteral("Not connected"));
    }
};

HALVORINE_APP_TEST_MAIN(TestShow)

#include "test_show.moc"
