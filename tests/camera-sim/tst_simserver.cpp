// The control port over real TCP on 127.0.0.41: replies, stream handling,
// several clients. The server runs in this process on the test's event loop.
#include "headstate.h"
#include "simserver.h"

#include <QRandomGenerator>
#include <QTcpSocket>
#include <QtTest>
#include <memory>

namespace {

const QHostAddress Address(QStringLiteral("127.0.0.41"));
const QByteArray Up = QByteArray::fromHex("810106010E0E0301FF");
const QByteArray Down = QByteArray::fromHex("810106010E0E0302FF");
const QByteArray Stop = QByteArray::fromHex("8101060118140303FF");
const QByteArray Menu = QByteArray::fromHex("8101043F025FFF");
const QByteArray Enter = QByteArray::fromHex("8101060605FF");
const QByteArray Done = QByteArray::fromHex("9041FF9051FF"); // ACK, completion
const QByteArray SyntaxError = QByteArray::fromHex("906002FF");

// A controller: what it has received so far is in replies.
struct Client
{
    QTcpSocket socket;
    QByteArray replies;

    bool connectTo(quint16 port)
    {
        QObject::connect(&socket, &QTcpSocket::readyRead, [this] { replies += socket.readAll(); });
        socket.setSocketOption(QAbstractSocket::LowDelayOption, 1);
        socket.connectToHost(Address, port);
        QSignalSpy connected(&socket, &QTcpSocket::connected);
        return socket.state() == QAbstractSocket::ConnectedState || connected.wait(5000);
    }
    void send(const QByteArray &bytes)
    {
        socket.write(bytes);
        socket.flush();
    }
};

} // namespace

class TestSimServer : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void answersLikeACamera();
    void readsMessagesSplitOrJoined_data();
    void readsMessagesSplitOrJoined();
    void survivesGarbage_data();
    void survivesGarbage();
    void servesSeveralClientsAtOnce();
    void dropsHalfAMessageOnDisconnect();

private:
    std::unique_ptr<HeadState> head;
    std::unique_ptr<SimServer> server;
    QStringList log;
};

void TestSimServer::init()
{
    head = std::make_unique<HeadState>();
    server = std::make_unique<SimServer>(*head);
    log.clear();
    connect(server.get(), &SimServer::event, this, [this](const QString &line) { log << line; });
    QVERIFY2(server->listen(Address, 0), qPrintable(server->errorString()));
}

void TestSimServer::cleanup()
{
    server.reset();
    head.reset();
}

void TestSimServer::answersLikeACamera()
{
    Client c;
    QVERIFY(c.connectTo(server->port()));
    c.send(Up);
    QTRY_COMPARE(c.replies, Done);
    c.send(QByteArray::fromHex("81090400FF")); // an inquiry this camera doesn't know
    QTRY_COMPARE(c.replies, Done + SyntaxError);
    QCOMPARE(log.mid(1), (QStringList{"pan-tilt drive: up, pan speed 14, tilt speed 14 (from pan 0.0, tilt 0.0)",
                                      "unknown: 81 09 04 00 FF"}));
    QVERIFY(head->isMoving());
}

void TestSimServer::readsMessagesSplitOrJoined_data()
{
    QTest::addColumn<int>("chunk");
    QTest::newRow("byte by byte") << 1;
    QTest::newRow("4 bytes a write") << 4;
    QTest::newRow("all in one write") << 100;
}

void TestSimServer::readsMessagesSplitOrJoined()
{
    QFETCH(int, chunk);
    const QByteArray stream = Menu + Down + Stop + Enter;
    Client c;
    QVERIFY(c.connectTo(server->port()));
    for (int i = 0; i < stream.size(); i += chunk) {
        c.send(stream.mid(i, chunk));
        QCoreApplication::processEvents(); // let the server read each piece on its own
    }
    QTRY_COMPARE(c.replies, Done + Done + Done + Done);
    QCOMPARE(log.size(), 5);
    QVERIFY(log[1].startsWith("memory recall 95 (OSD menu open"));
    QCOMPARE(log[4], QStringLiteral("OSD enter (COLOUR page, cursor on White balance: Auto)"));
}

void TestSimServer::survivesGarbage_data()
{
    QTest::addColumn<QByteArray>("garbage");
    QTest::addColumn<QByteArray>("answer"); // to the garbage; null: not foreseeable
    QTest::newRow("missing header") << QByteArray::fromHex("01060605FF") << QByteArray("");
    QTest::newRow("overlong") << QByteArray::fromHex("81" + QByteArray(60, '3') + "FF") << SyntaxError;
    QTest::newRow("unterminated") << QByteArray::fromHex("810106") << SyntaxError;
    QTest::newRow("bad speed") << QByteArray::fromHex("8101060100000301FF") << SyntaxError;
    QByteArray random(4000, 0);
    QRandomGenerator generator(20261207);
    for (char &b : random)
        b = char(generator.bounded(256));
    QTest::newRow("random bytes") << random + QByteArray(1, char(0xFF)) << QByteArray();
}

void TestSimServer::survivesGarbage()
{
    QFETCH(QByteArray, garbage);
    QFETCH(QByteArray, answer);
    Client c;
    QVERIFY(c.connectTo(server->port()));
    c.send(garbage);
    c.send(Up);
    QTRY_VERIFY2(c.replies.endsWith(Done), qPrintable(c.replies.toHex(' ')));
    if (!answer.isNull())
        QCOMPARE(c.replies, answer + Done);
    QVERIFY(log.last().startsWith("pan-tilt drive: up"));
    QCOMPARE(c.socket.state(), QAbstractSocket::ConnectedState);
}

void TestSimServer::servesSeveralClientsAtOnce()
{
    Client a, b, c;
    QVERIFY(a.connectTo(server->port()));
    QVERIFY(b.connectTo(server->port()));
    QVERIFY(c.connectTo(server->port()));
    // Interleaved halves: each client's stream is cut on its own.
    a.send(Menu.left(3));
    b.send(QByteArray::fromHex("8101"));
    c.send(Stop);
    a.send(Menu.mid(3));
    b.send(QByteArray::fromHex("FF"));
    QTRY_COMPARE(a.replies, Done);
    QTRY_COMPARE(b.replies, SyntaxError);
    QTRY_COMPARE(c.replies, Done);
    // One head for all: a's menu is what c's Enter acts on.
    c.send(Enter);
    QTRY_COMPARE(c.replies, Done + Done);
    QCOMPARE(head->menu().depth(), 1);
    QCOMPARE(a.replies, Done);
    QCOMPARE(b.replies, SyntaxError);
}

void TestSimServer::dropsHalfAMessageOnDisconnect()
{
    {
        Client quitter;
        QVERIFY(quitter.connectTo(server->port()));
        quitter.send(QByteArray::fromHex("810106"));
        QTRY_VERIFY(log.size() >= 1);
        quitter.socket.disconnectFromHost();
    }
    QTRY_COMPARE(log.size(), 2);
    QCOMPARE(log[1], QStringLiteral("client 1 disconnected (3 bytes of an unfinished message dropped)"));
    Client next;
    QVERIFY(next.connectTo(server->port()));
    next.send(Stop);
    QTRY_COMPARE(next.replies, Done);
}

QTEST_GUILESS_MAIN(TestSimServer)
#include "tst_simserver.moc"
