// Cutting the byte stream into VISCA messages and decoding them.
#include "viscaframer.h"
#include "viscaparser.h"

#include <QtTest>

namespace {

// "81 xx xx .. " with the filler byte repeated 15 times: an overlong message as cut.
QString overlongHead(const char *filler)
{
    QString text = QStringLiteral("O:81");
    for (int i = 0; i < 15; ++i)
        text += QLatin1Char(' ') + QLatin1String(filler);
    return text;
}

QByteArray bytes(const char *hexText)
{
    return QByteArray::fromHex(hexText);
}

// "M:81 01 FF" per event, to compare event lists in one go.
QStringList summary(const QVector<ViscaFramer::Event> &events)
{
    QStringList list;
    for (const auto &e : events)
        list << QLatin1Char("MOU"[e.type]) + QStringLiteral(":") + ViscaCodec::hex(e.bytes);
    return list;
}

const char *const Up = "81010601 0E0E0301 FF";
const char *const Stop = "81010601 18140303 FF";
const char *const OsdMenu = "8101043F 025FFF";
const char *const Enter = "81010606 05FF";

} // namespace

class TestViscaProtocol : public QObject
{
    Q_OBJECT
private slots:
    void framesWhateverTheSegments_data();
    void framesWhateverTheSegments();
    void resynchronisesAfterBadInput_data();
    void resynchronisesAfterBadInput();
    void remembersAnUnfinishedMessage();
    void decodesTheRemotesMessages_data();
    void decodesTheRemotesMessages();
    void rejectsMalformedMessages_data();
    void rejectsMalformedMessages();
};

void TestViscaProtocol::framesWhateverTheSegments_data()
{
    QTest::addColumn<int>("chunk");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("odd pieces") << 5;
    QTest::newRow("all in one") << 1000;
}

void TestViscaProtocol::framesWhateverTheSegments()
{
    QFETCH(int, chunk);
    const QByteArray stream = bytes(Up) + bytes(Stop) + bytes(OsdMenu) + bytes(Enter);
    ViscaFramer framer;
    QVector<ViscaFramer::Event> events;
    for (int i = 0; i < stream.size(); i += chunk)
        events += framer.feed(stream.mid(i, chunk));
    QCOMPARE(summary(events), (QStringList{"M:81 01 06 01 0E 0E 03 01 FF", "M:81 01 06 01 18 14 03 03 FF",
                                           "M:81 01 04 3F 02 5F FF", "M:81 01 06 06 05 FF"}));
    QCOMPARE(framer.pendingBytes(), 0);
}

void TestViscaProtocol::resynchronisesAfterBadInput_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<QStringList>("expected"); // events for the garbage, then for "up"

    const QString up = QStringLiteral("M:81 01 06 01 0E 0E 03 01 FF");
    QTest::newRow("no header") << bytes("01 06 06 05 FF") << QStringList{up};
    QTest::newRow("stray bytes and terminators") << bytes("00 FF 7F 90 41 FF FF") << QStringList{up};
    QTest::newRow("overlong") << bytes("81" + QByteArray(40, '1') + "FF")
                              << QStringList{overlongHead("11"), up};
    QTest::newRow("header inside overlong tail")
        << bytes("81" + QByteArray(40, '2') + "81 01 06 06 04 FF")
        << QStringList{overlongHead("22"), "M:81 01 06 06 04 FF", up};
    QTest::newRow("cut short by a new header") << bytes("81 01 06") << QStringList{"U:81 01 06", up};
}

// Whatever came before, the next good message is read as it is.
void TestViscaProtocol::resynchronisesAfterBadInput()
{
    QFETCH(QByteArray, garbage);
    QFETCH(QStringList, expected);
    ViscaFramer framer;
    QStringList events = summary(framer.feed(garbage));
    events += summary(framer.feed(bytes(Up)));
    QCOMPARE(events, expected);
}

void TestViscaProtocol::remembersAnUnfinishedMessage()
{
    ViscaFramer framer;
    QVERIFY(framer.feed(bytes("42 81 01 06")).isEmpty());
    QCOMPARE(framer.pendingBytes(), 3);
}

void TestViscaProtocol::decodesTheRemotesMessages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("words");
    QTest::newRow("up") << bytes(Up) << "pan-tilt drive: up, pan speed 14, tilt speed 14";
    QTest::newRow("down") << bytes("81010601 0E0E0302 FF") << "pan-tilt drive: down, pan speed 14, tilt speed 14";
    QTest::newRow("left") << bytes("81010601 0E0E0103 FF") << "pan-tilt drive: left, pan speed 14, tilt speed 14";
    QTest::newRow("right") << bytes("81010601 0E0E0203 FF") << "pan-tilt drive: right, pan speed 14, tilt speed 14";
    QTest::newRow("stop") << bytes(Stop) << "pan-tilt stop";
    QTest::newRow("osd menu") << bytes(OsdMenu) << "memory recall 95";
    QTest::newRow("enter") << bytes(Enter) << "OSD enter";
    QTest::newRow("back") << bytes("81010606 04FF") << "OSD back";
    QTest::newRow("diagonal, other speeds") << bytes("81010601 01140102 FF")
                                            << "pan-tilt drive: down-left, pan speed 1, tilt speed 20";
    QTest::newRow("memory set") << bytes("8101043F 0103FF") << "memory set 3";
    QTest::newRow("zoom tele, slowest") << bytes("81010407 20FF") << "zoom tele, speed 0";
    QTest::newRow("zoom wide, fastest") << bytes("81010407 37FF") << "zoom wide, speed 7";
    QTest::newRow("zoom tele, standard") << bytes("81010407 02FF") << "zoom tele, speed 3";
    QTest::newRow("zoom stop") << bytes("81010407 00FF") << "zoom stop";
    QTest::newRow("focus far") << bytes("81010408 25FF") << "focus far, speed 5";
    QTest::newRow("focus near") << bytes("81010408 30FF") << "focus near, speed 0";
    QTest::newRow("focus stop") << bytes("81010408 00FF") << "focus stop";
    QTest::newRow("one-push autofocus") << bytes("81010418 01FF") << "one-push autofocus";
    QTest::newRow("home") << bytes("81010604 FF") << "home";
    QTest::newRow("memory recall 1") << bytes("8101043F 0201FF") << "memory recall 1";
}

void TestViscaProtocol::decodesTheRemotesMessages()
{
    QFETCH(QByteArray, message);
    QFETCH(QString, words);
    const DecodedCommand command = ViscaCodec::decode(message);
    QVERIFY(command.kind != DecodedCommand::Kind::Unknown);
    QCOMPARE(ViscaCodec::describe(command), words);
}

void TestViscaProtocol::rejectsMalformedMessages_data()
{
    QTest::addColumn<QByteArray>("message");
    QTest::newRow("header and terminator only") << bytes("81 FF");
    QTest::newRow("pan speed 0") << bytes("81010601 000E0301 FF");
    QTest::newRow("pan speed 0x19") << bytes("81010601 190E0301 FF");
    QTest::newRow("tilt speed 0x15") << bytes("81010601 0E150301 FF");
    QTest::newRow("pan direction 4") << bytes("81010601 0E0E0401 FF");
    QTest::newRow("drive one byte short") << bytes("81010601 0E0E03 FF");
    QTest::newRow("drive one byte long") << bytes("81010601 0E0E0301 00FF");
    QTest::newRow("preset 0x80") << bytes("8101043F 0280FF");
    QTest::newRow("memory action 3") << bytes("8101043F 035FFF");
    QTest::newRow("other menu key") << bytes("81010606 06FF");
    QTest::newRow("zoom speed 8") << bytes("81010407 28FF");
    QTest::newRow("zoom direction 4") << bytes("81010407 41FF");
    QTest::newRow("zoom one byte long") << bytes("81010407 2000FF");
    QTest::newRow("inquiry") << bytes("81090400 FF");
    QTest::newRow("focus speed 8") << bytes("81010408 38FF");
    QTest::newRow("one-push, other byte") << bytes("81010418 02FF");
    QTest::newRow("home one byte long") << bytes("81010604 00FF");
}

void TestViscaProtocol::rejectsMalformedMessages()
{
    QFETCH(QByteArray, message);
    const DecodedCommand command = ViscaCodec::decode(message);
    QCOMPARE(int(command.kind), int(DecodedCommand::Kind::Unknown));
    QCOMPARE(ViscaCodec::describe(command), "unknown: " + ViscaCodec::hex(message));
}

QTEST_APPLESS_MAIN(TestViscaProtocol)
#include "tst_viscaprotocol.moc"
