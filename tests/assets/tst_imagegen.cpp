// The committed pictures are exactly what tools/imagegen draws, and the Windows
// icon it writes is a well-formed single-bitmap icon.

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

// Everything imagegen writes, all committed under assets/img.
const char *const kGeneratedFiles[] = {
    "toggle-off.png", "toggle-on.png", "toggle-mid.png",
    "uparrow.png", "downarrow.png", "leftarrow.png", "rightarrow.png",
    "halvorine-remote.png", "halvorine.ico",
};

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

quint16 u16(const QByteArray &data, int offset)
{
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

quint32 u32(const QByteArray &data, int offset)
{
    return qFromLittleEndian<quint32>(reinterpret_cast<const uchar *>(data.constData()) + offset);
}

} // namespace

class TestImageGen : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void generatorReproducesCommittedFile_data();
    void generatorReproducesCommittedFile();
    void generatorWritesNothingElse();
    void iconIsOneUncompressedBitmapOfTheLinuxIcon();

private:
    QTemporaryDir m_output;
    const QString m_committed = QStringLiteral(HALVORINE_IMG_DIR);
};

void TestImageGen::initTestCase()
{
    QVERIFY(m_output.isValid());
    QProcess generator;
    generator.setProcessChannelMode(QProcess::ForwardedChannels);
    generator.start(QStringLiteral(HALVORINE_IMAGEGEN), {m_output.path()});
    QVERIFY2(generator.waitForFinished(60000), "imagegen did not finish within a minute");
    QCOMPARE(generator.exitStatus(), QProcess::NormalExit);
    QCOMPARE(generator.exitCode(), 0);
}

void TestImageGen::generatorReproducesCommittedFile_data()
{
    QTest::addColumn<QString>("name");
    for (const char *name : kGeneratedFiles)
        QTest::newRow(name) << QString::fromLatin1(name);
}

void TestImageGen::generatorReproducesCommittedFile()
{
    QFETCH(QString, name);
    const QByteArray committed = readAll(m_committed + QLatin1Char('/') + name);
    const QByteArray drawn = readAll(m_output.filePath(name));
    QVERIFY2(!committed.isEmpty(), "missing from assets/img");
    QVERIFY2(!drawn.isEmpty(), "not written by imagegen");
    QVERIFY2(committed == drawn,
             "differs from what imagegen draws: rebuild, run `cmake --build <dir> --target "
             "update-images` and commit the result");
}

void TestImageGen::generatorWritesNothingElse()
{
    QStringList expected;
    for (const char *name : kGeneratedFiles)
        expected << QString::fromLatin1(name);
    expected.sort();
    QStringList written = QDir(m_output.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    written.sort();
    QCOMPARE(written, expected);
}

void TestImageGen::iconIsOneUncompressedBitmapOfTheLinuxIcon()
{
    const QByteArray ico = readAll(m_committed + QStringLiteral("/halvorine.ico"));
    const QImage png = QImage(m_committed + QStringLiteral("/halvorine-remote.png"))
                           .convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(png.size(), QSize(256, 256));

    constexpr int kSide = 256;
    constexpr int kPixelBytes = kSide * kSide * 4;
    constexpr int kMaskStride = kSide / 8;
    constexpr int kImageOffset = 6 + 16;
    constexpr int kBitsOffset = kImageOffset + 40;
    QCOMPARE(ico.size(), kBitsOffset + kPixelBytes + kMaskStride * kSide);

    // ICONDIR: an icon (type 1) with one image.
    QCOMPARE(u16(ico, 0), quint16(0));
    QCOMPARE(u16(ico, 2), quint16(1));
    QCOMPARE(u16(ico, 4), quint16(1));
    // ICONDIRENTRY: 0 x 0 stands for 256 x 256; 1 plane, 32 bits a pixel.
    QCOMPARE(quint8(ico[6]), quint8(0));
    QCOMPARE(quint8(ico[7]), quint8(0));
    QCOMPARE(u16(ico, 10), quint16(1));
    QCOMPARE(u16(ico, 12), quint16(32));
    QCOMPARE(u32(ico, 14), quint32(ico.size() - kImageOffset));
    QCOMPARE(u32(ico, 18), quint32(kImageOffset));
    // BITMAPINFOHEADER, not a PNG signature; height doubled for the mask; BI_RGB.
    QCOMPARE(u32(ico, kImageOffset), quint32(40));
    QCOMPARE(u32(ico, kImageOffset + 4), quint32(kSide));
    QCOMPARE(u32(ico, kImageOffset + 8), quint32(2 * kSide));
    QCOMPARE(u16(ico, kImageOffset + 12), quint16(1));
    QCOMPARE(u16(ico, kImageOffset + 14), quint16(32));
    QCOMPARE(u32(ico, kImageOffset + 16), quint32(0));

    // Pixels: the Linux icon's, bottom row first, BGRA; mask bit set where clear.
    const auto *bits = reinterpret_cast<const uchar *>(ico.constData()) + kBitsOffset;
    const uchar *mask = bits + kPixelBytes;
    int opaque = 0;
    for (int y = 0; y < kSide; ++y) {
        const int row = kSide - 1 - y;
        for (int x = 0; x < kSide; ++x) {
            const uchar *bgra = bits + (row * kSide + x) * 4;
            const QRgb want = png.pixel(x, y);
            const QRgb got = qRgba(bgra[2], bgra[1], bgra[0], bgra[3]);
            const bool clearBit = mask[row * kMaskStride + x / 8] & (0x80 >> (x % 8));
            if (got != want || clearBit != (qAlpha(want) == 0))
                QFAIL(qPrintable(QStringLiteral("pixel (%1,%2): icon #%3 mask %4, PNG #%5")
                                     .arg(x).arg(y).arg(got, 8, 16, QLatin1Char('0'))
                                     .arg(int(clearBit)).arg(want, 8, 16, QLatin1Char('0'))));
            // A flat blue silhouette: any pixel that shows is #1b5cf3.
            if (qAlpha(want) != 0)
                QCOMPARE(want & 0xffffffu, 0x1b5cf3u);
            opaque += qAlpha(want) == 255;
        }
    }
    // On a transparent ground, with the body covering a fair part of the square
    // and the cut-out keys leaving it far from full.
    QCOMPARE(qAlpha(png.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(png.pixel(255, 255)), 0);
    QVERIFY2(opaque > kSide * kSide / 4 && opaque < kSide * kSide / 2, qPrintable(QString::number(opaque)));
}

QTEST_MAIN(TestImageGen)
#include "tst_imagegen.moc"
