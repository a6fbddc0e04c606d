// The head's motion and its on-screen menu, on a clock the test moves by hand.
#include "headstate.h"

#include <QtTest>

#include <cmath>

namespace {

DecodedCommand drive(int panSpeed, int tiltSpeed, DecodedCommand::PanDir pan, DecodedCommand::TiltDir tilt)
{
    const char raw[] = {char(0x81), 0x01, 0x06, 0x01, char(panSpeed), char(tiltSpeed), char(pan), char(tilt), char(0xFF)};
    return ViscaCodec::decode(QByteArray(raw, sizeof raw));
}

// The remote's own messages.
const DecodedCommand Up = drive(0x0E, 0x0E, DecodedCommand::PanStop, DecodedCommand::Up);
const DecodedCommand Down = drive(0x0E, 0x0E, DecodedCommand::PanStop, DecodedCommand::Down);
const DecodedCommand Left = drive(0x0E, 0x0E, DecodedCommand::Left, DecodedCommand::TiltStop);
const DecodedCommand Right = drive(0x0E, 0x0E, DecodedCommand::Right, DecodedCommand::TiltStop);
const DecodedCommand Stop = drive(0x18, 0x14, DecodedCommand::PanStop, DecodedCommand::TiltStop);
const DecodedCommand Menu = ViscaCodec::decode(QByteArray::fromHex("8101043F025FFF"));
const DecodedCommand Enter = ViscaCodec::decode(QByteArray::fromHex("81010606 05FF"));
const DecodedCommand Back = ViscaCodec::decode(QByteArray::fromHex("81010606 04FF"));

} // namespace

class TestHeadState : public QObject
{
    Q_OBJECT
private slots:
    void init() { now = 1000; }
    void timedDriveMovesAtTheCommandedSpeed_data();
    void timedDriveMovesAtTheCommandedSpeed();
    void stopHoldsThePosition();
    void zoomRunsAtItsSpeedWithinItsRange();
    void stopsAtTheMechanicalLimits_data();
    void stopsAtTheMechanicalLimits();
    void presetsStoreAndRecallPositions();
    void homeCentresTheHead();
    void focusDrivesAndFocusesOnce();
    void menuPresetTogglesTheMenu();
    void enterAndBackWalkTheMenu();
    void driveKeysMoveTheMenuNotTheHead();
    void menuKeysAreIgnoredWhileClosed();

private:
    qint64 now = 0;
    HeadState::Clock clock = [this] { return now; };
};

void TestHeadState::timedDriveMovesAtTheCommandedSpeed_data()
{
    QTest::addColumn<int>("panSpeed");
    QTest::addColumn<int>("tiltSpeed");
    QTest::addColumn<int>("panDir");
    QTest::addColumn<int>("tiltDir");
    QTest::addColumn<int>("ms");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    // 3 degrees per second per speed step.
    QTest::newRow("up 14, 1 s") << 14 << 14 << 3 << 1 << 1000 << 0.0 << 42.0;
    QTest::newRow("down 14, 0.5 s") << 14 << 14 << 3 << 2 << 500 << 0.0 << -21.0;
    QTest::newRow("right 24, 0.25 s") << 24 << 1 << 2 << 3 << 250 << 18.0 << 0.0;
    QTest::newRow("left 1, 2 s") << 1 << 20 << 1 << 3 << 2000 << -6.0 << 0.0;
    QTest::newRow("up-right 10/5, 1 s") << 10 << 5 << 2 << 1 << 1000 << 30.0 << 15.0;
}

void TestHeadState::zoomRunsAtItsSpeedWithinItsRange()
{
    const auto zoom = [](const char *hex) { return ViscaCodec::decode(QByteArray::fromHex(hex)); };
    HeadState head(clock);
    QCOMPARE(head.position().zoom, 1.0);
    // Fastest: the whole 1x..12x in 1.5 s, so half of it (in the logarithm) in 0.75 s.
    head.apply(zoom("8101040727FF"));
    head.apply(Right); // pan-tilt moving meanwhile does not disturb the zoom
    now += 750;
    QVERIFY(qAbs(head.position().zoom - std::sqrt(12.0)) < 1e-9);
    now += 5000;
    QCOMPARE(head.position().zoom, HeadState::ZoomMax);
    head.apply(zoom("8101040700FF"));
    head.apply(Stop);
    QVERIFY(!head.isMoving());
    // Slowest wide: 12 s for the range; 6 s back from 12x is sqrt(12) again.
    head.apply(zoom("8101040730FF"));
    now += 6000;
    QVERIFY(qAbs(head.position().zoom - std::sqrt(12.0)) < 1e-9);
    now += 60000;
    QCOMPARE(head.position().zoom, 1.0);
}

void TestHeadState::timedDriveMovesAtTheCommandedSpeed()
{
    QFETCH(int, panSpeed);
    QFETCH(int, tiltSpeed);
    QFETCH(int, panDir);
    QFETCH(int, tiltDir);
    QFETCH(int, ms);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    HeadState head(clock);
    head.apply(drive(panSpeed, tiltSpeed, DecodedCommand::PanDir(panDir), DecodedCommand::TiltDir(tiltDir)));
    QVERIFY(head.isMoving());
    now += ms;
    QCOMPARE(head.position().pan, pan);
    QCOMPARE(head.position().tilt, tilt);
}

void TestHeadState::stopHoldsThePosition()
{
    HeadState head(clock);
    head.apply(Up);
    now += 500;
    QCOMPARE(head.apply(Stop), QStringLiteral("held at pan 0.0, tilt 21.0"));
    QVERIFY(!head.isMoving());
    now += 5000;
    QCOMPARE(head.position().tilt, 21.0);
    // A new drive starts from where the head was held.
    head.apply(Left);
    now += 1000;
    QCOMPARE(head.position().pan, -42.0);
    QCOMPARE(head.position().tilt, 21.0);
}

void TestHeadState::stopsAtTheMechanicalLimits_data()
{
    QTest::addColumn<int>("panDir");
    QTest::addColumn<int>("tiltDir");
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    QTest::newRow("right") << 2 << 3 << 170.0 << 0.0;
    QTest::newRow("left") << 1 << 3 << -170.0 << 0.0;
    QTest::newRow("up") << 3 << 1 << 0.0 << 90.0;
    QTest::newRow("down") << 3 << 2 << 0.0 << -30.0;
}

void TestHeadState::stopsAtTheMechanicalLimits()
{
    QFETCH(int, panDir);
    QFETCH(int, tiltDir);
    QFETCH(double, pan);
    QFETCH(double, tilt);
    HeadState head(clock);
    const auto dirs = [&](bool reverse) {
        const int p = panDir == 3 ? 3 : reverse ? 3 - panDir : panDir;
        const int t = tiltDir == 3 ? 3 : reverse ? 3 - tiltDir : tiltDir;
        return drive(0x18, 0x14, DecodedCommand::PanDir(p), DecodedCommand::TiltDir(t));
    };
    head.apply(dirs(false));
    now += 60000;
    QCOMPARE(head.position().pan, pan);
    QCOMPARE(head.position().tilt, tilt);
    // Held against the stop, the head comes straight back when reversed.
    head.apply(dirs(true));
    now += 100;
    QVERIFY(qAbs(head.position().pan) < qAbs(pan) || pan == 0);
    QVERIFY(qAbs(head.position().tilt) < qAbs(tilt) || tilt == 0);
}

// Store where the head is, drive away, recall: it travels back at its top speeds
// (72 deg/s pan, 60 deg/s tilt, zoom 1.5 s for the range), each axis stopping on arrival.
void TestHeadState::presetsStoreAndRecallPositions()
{
    const auto message = [](const char *hex) { return ViscaCodec::decode(QByteArray::fromHex(hex)); };
    HeadState head(clock);
    head.apply(drive(0x0E, 0x0E, DecodedCommand::Right, DecodedCommand::Up));
    head.apply(message("8101040727FF"));
    now += 750;
    head.apply(Stop);
    head.apply(message("8101040700FF"));
    head.apply(drive(0x0E, 0x0E, DecodedCommand::Right, DecodedCommand::Up));
    now += 250;
    head.apply(Stop);
    QCOMPARE(head.apply(message("8101043F0103FF")), QStringLiteral("pan 42.0, tilt 42.0")); // set 3
    QVERIFY(qAbs(head.position().zoom - std::sqrt(12.0)) < 1e-9);

    head.apply(drive(0x0E, 0x0E, DecodedCommand::Left, DecodedCommand::Down));
    head.apply(message("8101040737FF"));
    now += 1000;
    head.apply(Stop);
    head.apply(message("8101040700FF"));
    QCOMPARE(head.position().pan, 0.0);
    QCOMPARE(head.position().tilt, 0.0);
    QCOMPARE(head.position().zoom, 1.0);

    QCOMPARE(head.apply(message("8101043F0203FF")), QStringLiteral("heading for pan 42.0, tilt 42.0, zoom 3.5x"));
    // Half a second in it is on its way at top speed: 42 degrees of pan take 0.58 s,
    // of tilt 0.7 s, half the zoom range 0.75 s.
    now += 500;
    QVERIFY(head.isMoving());
    QCOMPARE(head.position().pan, 36.0);
    QCOMPARE(head.position().tilt, 30.0);
    QVERIFY(qAbs(head.position().zoom - std::cbrt(12.0)) < 1e-9);
    now += 1000;
    QVERIFY(!head.isMoving());
    QCOMPARE(head.position().pan, 42.0);
    QCOMPARE(head.position().tilt, 42.0);
    QVERIFY(qAbs(head.position().zoom - std::sqrt(12.0)) < 1e-9);
    // Preset 3 is not preset 2 or 4, and the menu's memory stores nothing.
    for (const char *other : {"8101043F0202FF", "8101043F0204FF"})
        QCOMPARE(head.apply(message(other)), QStringLiteral("preset not set"));
    QCOMPARE(head.apply(message("8101043F015FFF")), QStringLiteral("memory 95 is the OSD menu, not stored"));
    QVERIFY(head.apply(message("8101043F025FFF")).startsWith("OSD menu open"));
}

// Home heads for the centre at top speed and leaves the zoom; a drive on the way
// takes over.
void TestHeadState::homeCentresTheHead()
{
    HeadState head(clock);
    head.apply(drive(0x18, 0x14, DecodedCommand::Left, DecodedCommand::Up));
    now += 1000;
    head.apply(Stop);
    QCOMPARE(head.position().pan, -72.0);
    QCOMPARE(head.apply(ViscaCodec::decode(QByteArray::fromHex("81010604FF"))),
             QStringLiteral("heading for pan 0.0, tilt 0.0"));
    now += 500;
    QCOMPARE(head.position().pan, -36.0);
    QCOMPARE(head.position().tilt, 30.0);
    now += 600;
    QCOMPARE(head.position().pan, 0.0);
    QCOMPARE(head.position().tilt, 0.0);
    QVERIFY(!head.isMoving());
    head.apply(ViscaCodec::decode(QByteArray::fromHex("81010604FF")));
    head.apply(Left);
    now += 1000;
    QCOMPARE(head.position().pan, -42.0);
}

// Focus drives run at (p + 1) / 8 of the range a second within 0..1 and make the
// lens manual; one-push goes back to sharp and stays manual.
void TestHeadState::focusDrivesAndFocusesOnce()
{
    const auto message = [](const char *hex) { return ViscaCodec::decode(QByteArray::fromHex(hex)); };
    HeadState head(clock);
    QCOMPARE(head.position().focus, HeadState::SharpFocus);
    QVERIFY(!head.position().manualFocus);
    head.apply(message("8101040833FF")); // near, speed 3: half the range a second
    now += 500;
    QVERIFY(head.isMoving());
    QVERIFY(qAbs(head.position().focus - 0.35) < 1e-9);
    QVERIFY(head.position().manualFocus);
    now += 5000;
    QCOMPARE(head.position().focus, 0.0);
    head.apply(message("8101040800FF"));
    QVERIFY(!head.isMoving());
    head.apply(message("8101040827FF")); // far, fastest: the range in a second
    now += 250;
    head.apply(message("8101040800FF"));
    QVERIFY(qAbs(head.position().focus - 0.25) < 1e-9);
    head.apply(message("8101041801FF"));
    now += 200;
    QVERIFY(head.isMoving());
    now += 200;
    QVERIFY(qAbs(head.position().focus - HeadState::SharpFocus) < 1e-9);
    QVERIFY(!head.isMoving());
    QVERIFY(head.position().manualFocus);
}

void TestHeadState::menuPresetTogglesTheMenu()
{
    HeadState head(clock);
    head.apply(Up);
    now += 500;
    QVERIFY(head.apply(Menu).startsWith("OSD menu open"));
    QVERIFY(head.menu().isOpen());
    // The menu takes the joystick: a drive in progress ends where it was.
    QVERIFY(!head.isMoving());
    now += 1000;
    QCOMPARE(head.position().tilt, 21.0);
    QCOMPARE(head.apply(Menu), QStringLiteral("OSD menu closed"));
    QVERIFY(!head.menu().isOpen());
    head.apply(Menu);
    QCOMPARE(head.menu().depth(), 0);
    QCOMPARE(head.menu().cursor(), 0);
}

void TestHeadState::enterAndBackWalkTheMenu()
{
    HeadState head(clock);
    head.apply(Menu);
    QCOMPARE(head.menu().title(), QStringLiteral("MENU"));
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Exposure"));
    QCOMPARE(head.apply(Enter), QStringLiteral("EXPOSURE page, cursor on Mode: Auto"));
    QCOMPARE(head.menu().depth(), 1);
    // Enter on a setting steps it to its next value.
    head.apply(Enter);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Mode: Manual"));
    QCOMPARE(head.menu().depth(), 1);
    // Back returns to the entry the page was opened from, then closes.
    head.apply(Down);
    head.apply(Back);
    QCOMPARE(head.menu().title(), QStringLiteral("MENU"));
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Exposure"));
    QCOMPARE(head.apply(Back), QStringLiteral("OSD menu closed"));
    QVERIFY(!head.menu().isOpen());
    // Settings outlive the menu; "Exit" (last entry, one up from the top) closes it.
    head.apply(Menu);
    head.apply(Enter);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Mode: Manual"));
    head.apply(Back);
    head.apply(Up);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Exit"));
    head.apply(Enter);
    QVERIFY(!head.menu().isOpen());
}

void TestHeadState::driveKeysMoveTheMenuNotTheHead()
{
    HeadState head(clock);
    head.apply(Menu);
    QCOMPARE(head.apply(Down), QStringLiteral("MENU page, cursor on Colour"));
    head.apply(Stop);
    head.apply(Down);
    head.apply(Stop);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Image"));
    head.apply(Up);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("Colour"));
    head.apply(Enter);
    head.apply(Right);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("White balance: Indoor"));
    head.apply(Left);
    head.apply(Left);
    QCOMPARE(head.menu().currentEntry(), QStringLiteral("White balance: One push"));
    now += 3000;
    QVERIFY(!head.isMoving());
    QCOMPARE(head.position().pan, 0.0);
    QCOMPARE(head.position().tilt, 0.0);
}

void TestHeadState::menuKeysAreIgnoredWhileClosed()
{
    HeadState head(clock);
    QCOMPARE(head.apply(Enter), QStringLiteral("OSD menu closed, ignored"));
    QCOMPARE(head.apply(Back), QStringLiteral("OSD menu closed, ignored"));
    QVERIFY(!head.menu().isOpen());
}

QTEST_APPLESS_MAIN(TestHeadState)
#include "tst_headstate.moc"
