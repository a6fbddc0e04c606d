// The camera-sim program itself, run as a child process: its options, its log
// on stdout, and carrying on without video when the RTSP port can't be had.
#include <QProcess>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <chrono>
#include <unistd.h>


namespace {

const QString Program = QStringLiteral(CAMERA_SIM_PATH);

// A running camera-sim whose stdout lines are collected as they come.
struct Sim
{
    QProcess process;
    QStringList lines;
    QByteArray partial;

    void start(const QStringList &arguments)
    {
        QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] {
            partial += process.readAllStandardOutput();
            int end;
            while ((end = partial.indexOf('\n')) >= 0) {
                lines << QString::fromUtf8(partial.left(end));
                partial.remove(0, end + 1);
            }
        });
        process.start(Program, arguments);
    }
    bool hasLine(const QString &fragment) const
    {
        for (const QString &line : lines)
            if (line.contains(fragment))
                return true;
        return false;
    }
    ~Sim()
    {
        process.terminate();
        process.waitForFinished(5000);
    }
};

// What a program prints and returns for the given options, bounded in time.
struct Run
{
    int exitCode = -1;
    QString out, err;
};

Run runToEnd(const QStringList &arguments)
{
    QProcess process;
    process.start(Program, arguments);
    Run run;
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

} // namespace

class TestCameraSimCli : public QObject
{
    Q_OBJECT
private slots:
    void helpDescribesTheOptions();
    void badOptionsFail_data();
    void badOptionsFail();
    void logsEachMessageInWords();
    void stampsEveryLogLineWithTheMonotonicClock();
    void carriesOnWithoutVideoWhenItCannotBind();
    void explainsAPrivilegedPort();
};

void TestCameraSimCli::helpDescribesTheOptions()
{
    const Run run = runToEnd({QStringLiteral("--help")});
    QCOMPARE(run.exitCode, 0);
    for (const char *option : {"--address", "--control-port", "--port-rtsp", "--no-video", "5678", "554"})
        QVERIFY2(run.out.contains(QLatin1String(option)), option);
}

void TestCameraSimCli::badOptionsFail_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");
    QTest::newRow("unknown option") << QStringList{"--bogus"} << "bogus";
    QTest::newRow("missing value") << QStringList{"--address"} << "address";
    QTest::newRow("not an address") << QStringList{"--address", "camera.local"} << "camera.local";
    QTest::newRow("port out of range") << QStringList{"--control-port", "70000"} << "70000";
    QTest::newRow("port not a number") << QStringList{"--port-rtsp", "rtsp"} << "rtsp";
    QTest::newRow("stray argument") << QStringList{"127.0.0.1"} << "127.0.0.1";
}

void TestCameraSimCli::badOptionsFail()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);
    const Run run = runToEnd(arguments);
    QVERIFY(run.exitCode > 0);
    QVERIFY2(run.err.contains(complaint), qPrintable(run.err));
}

void TestCameraSimCli::logsEachMessageInWords()
{
    Sim sim;
    sim.start({"--address", "127.0.0.42", "--no-video"});
    QTRY_VERIFY2(sim.hasLine("listening for VISCA on 127.0.0.42:5678"), qPrintable(sim.lines.join('\n')));

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.42"), 5678);
    QVERIFY(socket.waitForConnected(5000));
    // Each write and the log lines it makes (the unterminated one shows when
    // the next header cuts it short).
    const struct { const char *hex; QStringList words; } writes[] = {
        {"810106010E0E0301FF", {"pan-tilt drive: up, pan speed 14, tilt speed 14 (from pan 0.0, tilt 0.0)"}},
        {"8101060118140303FF", {"pan-tilt stop (held at pan 0.0, tilt "}},
        {"810106010E0E0302FF", {"pan-tilt drive: down, pan speed 14, tilt speed 14"}},
        {"810106010E0E0103FF", {"pan-tilt drive: left, pan speed 14, tilt speed 14"}},
        {"810106010E0E0203FF", {"pan-tilt drive: right, pan speed 14, tilt speed 14"}},
        {"8101060118140303FF", {"pan-tilt stop (held at "}},
        {"8101043F025FFF", {"memory recall 95 (OSD menu open, MENU page, cursor on Exposure)"}},
        {"8101060605FF", {"OSD enter (EXPOSURE page, cursor on Mode: Auto)"}},
        {"8101060604FF", {"OSD back (MENU page, cursor on Exposure)"}},
        {"810106 81090400FF", {"unterminated message dropped: 81 01 06", "unknown: 81 09 04 00 FF"}},
    };
    QStringList expected{"listening for VISCA on 127.0.0.42:5678", "client 1 connected from 127.0.0."};
    QTRY_COMPARE(sim.lines.size(), 2);
    for (const auto &w : writes) {
        socket.write(QByteArray::fromHex(w.hex));
        expected += w.words;
        QTRY_COMPARE(sim.lines.size(), expected.size());
    }
    socket.disconnectFromHost();
    expected << "client 1 disconnected";
    QTRY_COMPARE(sim.lines.size(), expected.size());

    // "2026-12-07 05:01:02.123 <words>", one line per message, in order.
    static const QRegularExpression stamped(QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*)$)"));
    for (int i = 0; i < sim.lines.size(); ++i) {
        const QRegularExpressionMatch match = stamped.match(sim.lines[i]);
        QVERIFY2(match.hasMatch(), qPrintable(sim.lines[i]));
        QVERIFY2(match.captured(1).startsWith(expected[i]), qPrintable(sim.lines[i]));
    }
}

// Under --stamp the words are as before and end with " [monotonic N.NNN ms]": the
// CLOCK_MONOTONIC time the message was taken in, between sending it and reading the line.
void TestCameraSimCli::stampsEveryLogLineWithTheMonotonicClock()
{
    const auto monotonicMs = [] {
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
    };
    Sim sim;
    sim.start({"--address", "127.0.0.42", "--no-video", "--stamp"});
    QTRY_VERIFY2(sim.hasLine("listening for VISCA on 127.0.0.42:5678 [monotonic "), qPrintable(sim.lines.join('\n')));
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.42"), 5678);
    QVERIFY(socket.waitForConnected(5000));
    QTRY_COMPARE(sim.lines.size(), 2);
    const double sent = monotonicMs();
    socket.write(QByteArray::fromHex("810106010E0E0301FF"));
    QTRY_COMPARE(sim.lines.size(), 3);
    const double read = monotonicMs();

    static const QRegularExpression stamped(
        QStringLiteral(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (.*) \[monotonic (\d+\.\d{3}) ms\]$)"));
    const QRegularExpressionMatch drive = stamped.match(sim.lines[2]);
    QVERIFY2(drive.hasMatch(), qPrintable(sim.lines[2]));
    QCOMPARE(drive.captured(1), QStringLiteral("pan-tilt drive: up, pan speed 14, tilt speed 14 (from pan 0.0, tilt 0.0)"));
    const double at = drive.captured(2).toDouble();
    QVERIFY2(at >= sent && at <= read, qPrintable(QStringLiteral("%1 not in %2..%3").arg(at).arg(sent).arg(read)));
}

void TestCameraSimCli::carriesOnWithoutVideoWhenItCannotBind()
{
    QTcpServer squatter; // holds the RTSP port the simulator is told to use
    QVERIFY(squatter.listen(QHostAddress(QStringLiteral("127.0.0.43")), 0));
    Sim sim;
    sim.start({"--address", "127.0.0.43", "--port-rtsp", QString::number(squatter.serverPort())});
    QTRY_VERIFY(sim.hasLine("listening for VISCA on 127.0.0.43:5678"));
    // One line on stderr says why, and the program goes on.
    const QString why = QStringLiteral("camera-sim: no video at rtsp://127.0.0.43:%1/1: ").arg(squatter.serverPort());
    QString err;
    QTRY_VERIFY((err += QString::fromUtf8(sim.process.readAllStandardError())).contains(why));
    const QString line = err.mid(err.indexOf(why)).section('\n', 0, 0);
    QVERIFY2(line.contains("in use", Qt::CaseInsensitive), qPrintable(line));
    QVERIFY2(line.endsWith("Carrying on with control only."), qPrintable(line));

    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.43"), 5678);
    QVERIFY(socket.waitForConnected(5000));
    socket.write(QByteArray::fromHex("8101060605FF"));
    QByteArray replies;
    QTRY_COMPARE((replies += socket.readAll()), QByteArray::fromHex("9041FF9051FF"));
    QCOMPARE(sim.process.state(), QProcess::Running);
}

void TestCameraSimCli::explainsAPrivilegedPort()
{
    if (geteuid() == 0)
        QSKIP("running as root: port 554 can be bound, nothing to explain");
    Sim sim;
    sim.start({"--address", "127.0.0.43", "--control-port", "5679"});
    QString err;
    QTRY_VERIFY((err += QString::fromUtf8(sim.process.readAllStandardError())).contains("setcap"));
    QVERIFY2(err.contains("cap_net_bind_service=+ep"), qPrintable(err));
    QVERIFY2(err.contains("permission", Qt::CaseInsensitive), qPrintable(err));
}

QTEST_GUILESS_MAIN(TestCameraSimCli)
#include "tst_camerasimcli.moc"
