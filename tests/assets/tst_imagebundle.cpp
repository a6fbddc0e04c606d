// The images as the program sees them: the compiled-in resource bundle.

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPoint>
#include <QResource>
#include <QtEndian>
#include <QtTest>

namespace {

const QString kImageDir = QStringLiteral(":/assets/img");

QImage loadImage(const QString &name)
{
    QImage image(kImageDir + QLatin1Char('/') + name);
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Every pixel that shows at all shows `colour`: the images are flat, with only
// their alpha varying along edges. Returns the first offending pixel, or none.
QString firstOffColourPixel(const QImage &image, const QRect &area, QRgb colour)
{
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) != 0 && (pixel & 0xffffffu) != (colour & 0xffffffu))
                return QStringLiteral("(%1,%2) is #%3").arg(x).arg(y).arg(pixel, 8, 16, QLatin1Char('0'));
        }
    return QString();
}

} // namespace

class TestImageBundle : public QObject
{
    Q_OBJECT

private slots:
    void bundleHoldsExactlyTheSevenImages();
    void imagesAre8BitRgbaOfTheirSize_data();
    void imagesAre8BitRgbaOfTheirSize();
    void toggleDiscs_data();
    void toggleDiscs();
    void arrowFaces_data();
    void arrowFaces();
};

void TestImageBundle::bundleHoldsExactlyTheSevenImages()
{
    QStringList expected{"downarrow.png", "leftarrow.png", "rightarrow.png", "toggle-mid.png",
                         "toggle-off.png", "toggle-on.png", "uparrow.png"};
    QStringList listed = QDir(kImageDir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    listed.sort();
    QCOMPARE(listed, expected);
    QCOMPARE(QDir(QStringLiteral(":/assets")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("img")});

    for (const QString &name : expected) {
        const QResource resource(kImageDir + QLatin1Char('/') + name);
        QVERIFY2(resource.isValid(), qPrintable(name));
        // Stored as they are (rcc --no-compress), whatever rcc's own defaults.
        QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
    }
}

void TestImageBundle::imagesAre8BitRgbaOfTheirSize_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("size");
    for (const char *name : {"toggle-off.png", "toggle-on.png", "toggle-mid.png"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(16, 16);
    for (const char *name : {"uparrow.png", "downarrow.png", "leftarrow.png", "rightarrow.png"})
        QTest::newRow(name) << QString::fromLatin1(name) << QSize(44, 132);
}

void TestImageBundle::imagesAre8BitRgbaOfTheirSize()
{
    QFETCH(QString, name);
    QFETCH(QSize, size);

    QFile file(kImageDir + QLatin1Char('/') + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    // PNG signature, then the IHDR chunk: length, type, width, height, bit depth,
    // colour type (6 = RGBA).
    const QByteArray head = file.read(26);
    QCOMPARE(head.size(), 26);
    QCOMPARE(head.left(8), QByteArray("\x89PNG\r\n\x1a\n", 8));
    QCOMPARE(head.mid(12, 4), QByteArray("IHDR"));
    const auto *bytes = reinterpret_cast<const uchar *>(head.constData());
    QCOMPARE(QSize(int(qFromBigEndian<quint32>(bytes + 16)), int(qFromBigEndian<quint32>(bytes + 20))), size);
    QCOMPARE(int(bytes[24]), 8);
    QCOMPARE(int(bytes[25]), 6);

    QCOMPARE(QImage(file.fileName()).size(), size);
}

void TestImageBundle::toggleDiscs_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QColor>("colour");
    QTest::newRow("off") << QStringLiteral("toggle-off.png") << QColor(0xff, 0x00, 0x00);
    QTest::newRow("on") << QStringLiteral("toggle-on.png") << QColor(0x13, 0xff, 0x00);
    QTest::newRow("mid") << QStringLiteral("toggle-mid.png") << QColor(0xc9, 0xc9, 0xc9);
}

void TestImageBundle::toggleDiscs()
{
    QFETCH(QString, name);
    QFETCH(QColor, colour);
    const QImage image = loadImage(name);
    QVERIFY(!image.isNull());

    QCOMPARE(image.pixel(8, 8), colour.rgba());
    QCOMPARE(image.pixel(7, 7), colour.rgba());
    for (const QPoint corner : {QPoint(0, 0), QPoint(15, 0), QPoint(0, 15), QPoint(15, 15)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);

    const QString off = firstOffColourPixel(image, image.rect(), colour.rgb());
    QVERIFY2(off.isEmpty(), qPrintable(off));
    // A smoothed rim: some pixels part covered.
    bool partial = false;
    for (int x = 0; x < 16; ++x)
        partial = partial || (qAlpha(image.pixel(x, 8)) > 0 && qAlpha(image.pixel(x, 8)) < 255);
    QVERIFY(partial);
}

void TestImageBundle::arrowFaces_data()
{
    // tipSide: a pixel in the head, off to one side of the shaft; tailSide: the
    // same pixel mirrored across the face, which lies beside the shaft and so
    // stays solid. Between them they tell which way the arrow points.
    QTest::addColumn<QString>("name");
    QTest::addColumn<QPoint>("tipSide");
    QTest::addColumn<QPoint>("tailSide");
    QTest::newRow("up") << QStringLiteral("uparrow.png") << QPoint(15, 17) << QPoint(15, 26);
    QTest::newRow("down") << QStringLiteral("downarrow.png") << QPoint(15, 26) << QPoint(15, 17);
    QTest::newRow("left") << QStringLiteral("leftarrow.png") << QPoint(17, 15) << QPoint(26, 15);
    QTest::newRow("right") << QStringLiteral("rightarrow.png") << QPoint(26, 15) << QPoint(17, 15);
}

void TestImageBundle::arrowFaces()
{
    QFETCH(QString, name);
    QFETCH(QPoint, tipSide);
    QFETCH(QPoint, tailSide);
    const QImage image = loadImage(name);
    QCOMPARE(image.size(), QSize(44, 132));

    const struct {
        const char *state;
        QRgb fill;
    } faces[] = {{"idle", qRgb(0x80, 0x80, 0x80)},
                 {"mouse over", qRgb(0xc9, 0xc9, 0xc9)},
                 {"pressed", qRgb(0x47, 0x47, 0x47)}};

    for (int i = 0; i < 3; ++i) {
        const QPoint origin(0, 44 * i);
        const auto alphaAt = [&](QPoint p) { return qAlpha(image.pixel(origin + p)); };
        const QByteArray where = QByteArray(faces[i].state) + " face of " + name.toLatin1();

        // Near each corner, just inside the rounding: the face's own grey, opaque.
        for (const QPoint p : {QPoint(3, 3), QPoint(40, 3), QPoint(3, 40), QPoint(40, 40)})
            QVERIFY2(image.pixel(origin + p) == faces[i].fill, where.constData());
        // The very corner pixels lie outside the rounding.
        for (const QPoint p : {QPoint(0, 0), QPoint(43, 0), QPoint(0, 43), QPoint(43, 43)})
            QVERIFY2(alphaAt(p) == 0, where.constData());

        // The arrow is cut right through the middle of the face ...
        for (const QPoint p : {QPoint(21, 21), QPoint(22, 21), QPoint(21, 22), QPoint(22, 22)})
            QVERIFY2(alphaAt(p) == 0, where.constData());
        // ... and points the way the file name says.
        QVERIFY2(alphaAt(tipSide) == 0, where.constData());
        QVERIFY2(alphaAt(tailSide) == 255, where.constData());

        const QString off = firstOffColourPixel(image, QRect(origin, QSize(44, 44)), faces[i].fill);
        QVERIFY2(off.isEmpty(), qPrintable(where + ": " + off));
    }
}

QTEST_MAIN(TestImageBundle)
#include "tst_imagebundle.moc"
