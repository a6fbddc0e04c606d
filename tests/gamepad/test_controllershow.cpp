// The controller's show map on its own: which presses pick, recall and store presets,
// and that nothing recalls, stores or switches while the camera is being driven.
#include "input/controllershow.h"

#include <QSignalSpy>
#include <QtTest>

Q_DECLARE_METATYPE(ShowAction)

namespace {

using B = ControllerShow::Button;

// What the map said, in order: "Recall preset 3", "-Focus near" for a release,
// "refused: Not while driving".
struct Said
{
    QStringList lines;
    explicit Said(ControllerShow &show)
    {
        QObject::connect(&show, &ControllerShow::action, [this](const ShowAction &a, bool pressed) {
            lines << (pressed ? QString() : QStringLiteral("-")) + a.description()
                         + (a.isHeld() && pressed ? QStringLiteral(" %1").arg(a.number) : QString());
        });
        QObject::connect(&show, &ControllerShow::refused, [this](const QString &why) { lines << "refused: " + why; });
    }
};

} // namespace

class TestControllerShow : public QObject
{
    Q_OBJECT

    bool driving = false;

private slots:
    void init() { driving = false; }

    void quickPressesRecallAndPassTheRest()
    {
        ControllerShow show([this] { return driving; });
        Said said(show);
        QVERIFY(!show.button(B::DpadUp, true)); // no X or Y: the D-pad drives
        QVERIFY(!show.button(B::DpadUp, false));
        const struct { B shift; B arrow; const char *recall; } rows[] = {
            {B::X, B::DpadUp, "Recall preset 1"}, {B::X, B::DpadRight, "Recall preset 2"},
            {B::X, B::DpadDown, "Recall preset 3"}, {B::X, B::DpadLeft, "Recall preset 4"},
            {B::Y, B::DpadUp, "Recall preset 5"}, {B::Y, B::DpadLeft, "Recall preset 8"},
        };
        for (const auto &row : rows) {
            show.button(row.shift, true);
            QVERIFY(show.button(row.arrow, true));
            QVERIFY(said.lines.isEmpty() || said.lines.last() != row.recall); // not on the press
            QVERIFY(show.button(row.arrow, false));
            show.button(row.shift, false);
            QCOMPARE(said.lines.last(), QString::fromLatin1(row.recall));
        }
        QCOMPARE(said.lines.size(), 6);
        for (B button : {B::LeftShoulder, B::RightShoulder, B::Back, B::RightStick})
            QVERIFY(show.button(button, true) && show.button(button, false));
        QCOMPARE(said.lines.mid(6), (QStringList{"Previous camera", "Next camera", "Home", "One-push autofocus"}));
    }

    // Held 1.5 s: stored, and the release recalls nothing. A drive during the hold
    // cancels it; a press while driving does nothing at all.
    void aLongHoldStoresAndDrivingStopsEverything()
    {
        ControllerShow show([this] { return driving; });
        Said said(show);
        QSignalSpy acted(&show, &ControllerShow::action);
        QElapsedTimer held;
        show.button(B::X, true);
        show.button(B::DpadDown, true);
        held.start();
        QVERIFY(acted.wait(ControllerShow::storeHoldMs + 1000));
        QVERIFY(held.elapsed() >= ControllerShow::storeHoldMs - 5);
        show.button(B::DpadDown, false);
        QCOMPARE(said.lines, QStringList{"Store preset 3"});

        said.lines.clear();
        show.button(B::DpadRight, true);
        driving = true; // the stick starts to drive during the hold
        QVERIFY(!acted.wait(ControllerShow::storeHoldMs + 200));
        show.button(B::DpadRight, false);
        QCOMPARE(said.lines, QStringList{"refused: Not while driving"});

        said.lines.clear();
        QVERIFY(show.button(B::DpadLeft, true)); // taken, so it does not drive either
        show.button(B::DpadLeft, false);
        for (B button : {B::LeftShoulder, B::RightShoulder, B::Back})
            show.button(button, true);
        QCOMPARE(said.lines, QStringList({"refused: Not while driving", "refused: Not while driving", "refused: Not while driving", "refused: Not while driving"}));
        QCOMPARE(show.pendingPreset(), 0);
    }

    void rightStickFocusesSidewaysOnly_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<QString>("said");
        QTest::newRow("centred") << 0 << 0 << "";
        QTest::newRow("inside the dead zone") << 7000 << 0 << "";
        QTest::newRow("full right") << 32767 << 0 << "Focus far 7";
        QTest::newRow("half left") << -20000 << 0 << "Focus near 3";
        QTest::newRow("more up than right: zoom's") << 20000 << -25000 << "";
    }

    void rightStickFocusesSidewaysOnly()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(QString, said);
        ControllerShow show([this] { return driving; });
        Said what(show);
        show.setRightStick(x, y);
        QCOMPARE(what.lines.join(';'), said);
        show.setRightStick(x, y); // the same again says nothing more
        show.release();           // unplugged: a hold is let go
        QCOMPARE(what.lines.join(';'), said.isEmpty() ? said : said + ";-" + said.section(' ', 0, 1));
    }
};

QTEST_MAIN(TestControllerShow)
#include "test_controllershow.moc"
