// The motion owner's rules against a real camera link and real TCP peers: each row
// is a sequence of input and link events, and the exact messages each link carried,
// in the order the links were made.
#include "camera/camera.h"
#include "camera/cameramotion.h"
#include "camera/viscadrive.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

#include <memory>

namespace {
const QHostAddress addressA(QStringLiteral("127.0.6.1"));
const QHostAddress addressB(QStringLiteral("127.0.6.2"));
// Nothing listens here: an attempt that fails.
const QString addressNone = QStringLiteral("127.0.6.3");

using Axis = CameraMotion::Axis;
using Arrow = ViscaDrive::Arrow;

// Message names for the rows, and their bytes.
QByteArray bytesOf(const QString &name)
{
    static const QHash<QString, ViscaCommand> names{
        {QStringLiteral("up"), ViscaDrive::arrowDrive(Arrow::Up)},
        {QStringLiteral("left"), ViscaDrive::arrowDrive(Arrow::Left)},
        {QStringLiteral("right"), ViscaDrive::arrowDrive(Arrow::Right)},
        {QStringLiteral("slow"), ViscaDrive::panTilt(ViscaDrive::Pan::Right, ViscaDrive::Tilt::None, 2, 1)},
        {QStringLiteral("stop"), ViscaDrive::panTiltStop()},
        {QStringLiteral("tele"), ViscaDrive::zoomTele(3)},
        {QStringLiteral("zstop"), ViscaDrive::zoomStop()},
        {QStringLiteral("fstop"), ViscaDrive::focusStop()},
    };
    const ViscaCommand command = names.value(name, makeViscaCommand("", 0));
    return hexToBytes(QString::fromLatin1(command.hexText));
}

// Splits what a peer received into the messages (each ends with FF) and names them.
QStringList namesOf(const QByteArray &received)
{
    static const QStringList known{QStringLiteral("up"), QStringLiteral("left"), QStringLiteral("right"),
                                   QStringLiteral("slow"), QStringLiteral("stop"), QStringLiteral("tele"),
                                   QStringLiteral("zstop"), QStringLiteral("fstop")};
    QStringList out;
    QByteArray message;
    for (char byte : received) {
        message.append(byte);
        if (byte != '\xFF')
            continue;
        QString name = QString::fromLatin1(message.toHex(' '));
        for (const QString &candidate : known) {
            if (bytesOf(candidate) == message)
                name = candidate;
        }
        out.append(name);
        message.clear();
    }
    return out;
}

// A stand-in camera that keeps each of its links' bytes apart, numbered in the order
// the links were made across all peers: a link's bytes may still be arriving when the
// next link is accepted.
class LinkLog : public QObject
{
public:
    LinkLog(const QHostAddress &address, const QString &tag, int *sequence)
        : tag(tag)
    {
        connect(&server, &QTcpServer::newConnection, this, [this, sequence] {
            while (QTcpSocket *socket = server.nextPendingConnection()) {
                const int number = (*sequence)++;
                received.insert(number, QByteArray());
                open.insert(number, socket);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket, number] { received[number] += socket->readAll(); });
                connect(socket, &QTcpSocket::disconnected, this, [this, socket, number] {
                    received[number] += socket->readAll();
                    open.remove(number);
                    socket->deleteLater();
                });
            }
        });
        server.listen(address, Camera::controlPort);
    }
    ~LinkLog() override
    {
        for (QTcpSocket *socket : std::as_const(open))
            socket->disconnect(this);
    }
    bool isListening() const { return server.isListening(); }
    bool hasLink() const { return !open.isEmpty(); }
    // The bytes of the newest link still open.
    int openLinkBytes() const { return open.isEmpty() ? -1 : int(received.value(open.lastKey()).size()); }
    // The camera goes, as a switch that reboots would take it.
    void dropLink() { open.last()->close(); }
    QMap<int, QString> links() const
    {
        QMap<int, QString> out;
        for (auto it = received.cbegin(); it != received.cend(); ++it)
            out.insert(it.key(), tag + QLatin1Char(':') + namesOf(it.value()).join(QLatin1Char(' ')));
        return out;
    }

private:
    QTcpServer server;
    QString tag;
    QMap<int, QByteArray> received;
    QMap<int, QTcpSocket *> open;
};

} // namespace

class TestCameraMotion : public QObject
{
    Q_OBJECT

    std::unique_ptr<LinkLog> a;
    std::unique_ptr<LinkLog> b;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<CameraMotion> motion;
    int linkNumber = 0;
    int bytesThisLink = 0; // handed to the socket since the last connect

    QStringList links() const
    {
        QMap<int, QString> all = a->links();
        all.insert(b->links());
        return all.values();
    }

    bool waitLinked()
    {
        return camera->isOpen() && QTest::qWaitFor([&] { return a->hasLink() || b->hasLink(); }, 5000);
    }

    // One step of a row. Inputs: S on-screen, K keyboard, C controller; "+what" holds,
    // "-" lets go of pan-tilt, "z+"/"z-" zoom, "*" lets go of everything.
    void run(const QString &step)
    {
        if (step == QLatin1String("connectA") || step == QLatin1String("connectB")) {
            // Returns while the attempt is under way: what follows is sent while connecting.
            bytesThisLink = 0;
            motion->connectTo((step.endsWith(QLatin1Char('A')) ? addressA : addressB).toString());
        } else if (step == QLatin1String("connectNone")) {
            QSignalSpy failed(camera.get(), &Camera::cameraError);
            motion->connectTo(addressNone);
            QVERIFY(failed.wait(5000));
        } else if (step == QLatin1String("linked")) {
            QVERIFY(waitLinked());
        } else if (step == QLatin1String("drop")) {
            // The camera's side goes, as a switch that reboots: error, then disconnected.
            // Once the camera has all the link carried so far.
            LinkLog *peer = a->hasLink() ? a.get() : b.get();
            QTRY_COMPARE(peer->openLinkBytes(), bytesThisLink);
            QSignalSpy gone(camera.get(), &Camera::cameraDisconnected);
            peer->dropLink();
            QVERIFY(gone.wait(5000));
        } else if (step == QLatin1String("disconnect")) {
            motion->disconnectFromCamera();
        } else if (step == QLatin1String("paced")) {
            // Waits for the drive the pacing may have held back.
            QTRY_COMPARE(motion->lastSent(Axis::PanTilt), QByteArray(ViscaDrive::arrowDrive(Arrow::Right).hexText));
        } else {
            const QChar who = step.at(0);
            const CameraMotion::Source source = who == QLatin1Char('S')   ? CameraMotion::OnScreen
                                                : who == QLatin1Char('K') ? CameraMotion::Keyboard
                                                                          : CameraMotion::Controller;
            const QString what = step.mid(1);
            if (what == QLatin1String("*"))
                motion->letGoAll(source);
            else if (what == QLatin1String("-"))
                motion->letGo(source, Axis::PanTilt);
            else if (what == QLatin1String("z-"))
                motion->letGo(source, Axis::Zoom);
            else if (what == QLatin1String("z+"))
                motion->hold(source, Axis::Zoom, ViscaDrive::zoomTele(3));
            else {
                const QString name = what.mid(1);
                const ViscaCommand drive = name == QLatin1String("slow")
                    ? ViscaDrive::panTilt(ViscaDrive::Pan::Right, ViscaDrive::Tilt::None, 2, 1)
                    : name == QLatin1String("stop") ? ViscaDrive::panTiltStop()
                                                     : ViscaDrive::arrowDrive(name == QLatin1String("up") ? Arrow::Up
                                                                              : name == QLatin1String("left") ? Arrow::Left
                                                                                                              : Arrow::Right);
                motion->hold(source, Axis::PanTilt, drive);
            }
        }
    }

private slots:
    void initTestCase() { qRegisterMetaType<CameraMotion::Axis>(); }
    void init()
    {
        linkNumber = 0;
        a = std::make_unique<LinkLog>(addressA, QStringLiteral("A"), &linkNumber);
        b = std::make_unique<LinkLog>(addressB, QStringLiteral("B"), &linkNumber);
        QVERIFY(a->isListening() && b->isListening());
        camera = std::make_unique<Camera>(QStringLiteral("0.0.0.0"));
        motion = std::make_unique<CameraMotion>(camera.get());
        connect(motion.get(), &CameraMotion::sent, this,
                [this](CameraMotion::Axis, const QByteArray &hex) { bytesThisLink += hex.size() / 2; });
    }
    void cleanup()
    {
        motion.reset();
        camera.reset();
        a.reset();
        b.reset();
    }

    void rules_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("links");
        // Every row ends with the operator's Disconnect (or a drop), so that each link is
        // complete when the peers are read.
        QTest::newRow("stick pushed while connecting, centred once up")
            << "connectA C+right linked C- disconnect" << QStringList{"A:right stop"};
        QTest::newRow("arrow held and let go") << "connectA linked K+up K- disconnect" << QStringList{"A:up stop"};
        QTest::newRow("a release by an input that holds nothing sends nothing")
            << "connectA linked C- S- K+up C- disconnect" << QStringList{"A:up stop"};
        QTest::newRow("key held before the link, let go on it")
            << "K+up connectA linked K- disconnect" << QStringList{"A:stop"};
        QTest::newRow("two inputs: the last to let go stops, the latest drives")
            << "connectA linked S+up K+left S- K+up K- disconnect" << QStringList{"A:up left up stop"};
        QTest::newRow("a held key survives the mouse's release")
            << "connectA linked K+left S+up S- disconnect" << QStringList{"A:left up left stop"};
        QTest::newRow("focus lost: everything the keyboard holds stops at once")
            << "connectA linked K+up Kz+ K* disconnect" << QStringList{"A:up tele stop zstop"};
        QTest::newRow("letting go of everything leaves another input's drive")
            << "connectA linked C+right Kz+ K+up K* C- disconnect" << QStringList{"A:right tele up right zstop stop"};
        QTest::newRow("a stop asked for is a release")
            << "connectA linked S+up K+left K+stop K- S- disconnect" << QStringList{"A:up left up stop"};
        QTest::newRow("disconnect while a key is held stops first")
            << "connectA linked K+right Kz+ disconnect K- connectA linked disconnect"
            << QStringList{"A:right tele stop zstop", "A:"};
        QTest::newRow("drop mid-pan: the reconnect opens with the stops")
            << "connectA linked K+right drop K- connectA linked S+up S- disconnect"
            << QStringList{"A:right", "A:stop zstop fstop up stop"};
        QTest::newRow("drop mid-zoom with the key still held: the stops come first on the new link")
            << "connectA linked Kz+ drop connectA Kz- linked disconnect"
            << QStringList{"A:tele", "A:stop zstop fstop"};
        QTest::newRow("drop just after a stop: the stop may not have arrived")
            << "connectA linked K+up K- drop connectA linked disconnect" << QStringList{"A:up stop", "A:stop zstop fstop"};
        QTest::newRow("drop of a link that never moved the camera owes nothing")
            << "connectA linked drop connectA linked disconnect" << QStringList{"A:", "A:"};
        QTest::newRow("the debt waits for its own camera, through a failed attempt")
            << "connectA linked C+right drop connectB linked disconnect connectNone connectA linked disconnect"
            << QStringList{"A:right", "B:", "A:stop zstop fstop"};
        QTest::newRow("the debt is paid once")
            << "connectA linked K+up drop connectA linked disconnect connectA linked disconnect"
            << QStringList{"A:up", "A:stop zstop fstop", "A:"};
        QTest::newRow("a paced drive that comes too soon still goes out, then its stop")
            << "connectA linked C+slow C+right paced C- disconnect" << QStringList{"A:slow right stop"};
    }
    void rules()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, links);
        for (const QString &step : steps.split(QLatin1Char(' '))) {
            run(step);
            if (QTest::currentTestFailed()) {
                qWarning("at step %s", qPrintable(step));
                return;
            }
        }
        // Every link is closed now: once each peer has lost its client, all is in.
        QTRY_VERIFY(!a->hasLink() && !b->hasLink());
        QCOMPARE(this->links(), links);
    }

    // A paced input never has two messages within the interval; a stop is not held back.
    void pacingHoldsDrivesNotStops()
    {
        motion->connectTo(addressA.toString());
        QVERIFY(waitLinked());
        QSignalSpy sent(motion.get(), &CameraMotion::sent);
        QElapsedTimer clock;
        clock.start();
        motion->hold(CameraMotion::Controller, Axis::PanTilt, ViscaDrive::arrowDrive(Arrow::Left));
        motion->hold(CameraMotion::Controller, Axis::PanTilt, ViscaDrive::arrowDrive(Arrow::Up));
        QCOMPARE(sent.count(), 1);
        QVERIFY(sent.wait(1000));
        QVERIFY2(clock.elapsed() >= CameraMotion::intervalMs - 1, qPrintable(QString::number(clock.elapsed())));
        motion->letGo(CameraMotion::Controller, Axis::PanTilt);
        QCOMPARE(sent.count(), 3);
        QCOMPARE(sent.last().at(1).toByteArray(), QByteArray(ViscaDrive::panTiltStop().hexText));
    }

    // The program's last moments: stops queued a moment before and the final ones
    // reach the camera though the link is destroyed right after.
    void lastStopsReachTheCameraThoughTheLinkGoesAtOnce()
    {
        motion->connectTo(addressA.toString());
        QVERIFY(waitLinked());
        motion->hold(CameraMotion::OnScreen, Axis::PanTilt, ViscaDrive::arrowDrive(Arrow::Up));
        motion->hold(CameraMotion::Keyboard, Axis::Zoom, ViscaDrive::zoomTele(3));
        motion->stopBeforeClosing();
        motion.reset();
        camera.reset();
        QTRY_COMPARE(links(), QStringList{"A:up tele stop zstop"});
    }
};

QTEST_GUILESS_MAIN(TestCameraMotion)
#include "test_cameramotion.moc"
