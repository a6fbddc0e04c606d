// The variable-speed drive and zoom builders: the bytes each gives, through the same
// hexToBytes the camera link sends with, and the clamping at the ends of each range.
#include "camera/viscadrive.h"

#include <QTest>

Q_DECLARE_METATYPE(ViscaDrive::Pan)
Q_DECLARE_METATYPE(ViscaDrive::Tilt)

namespace {

QByteArray wire(const ViscaCommand &command)
{
    const QByteArray bytes = hexToBytes(QString::fromLatin1(command.hexText));
    // The link writes byteCount bytes from the decoded text: the two must agree.
    if (command.byteCount != bytes.size())
        return QByteArray("byteCount ") + QByteArray::number(command.byteCount) + " for "
             + QByteArray::number(bytes.size()) + " bytes";
    return bytes;
}

} // namespace

class TestViscaDrive : public QObject
{
    Q_OBJECT

private slots:
    void panTiltGivesItsBytes_data()
    {
        using ViscaDrive::Pan;
        using ViscaDrive::Tilt;
        QTest::addColumn<Pan>("pan");
        QTest::addColumn<Tilt>("tilt");
        QTest::addColumn<int>("panSpeed");
        QTest::addColumn<int>("tiltSpeed");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("up slowest") << Pan::None << Tilt::Up << 1 << 1 << QByteArray::fromHex("810106010101 0301FF");
        QTest::newRow("right fastest") << Pan::Right << Tilt::None << 0x18 << 0x14 << QByteArray::fromHex("810106011814 0203FF");
        QTest::newRow("up-left") << Pan::Left << Tilt::Up << 5 << 9 << QByteArray::fromHex("810106010509 0101FF");
        QTest::newRow("down-right") << Pan::Right << Tilt::Down << 0x0C << 0x0A << QByteArray::fromHex("8101060 10C0A0202FF");
        QTest::newRow("speeds above range clamp") << Pan::Left << Tilt::Down << 99 << 99 << QByteArray::fromHex("810106011814 0102FF");
        QTest::newRow("speeds below range clamp") << Pan::Right << Tilt::Up << 0 << -4 << QByteArray::fromHex("810106010101 0201FF");
        QTest::newRow("no direction is the stop") << Pan::None << Tilt::None << 3 << 3 << QByteArray::fromHex("810106011814 0303FF");
    }

    void panTiltGivesItsBytes()
    {
        QFETCH(ViscaDrive::Pan, pan);
        QFETCH(ViscaDrive::Tilt, tilt);
        QFETCH(int, panSpeed);
        QFETCH(int, tiltSpeed);
        QFETCH(QByteArray, expected);
        QCOMPARE(wire(ViscaDrive::panTilt(pan, tilt, panSpeed, tiltSpeed)), expected);
    }

    void stopIsTheOnScreenStop()
    {
        QCOMPARE(wire(ViscaDrive::panTiltStop()),
                 wire(makeViscaCommand(Visca::driveStop, Visca::driveLength)));
    }

    void zoomGivesItsBytes()
    {
        QCOMPARE(wire(ViscaDrive::zoomTele(0)), QByteArray::fromHex("810104072 0FF"));
        QCOMPARE(wire(ViscaDrive::zoomTele(7)), QByteArray::fromHex("8101040727FF"));
        QCOMPARE(wire(ViscaDrive::zoomWide(3)), QByteArray::fromHex("8101040733FF"));
        QCOMPARE(wire(ViscaDrive::zoomWide(12)), QByteArray::fromHex("8101040737FF"));
        QCOMPARE(wire(ViscaDrive::zoomTele(-1)), QByteArray::fromHex("8101040720FF"));
        QCOMPARE(wire(ViscaDrive::zoomStop()), QByteArray::fromHex("8101040700FF"));
    }
};

QTEST_APPLESS_MAIN(TestViscaDrive)
#include "test_viscadrive.moc"
