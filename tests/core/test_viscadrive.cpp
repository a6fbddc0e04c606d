// The variable-speed drive, zoom and focus builders at the edges of their ranges and
// the show messages (presets, home, autofocus), read back through the same hexToBytes
// the camera link sends with. (Speeds inside the ranges are checked on the wire by the
// controller tests.)
#include "camera/viscadrive.h"

#include <QTest>

#include <optional>

Q_DECLARE_METATYPE(std::optional<ViscaCommand>)

namespace {

QByteArray wire(const ViscaCommand &command)
{
    const QByteArray bytes = hexToBytes(QString::fromLatin1(command.hexText));
    // The link writes byteCount bytes from the decoded text: the two must agree.
    return command.byteCount == bytes.size() ? bytes : QByteArray("byteCount disagrees with the text");
}

} // namespace

class TestViscaDrive : public QObject
{
    Q_OBJECT

private slots:
    void speedsAreClampedIntoTheirRanges()
    {
        using ViscaDrive::Pan;
        using ViscaDrive::Tilt;
        QCOMPARE(wire(ViscaDrive::panTilt(Pan::Left, Tilt::Down, 99, 99)), QByteArray::fromHex("8101060118140102FF"));
        QCOMPARE(wire(ViscaDrive::panTilt(Pan::Right, Tilt::Up, 0, -4)), QByteArray::fromHex("8101060101010201FF"));
        QCOMPARE(wire(ViscaDrive::zoomTele(-1)), QByteArray::fromHex("8101040720FF"));
        QCOMPARE(wire(ViscaDrive::zoomWide(12)), QByteArray::fromHex("8101040737FF"));
    }

    void noDirectionIsTheOnScreenStop()
    {
        // The bytes the on-screen arrows' release sends, as the camera reads them.
        const QByteArray onScreenStop = QByteArray::fromHex("8101060118140303FF");
        QCOMPARE(wire(ViscaDrive::panTilt(ViscaDrive::Pan::None, ViscaDrive::Tilt::None, 3, 3)), onScreenStop);
        QCOMPARE(wire(ViscaDrive::panTiltStop()), onScreenStop);
        QCOMPARE(wire(ViscaDrive::zoomStop()), QByteArray::fromHex("8101040700FF"));
    }

    // Each show message byte for byte, and the memories no preset may reach.
    void showMessagesOnTheWire_data()
    {
        QTest::addColumn<std::optional<ViscaCommand>>("command");
        QTest::addColumn<QByteArray>("bytes");
        using namespace ViscaDrive;
        QTest::newRow("recall 1 is memory 1") << presetRecall(1) << QByteArray::fromHex("8101043F0201FF");
        QTest::newRow("recall 0") << presetRecall(0) << QByteArray::fromHex("8101043F0200FF");
        QTest::newRow("recall 10") << presetRecall(10) << QByteArray::fromHex("8101043F020AFF");
        QTest::newRow("recall 89") << presetRecall(89) << QByteArray::fromHex("8101043F0259FF");
        QTest::newRow("store 3") << presetStore(3) << QByteArray::fromHex("8101043F0103FF");
        QTest::newRow("store 9") << presetStore(9) << QByteArray::fromHex("8101043F0109FF");
        QTest::newRow("recall 95, the menu") << presetRecall(95) << QByteArray();
        QTest::newRow("store 95, the menu") << presetStore(95) << QByteArray();
        QTest::newRow("recall 90") << presetRecall(90) << QByteArray();
        QTest::newRow("recall -1") << presetRecall(-1) << QByteArray();
        QTest::newRow("recall 256 would wrap to 0") << presetRecall(256) << QByteArray();
        QTest::newRow("home") << std::optional(home()) << QByteArray::fromHex("81010604FF");
        QTest::newRow("one-push AF") << std::optional(onePushFocus()) << QByteArray::fromHex("8101041801FF");
        QTest::newRow("focus far 5") << std::optional(focusFar(5)) << QByteArray::fromHex("8101040825FF");
        QTest::newRow("focus near 2") << std::optional(focusNear(2)) << QByteArray::fromHex("8101040832FF");
        QTest::newRow("focus far clamped") << std::optional(focusFar(9)) << QByteArray::fromHex("8101040827FF");
        QTest::newRow("focus near clamped") << std::optional(focusNear(-3)) << QByteArray::fromHex("8101040830FF");
    }

    void showMessagesOnTheWire()
    {
        QFETCH(std::optional<ViscaCommand>, command);
        QFETCH(QByteArray, bytes);
        QCOMPARE(command ? wire(*command) : QByteArray(), bytes);
    }
};

QTEST_APPLESS_MAIN(TestViscaDrive)
#include "test_viscadrive.moc"
