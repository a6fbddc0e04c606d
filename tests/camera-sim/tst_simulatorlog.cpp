// What the press-to-motion bench reads from camera-sim's log (bench/motion/simulatorlog)
// is what camera-sim writes under --stamp: the real program's lines for a drive and a
// stop (run on 127.0.0.161), and the simulator's own notice of a moving frame.
#include "headstate.h"
#include "simulatorlog.h"
#include "stampedframe.h"

#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

#include <chrono>

namespace {

std::int64_t monotonicNanos()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

} // namespace

class TestSimulatorLog : public QObject
{
    Q_OBJECT
private slots:
    void readsTheDriveAndTheStopOfTheRealProgram()
    {
        QProcess sim;
        QStringList lines;
        connect(&sim, &QProcess::readyReadStandardOutput, [&] {
            while (sim.canReadLine())
                lines << QString::fromUtf8(sim.readLine()).chopped(1);
        });
        sim.start(QStringLiteral(CAMERA_SIM_PATH), {"--address", "127.0.0.161", "--no-video", "--stamp"});
        QTRY_COMPARE(lines.size(), 1);
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.161"), 5678);
        QVERIFY(socket.waitForConnected(5000));
        QTRY_COMPARE(lines.size(), 2);
        const std::int64_t sent = monotonicNanos();
        socket.write(QByteArray::fromHex("810106010E0E0301FF")); // up at speed 14
        QTRY_COMPARE(lines.size(), 3);
        const std::int64_t read = monotonicNanos();
        socket.write(QByteArray::fromHex("8101060118140303FF")); // stop
        QTRY_COMPARE(lines.size(), 4);
        sim.terminate();
        sim.waitForFinished(5000);

        const SimulatorLine drive = SimulatorLine::parse(lines[2]);
        QCOMPARE(drive.words, QStringLiteral("pan-tilt drive: up, pan speed 14, tilt speed 14 (from pan 0.0, tilt 0.0)"));
        QVERIFY2(drive.monotonicNanos >= sent - 1000 && drive.monotonicNanos <= read, qPrintable(lines[2]));
        const SimulatorLine stop = SimulatorLine::parse(lines[3]);
        QVERIFY2(stop.words.startsWith(QStringLiteral("pan-tilt stop (held at pan 0.0, tilt ")), qPrintable(lines[3]));
        const double seconds = static_cast<double>(stop.monotonicNanos - drive.monotonicNanos) / 1e9;
        QVERIFY2(qAbs(SimulatorLine::tiltIn(stop.words) - 42 * seconds) <= 0.3, qPrintable(lines[3]));
    }

    void readsTheStampOfANoticedFrame()
    {
        MotionNotice notice;
        notice.frameDrawn({0, 0, 1}, 90000);
        const QString words = notice.frameDrawn({0, -2.5, 1}, 90040);
        QCOMPARE(SimulatorLine::frameStampNanos(words), std::int64_t(90040) * 1000000);
        QCOMPARE(SimulatorLine::tiltIn(words), -2.5);
        // A line without the stamp (camera-sim run without --stamp) keeps its words.
        const SimulatorLine plain = SimulatorLine::parse(QStringLiteral("2026-12-08 05:01:02.123 OSD enter (MENU page)"));
        QCOMPARE(plain.words, QStringLiteral("OSD enter (MENU page)"));
        QCOMPARE(plain.monotonicNanos, std::int64_t(0));
        QCOMPARE(SimulatorLine::frameStampNanos(plain.words), std::int64_t(0));
    }
};

QTEST_MAIN(TestSimulatorLog)
#include "tst_simulatorlog.moc"
