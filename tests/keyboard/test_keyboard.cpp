// The real program under a real X server, driven with real key events (xdotool, the
// server's auto-repeat on) against a real TCP peer: each hold is one drive and one
// stop, on an idle machine and with both cores kept busy; keys typed where text is
// edited send nothing; focus loss and the program's end stop what still moves.
#include "focusthief.h"
#include "recordingpeer.h"
#include "xkeywatch.h"
#include "xsession.h"

#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <vector>

namespace {

const QString windowTitleText = QStringLiteral("Halvorine Camera OSD Remote");
const QHostAddress peerAddress(QStringLiteral("127.0.5.2"));

const QByteArray upDrive = QByteArray::fromHex("810106010E0E0301FF");
const QByteArray downDrive = QByteArray::fromHex("810106010E0E0302FF");
const QByteArray leftDrive = QByteArray::fromHex("810106010E0E0103FF");
const QByteArray rightDrive = QByteArray::fromHex("810106010E0E0203FF");
const QByteArray stop = QByteArray::fromHex("8101060118140303FF");
const QByteArray zoomIn = QByteArray::fromHex("8101040723FF");
const QByteArray zoomOut = QByteArray::fromHex("8101040733FF");
const QByteArray zoomStop = QByteArray::fromHex("8101040700FF");
// A message no key of ours sends, typed last to know that everything before it arrived.
const QByteArray osdBack = QByteArray::fromHex("8101060604FF");

// The widgets in the window's Tab order; Tab from the last one comes back to the first.
const QStringList tabOrder = {"ipEdit", "camNameEdit", "saveBtn", "ipCombo", "loadBtn",
                              "removeBtn", "previewBtn", "connectBtn", "upBtn", "rightBtn",
                              "leftBtn", "downBtn", "osdBtn", "enterBtn", "backBtn"};

// Two processes that spin for as long as they live: a machine busy with a build.
class CpuLoad
{
public:
    explicit CpuLoad(bool on)
    {
        for (int i = 0; on && i < 2; ++i) {
            spinners.push_back(std::make_unique<QProcess>());
            spinners.back()->start(QStringLiteral("sh"), {"-c", "while :; do :; done"});
            spinners.back()->waitForStarted(5000);
        }
    }
    ~CpuLoad()
    {
        for (auto &spinner : spinners) {
            spinner->kill();
            spinner->waitForFinished(5000);
        }
    }

private:
    std::vector<std::unique_ptr<QProcess>> spinners;
};

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QProcess program;
    RecordingPeer peer{peerAddress};
    unsigned long window = 0;
    std::unique_ptr<XKeyWatch> keyWatch;
    int focusIndex = 0;

    static bool xdo(const QStringList &arguments) { return !XSession::xdotool(arguments).isNull(); }

    // Starts the program, types the peer's address and connects, as an operator would.
    bool startConnected()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(HALVORINE_PROGRAM), QStringList());
        if (!program.waitForStarted(10000))
            return false;
        window = XSession::waitForWindow(windowTitleText);
        if (window == 0 || !xdo({"windowfocus", "--sync", QString::number(window)}))
            return false;
        keyWatch = std::make_unique<XKeyWatch>(window);
        // Repeats come sooner and faster than by default (a quick typist's setting is
        // 200 ms and 25 ms), so that a short hold has many, close together.
        if (!keyWatch->setAutoRepeat(100, 10))
            return false;
        focusIndex = 0; // the address field has the focus when the window opens
        const int connections = peer.connectionCount();
        if (!xdo({"type", "--delay", "20", peerAddress.toString()}) || !tabTo("connectBtn")
            || !xdo({"key", "space"}))
            return false;
        if (!QTest::qWaitFor([&] { return peer.connectionCount() > connections; }, 10000))
            return false;
        peer.clearReceived();
        return true;
    }

    // Tab or Shift+Tab, whichever way round the chain is shorter.
    bool tabTo(const QString &name)
    {
        const int size = int(tabOrder.size());
        const int target = int(tabOrder.indexOf(name));
        const int forward = (target - focusIndex + size) % size;
        const bool back = forward > size - forward;
        QStringList keys{"key", "--delay", "30"};
        for (int step = back ? size - forward : forward; step > 0; --step)
            keys << (back ? QStringLiteral("shift+Tab") : QStringLiteral("Tab"));
        focusIndex = target;
        return keys.size() == 3 || xdo(keys);
    }

    // Holds the key until the server has repeated it `repeats` times to the window
    // `watch` looks at (the main window's by default).
    bool hold(const QString &key, int repeats = 25, XKeyWatch *watch = nullptr)
    {
        if (!watch)
            watch = keyWatch.get();
        watch->reset();
        if (!xdo({"keydown", key}))
            return false;
        return QTest::qWaitFor([&] { return watch->presses() > repeats; }, 10000);
    }

    // Everything the program sent so far: ends with OSD Back, typed on backBtn.
    QByteArray sentSoFar()
    {
        if (!tabTo("backBtn") || !xdo({"key", "space"}))
            return "could not reach backBtn";
        if (!QTest::qWaitFor([&] { return peer.received().endsWith(osdBack); }, 10000))
            return "OSD Back never arrived after " + peer.received().toHex(' ');
        QByteArray bytes = peer.received();
        bytes.chop(osdBack.size());
        peer.clearReceived();
        return bytes;
    }

    void stopProgram()
    {
        if (program.state() == QProcess::NotRunning)
            return;
        if (window)
            XSession::requestClose(window);
        if (!program.waitForFinished(10000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    }

private slots:
    void initTestCase()
    {
        qRegisterMetaType<QProcess::ExitStatus>();
        QVERIFY2(peer.isListening(), qPrintable(peer.errorString()));
        QVERIFY(startConnected());
    }
    void cleanupTestCase() { stopProgram(); }

    void holdingAKeyIsOneDriveAndOneStop_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QByteArray>("expected");
        const struct { const char *key; QByteArray expected; } keys[] = {
            {"Up", upDrive + stop}, {"Down", downDrive + stop},
            {"Left", leftDrive + stop}, {"Right", rightDrive + stop},
            {"Prior", zoomIn + zoomStop}, {"Next", zoomOut + zoomStop},
        };
        for (bool busy : {false, true}) {
            for (const auto &k : keys)
                QTest::addRow("%s %s", k.key, busy ? "busy" : "idle") << k.key << busy << k.expected;
        }
    }
    void holdingAKeyIsOneDriveAndOneStop()
    {
        QFETCH(QString, key);
        QFETCH(bool, busy);
        QFETCH(QByteArray, expected);
        // On a button, where an arrow key would otherwise move the focus.
        QVERIFY(tabTo("osdBtn"));
        {
            CpuLoad load(busy);
            QVERIFY(hold(key));
            QVERIFY(xdo({"keyup", key}));
            // The stop has arrived before the load goes.
            QTRY_VERIFY_WITH_TIMEOUT(peer.received().size() >= expected.size(), 10000);
        }
        QCOMPARE(sentSoFar().toHex(' '), expected.toHex(' '));
    }

    void spaceOnAnOnScreenArrowIsOneDriveAndOneStop_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QByteArray>("drive");
        for (bool busy : {false, true}) {
            const char *load = busy ? "busy" : "idle";
            QTest::addRow("upBtn %s", load) << "upBtn" << busy << upDrive;
            QTest::addRow("rightBtn %s", load) << "rightBtn" << busy << rightDrive;
            QTest::addRow("leftBtn %s", load) << "leftBtn" << busy << leftDrive;
            QTest::addRow("downBtn %s", load) << "downBtn" << busy << downDrive;
        }
    }
    void spaceOnAnOnScreenArrowIsOneDriveAndOneStop()
    {
        QFETCH(QString, button);
        QFETCH(bool, busy);
        QFETCH(QByteArray, drive);
        QVERIFY(tabTo(button));
        {
            CpuLoad load(busy);
            QVERIFY(hold(QStringLiteral("space")));
            QVERIFY(xdo({"keyup", "space"}));
            QTRY_VERIFY_WITH_TIMEOUT(peer.received().size() >= 2 * drive.size(), 10000);
        }
        QCOMPARE(sentSoFar().toHex(' '), (drive + stop).toHex(' '));
    }

    void theLatestArrowHeldDrives()
    {
        QVERIFY(tabTo("osdBtn"));
        QVERIFY(hold("Left", 5));
        QVERIFY(hold("Up", 5));
        QVERIFY(xdo({"keyup", "Up"}));
        QTRY_COMPARE(peer.received().toHex(' '), (leftDrive + upDrive + leftDrive).toHex(' '));
        QVERIFY(xdo({"keyup", "Left"}));
        QCOMPARE(sentSoFar().toHex(' '), (leftDrive + upDrive + leftDrive + stop).toHex(' '));
    }

    void arrowsWhereTextIsEditedSendNothing()
    {
        for (const char *widget : {"ipEdit", "camNameEdit", "ipCombo"}) {
            QVERIFY(tabTo(widget));
            for (const char *key : {"Left", "Right", "Up", "Down", "Prior", "Next"}) {
                QVERIFY(hold(key, 3));
                QVERIFY(xdo({"keyup", key}));
            }
        }
        QCOMPARE(sentSoFar().toHex(' '), QByteArray());
        // The same keys anywhere else in the window do drive.
        QVERIFY(tabTo("previewBtn"));
        QVERIFY(xdo({"key", "Down"}));
        QCOMPARE(sentSoFar().toHex(' '), (downDrive + stop).toHex(' '));
    }

    void losingTheFocusWhileHeldStopsAtOnce_data()
    {
        QTest::addColumn<QString>("widget");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QByteArray>("started");
        QTest::addColumn<QByteArray>("stops");
        QTest::addRow("arrow and Page Up") << "osdBtn" << QStringList{"Right", "Prior"}
                                           << rightDrive + zoomIn << stop + zoomStop;
        // The button lets go with the focus and sends its own stop, once.
        QTest::addRow("Space on upBtn") << "upBtn" << QStringList{"space"} << upDrive << stop;
    }
    void losingTheFocusWhileHeldStopsAtOnce()
    {
        QFETCH(QString, widget);
        QFETCH(QStringList, keys);
        QFETCH(QByteArray, started);
        QFETCH(QByteArray, stops);
        FocusThief otherProgram;
        QVERIFY(otherProgram.isOpen());
        QVERIFY(tabTo(widget));
        for (const QString &key : keys)
            QVERIFY(hold(key, 5));
        QTRY_COMPARE(peer.received().toHex(' '), started.toHex(' '));
        QVERIFY(otherProgram.takeFocus());
        QTRY_COMPARE_WITH_TIMEOUT(peer.received().toHex(' '), (started + stops).toHex(' '), 5000);
        for (const QString &key : keys)
            QVERIFY(xdo({"keyup", key}));
        QVERIFY(xdo({"windowfocus", "--sync", QString::number(window)}));
        peer.clearReceived();
        // Nothing more went out for the keys that came up elsewhere.
        QCOMPARE(sentSoFar().toHex(' '), QByteArray());
    }

    // Leaves the main window's focus where the Tab count no longer knows it: the
    // program is closed after it, and the rows below start their own.
    void theKeysDriveFromThePreviewFloatingAndSnapped()
    {
        QVERIFY(tabTo("previewBtn"));
        QVERIFY(xdo({"key", "space"}));
        const unsigned long preview = XSession::waitForWindow(QStringLiteral("Preview"));
        QVERIFY(preview != 0);
        QVERIFY(xdo({"windowfocus", "--sync", QString::number(preview)}));
        XKeyWatch previewKeys(preview);
        QVERIFY(hold("Left", 3, &previewKeys));
        QVERIFY(xdo({"keyup", "Left"}));
        QVERIFY(xdo({"key", "Next"}));
        QTRY_COMPARE(peer.received().toHex(' '), (leftDrive + stop + zoomOut + zoomStop).toHex(' '));
        // Play -> Stop -> Snap, checked: the dialog moves into the main window.
        QVERIFY(xdo({"key", "--delay", "30", "Tab", "Tab", "space"}));
        QTRY_VERIFY(XSession::waitForWindow(QStringLiteral("Preview"), 0) == 0);
        QVERIFY(xdo({"windowfocus", "--sync", QString::number(window)}));
        QVERIFY(xdo({"key", "Up"}));
        QTRY_COMPARE(peer.received().toHex(' '), (leftDrive + stop + zoomOut + zoomStop + upDrive + stop).toHex(' '));
        // Snap unchecked again: floating, then away with Escape.
        QVERIFY(xdo({"key", "space"}));
        const unsigned long floating = XSession::waitForWindow(QStringLiteral("Preview"));
        QVERIFY(floating != 0);
        QVERIFY(xdo({"windowfocus", "--sync", QString::number(floating)}));
        QVERIFY(xdo({"key", "Escape"}));
        QTRY_VERIFY(XSession::waitForWindow(QStringLiteral("Preview"), 0) == 0);
        QCOMPARE(peer.received().toHex(' '), (leftDrive + stop + zoomOut + zoomStop + upDrive + stop).toHex(' '));
        stopProgram();
        peer.clearReceived();
    }

    // Last: each row ends the program.
    void theProgramsEndStopsWhatStillMoves_data()
    {
        QTest::addColumn<int>("signal");
        QTest::addRow("SIGTERM") << int(SIGTERM);
        QTest::addRow("SIGINT") << int(SIGINT);
        QTest::addRow("SIGHUP") << int(SIGHUP);
        QTest::addRow("window closed") << 0;
    }
    void theProgramsEndStopsWhatStillMoves()
    {
        QFETCH(int, signal);
        if (program.state() == QProcess::NotRunning)
            QVERIFY(startConnected());
        QVERIFY(tabTo("osdBtn"));
        QVERIFY(hold("Down", 3));
        QVERIFY(hold("Next", 3));
        QTRY_COMPARE(peer.received().toHex(' '), (downDrive + zoomOut).toHex(' '));
        QSignalSpy finished(&program, SIGNAL(finished(int,QProcess::ExitStatus)));
        if (signal)
            QCOMPARE(::kill(pid_t(program.processId()), signal), 0);
        else
            QVERIFY(XSession::requestClose(window));
        QVERIFY(finished.wait(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
        QTRY_COMPARE(peer.received().toHex(' '), (downDrive + zoomOut + stop + zoomStop).toHex(' '));
        QVERIFY(xdo({"keyup", "Down"}));
        QVERIFY(xdo({"keyup", "Next"}));
        peer.clearReceived();
    }
};

QTEST_GUILESS_MAIN(TestKeyboard)
#include "test_keyboard.moc"
