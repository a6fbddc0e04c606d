// The variable-speed drive and zoom builders at the edges of their ranges, read back
// through the same hexToBytes the camera link sends with. (Speeds inside the ranges
// are checked on the wire by the controller tests.)
#include "camera/viscadrive.h"

#include <QTest>

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
};

QTEST_APPLESS_MAIN(TestViscaDrive)
#include "test_viscadrive.moc"
