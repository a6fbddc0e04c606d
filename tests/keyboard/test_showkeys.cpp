// The key map as Qt reports keys on X11: the digit row by its key codes (10 .. 19)
// whatever character the layout and Shift make of it, the keypad by its key, and the
// modifiers each action wants, exactly.
#include "input/showkeys.h"

#include <QKeyEvent>
#include <QTest>

Q_DECLARE_METATYPE(ShowAction)

class TestShowKeys : public QObject
{
    Q_OBJECT

private slots:
    void keysMapToActions_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("scanCode");
        QTest::addColumn<ShowAction>("action");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        const int alt = Qt::AltModifier, keypad = Qt::KeypadModifier;
        using A = ShowAction;
        QTest::newRow("1 recalls 1") << int(Qt::Key_1) << none << 10 << A{A::RecallPreset, 1};
        QTest::newRow("0 recalls 0, not 10") << int(Qt::Key_0) << none << 19 << A{A::RecallPreset, 0};
        QTest::newRow("AZERTY's unshifted 3 is \"") << int(Qt::Key_QuoteDbl) << none << 12 << A{A::RecallPreset, 3};
        QTest::newRow("Ctrl+2 selects camera 2") << int(Qt::Key_2) << ctrl << 11 << A{A::SelectCamera, 2};
        QTest::newRow("Ctrl+0 selects nothing") << int(Qt::Key_0) << ctrl << 19 << A{};
        QTest::newRow("US Ctrl+Shift+3 is #") << int(Qt::Key_NumberSign) << ctrl + shift << 12 << A{A::StorePreset, 3};
        QTest::newRow("German Ctrl+Shift+3 is section") << int(Qt::Key_section) << ctrl + shift << 12 << A{A::StorePreset, 3};
        QTest::newRow("Ctrl+Shift+0 stores 0") << int(Qt::Key_ParenRight) << ctrl + shift << 19 << A{A::StorePreset, 0};
        QTest::newRow("Shift+3 alone does nothing") << int(Qt::Key_NumberSign) << shift << 12 << A{};
        QTest::newRow("Alt+3 does nothing") << int(Qt::Key_3) << alt << 12 << A{};
        QTest::newRow("Ctrl+Alt+3 (AltGr) stores nothing") << int(Qt::Key_3) << ctrl + alt << 12 << A{};
        QTest::newRow("keypad 7 recalls 7") << int(Qt::Key_7) << keypad << 79 << A{A::RecallPreset, 7};
        QTest::newRow("keypad Home is Home") << int(Qt::Key_Home) << keypad << 79 << A{A::Home, 0};
        QTest::newRow("Up drives") << int(Qt::Key_Up) << none << 111 << A{A::DriveUp, 0};
        QTest::newRow("Shift+Left drives") << int(Qt::Key_Left) << shift << 113 << A{A::DriveLeft, 0};
        QTest::newRow("Ctrl+Up does nothing") << int(Qt::Key_Up) << ctrl << 111 << A{};
        QTest::newRow("PgUp zooms in") << int(Qt::Key_PageUp) << none << 112 << A{A::ZoomIn, 0};
        QTest::newRow("Ctrl+PgDn next camera") << int(Qt::Key_PageDown) << ctrl << 117 << A{A::NextCamera, 0};
        QTest::newRow("Ctrl+PgUp previous camera") << int(Qt::Key_PageUp) << ctrl << 112 << A{A::PreviousCamera, 0};
        QTest::newRow("F focuses far") << int(Qt::Key_F) << none << 41 << A{A::FocusFar, 0};
        QTest::newRow("N focuses near") << int(Qt::Key_N) << none << 57 << A{A::FocusNear, 0};
        QTest::newRow("A autofocuses") << int(Qt::Key_A) << none << 38 << A{A::OnePushFocus, 0};
        QTest::newRow("Ctrl+A does nothing") << int(Qt::Key_A) << ctrl << 38 << A{};
        QTest::newRow("F1 key map") << int(Qt::Key_F1) << none << 67 << A{A::KeyMap, 0};
        QTest::newRow("Home") << int(Qt::Key_Home) << none << 110 << A{A::Home, 0};
        QTest::newRow("L preview latency") << int(Qt::Key_L) << none << 46 << A{A::PreviewLatency, 0};
    }

    void keysMapToActions()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, scanCode);
        QFETCH(ShowAction, action);
        const QKeyEvent event(QEvent::KeyPress, key, Qt::KeyboardModifiers(modifiers), quint32(scanCode), 0, 0);
        const ShowAction got = ShowKeys::actionFor(&event);
        QVERIFY2(got == action, qPrintable(QStringLiteral("got \"%1\" (%2), want \"%3\" (%4)")
                                               .arg(got.description()).arg(got.number)
                                               .arg(action.description()).arg(action.number)));
    }
};

QTEST_APPLESS_MAIN(TestShowKeys)
#include "test_showkeys.moc"
