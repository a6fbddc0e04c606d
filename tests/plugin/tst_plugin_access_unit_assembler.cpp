// Pictures put together from RTP payloads as libavformat hands them over
// without its parser: each picture whole and once, handed over with its last
// payload once the stream has shown that it can be judged, and never early
// on a stream that cannot.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "access_unit_assembler.h"

using Codec = AccessUnitAssembler::Codec;
using Picture = QList<QByteArray>; // its payloads, in order

namespace {

// A packetizer that fills fragments to 1388 payload bytes: a first fragment
// comes as start code, the unit's header and 1386 bytes (1385 for H.265's
// two-byte header), later ones as 1386 bytes (1385).
constexpr int kFullPayload = 1388;

// The NAL unit types a camera's stream uses.
struct NalTypes {
    int delimiter, sps, pps, keySlice, slice;
};
NalTypes typesOf(Codec codec)
{
    return codec == Codec::H264 ? NalTypes{9, 7, 8, 5, 1} : NalTypes{35, 33, 34, 19, 1};
}

// Start code, header (nal_ref_idc 3; H.265's layer 0, temporal id 1) and `size`
// bytes without 00 00 0x, as inside a NAL unit.
QByteArray whole(Codec codec, int type, int size, int seed = 0)
{
    QByteArray bytes = QByteArray("\0\0\0\1", 4)
        + (codec == Codec::H264 ? QByteArray(1, char(0x60 | type)) : QByteArray(1, char(type << 1)) + '\1');
    for (int i = 0; i < size; ++i)
        bytes += char(1 + (i + seed) % 250);
    return bytes;
}

// A NAL unit as the packetizer sends it: whole if it fits, else in full
// fragments and the rest, or (`equalCut`) in as many fragments of equal size.
Picture fragmented(Codec codec, int type, int size, int seed, bool equalCut)
{
    const QByteArray unit = whole(codec, type, size, seed);
    const int headerSize = unit.size() - size - 4;
    if (headerSize + size <= kFullPayload)
        return {unit};
    const int fullRoom = kFullPayload - headerSize - 1;
    const int parts = (size + fullRoom - 1) / fullRoom;
    const int room = equalCut ? (size + parts - 1) / parts : fullRoom;
    Picture payloads{unit.left(4 + headerSize + room)};
    for (int at = 4 + headerSize + room; at < unit.size(); at += room)
        payloads << unit.mid(at, room);
    return payloads;
}

// Pictures as a camera sends them: a delimiter, parameter sets before each key
// frame, then `slices` slices, with every 10th picture a key frame. A packetizer
// that cuts units in equal parts goes with a small picture, where only key frames
// take more than one packet: what it does shows only at the second.
QList<Picture> cameraStream(Codec codec, int pictures, int slices, bool equalCut = false)
{
    const NalTypes types = typesOf(codec);
    QList<Picture> stream;
    for (int n = 0; n < pictures; ++n) {
        const bool key = n % 10 == 0;
        Picture picture{whole(codec, types.delimiter, 1)};
        if (key)
            picture << whole(codec, types.sps, 20) << whole(codec, types.pps, 4);
        for (int s = 0; s < slices; ++s) {
            // Key slices span fragments; the others vary from a few bytes to several fragments.
            int size = key ? 3000 + 97 * n : (n % 3 == 0 ? 100 + 7 * n : 1500 + 331 * (n % 7));
            if (equalCut)
                size = key ? 6000 - 97 * n : 50 + 7 * (n % 20);
            picture << fragmented(codec, key ? types.keySlice : types.slice, size, n * 8 + s, equalCut);
        }
        stream << picture;
    }
    return stream;
}

struct HandedOver {
    QByteArray data;
    int64_t pts;
    bool key;
    int atPayload; // the index of the payload whose push handed it over
};

QList<HandedOver> assemble(AccessUnitAssembler &assembler, const QList<Picture> &stream)
{
    QList<HandedOver> out;
    int index = 0;
    for (int n = 0; n < stream.size(); ++n) {
        for (const QByteArray &payload : stream[n]) {
            assembler.push(reinterpret_cast<const uint8_t *>(payload.constData()), size_t(payload.size()), n * 3600,
                           [&](const AccessUnitAssembler::Unit &unit) {
                               out.append({QByteArray(reinterpret_cast<const char *>(unit.data), int(unit.size)),
                                           unit.pts, unit.key, index});
                           });
            ++index;
        }
    }
    return out;
}

} // namespace

class AccessUnitAssemblerTest : public QObject {
    Q_OBJECT

private slots:
    void picturesWholeAndOnTime_data()
    {
        QTest::addColumn<int>("codec");
        QTest::addColumn<int>("slices");
        QTest::addColumn<bool>("equalCut");
        QTest::addColumn<bool>("early"); // pictures handed over with their last payload, once tried
        QTest::newRow("H.264, one slice") << int(Codec::H264) << 1 << false << true;
        QTest::newRow("H.264, four slices") << int(Codec::H264) << 4 << false << true;
        QTest::newRow("H.265, one slice") << int(Codec::H265) << 1 << false << true;
        QTest::newRow("H.265, two slices") << int(Codec::H265) << 2 << false << true;
        QTest::newRow("H.264, units cut in equal parts") << int(Codec::H264) << 1 << true << false;
        QTest::newRow("H.265, units cut in equal parts") << int(Codec::H265) << 2 << true << false;
    }

    void picturesWholeAndOnTime()
    {
        QFETCH(int, codec);
        QFETCH(int, slices);
        QFETCH(bool, equalCut);
        QFETCH(bool, early);
        const QList<Picture> stream = cameraStream(Codec(codec), 60, slices, equalCut);
        AccessUnitAssembler assembler{Codec(codec)};
        const QList<HandedOver> out = assemble(assembler, stream);

        // Unless handed over on the guess, the last picture waits for a payload of another time.
        QCOMPARE(out.size(), stream.size() - (early ? 0 : 1));
        int lastPayload = -1;
        int firstEarly = -1;
        for (int n = 0; n < out.size(); ++n) {
            lastPayload += int(stream[n].size());
            QCOMPARE(out[n].pts, int64_t(n) * 3600);
            QCOMPARE(out[n].data, stream[n].join());
            QCOMPARE(out[n].key, n % 10 == 0);
            const bool handedEarly = out[n].atPayload == lastPayload;
            QVERIFY2(handedEarly || out[n].atPayload == lastPayload + 1, qPrintable(QString::number(n)));
            if (handedEarly && firstEarly < 0)
                firstEarly = n;
            if (firstEarly >= 0)
                QVERIFY2(handedEarly, qPrintable(QStringLiteral("picture %1 late after %2").arg(n).arg(firstEarly)));
        }
        if (early) {
            // Full sizes known from the second key frame at the latest, then the trial.
            QVERIFY2(firstEarly >= 1 && firstEarly <= 10 + AccessUnitAssembler::kTrialPictures + 1,
                     qPrintable(QString::number(firstEarly)));
        } else {
            QCOMPARE(firstEarly, -1);
        }
        QVERIFY(!assembler.gaveUp());
    }

    // A NAL unit after the last slice (filler, as constant-bitrate cameras send):
    // in the trial it costs nothing; after it, the first picture that has one
    // went out on the guess, the rest of it is dropped, and later pictures come
    // whole, on their next picture's first payload.
    void aGuessThatFailsIsTheLast()
    {
        QList<Picture> stream = cameraStream(Codec::H264, 40, 1);
        stream[3] << whole(Codec::H264, 12, 30);
        stream[25] << whole(Codec::H264, 12, 30);
        stream[32] << whole(Codec::H264, 12, 30);
        AccessUnitAssembler assembler{Codec::H264};
        const QList<HandedOver> out = assemble(assembler, stream);

        QCOMPARE(out.size(), stream.size() - 1);
        QVERIFY(assembler.handsOverOnTheGuess() == false && assembler.gaveUp());
        QCOMPARE(out[3].data, stream[3].join());
        QCOMPARE(out[24].data, stream[24].join());
        Picture cut = stream[25];
        cut.removeLast();
        QCOMPARE(out[25].data, cut.join());
        int lastPayload = -1;
        for (int n = 0; n < out.size(); ++n) {
            lastPayload += int(stream[n].size());
            if (n > 25) {
                QCOMPARE(out[n].data, stream[n].join());
                QCOMPARE(out[n].atPayload, lastPayload + 1);
            }
        }
    }

    // A server that sends payloads of one time without end.
    void anEndlessPictureIsDropped()
    {
        AccessUnitAssembler assembler{Codec::H264};
        const QByteArray payload = whole(Codec::H264, 1, 60000);
        Picture endless;
        while (std::size_t(endless.size()) * 60000 <= AccessUnitAssembler::kMaxUnitBytes)
            endless << payload;
        const QList<HandedOver> out = assemble(assembler, {endless, {whole(Codec::H264, 1, 10)}});
        QVERIFY(out.isEmpty());
    }
};

QTEST_APPLESS_MAIN(AccessUnitAssemblerTest)
#include "tst_plugin_access_unit_assembler.moc"
