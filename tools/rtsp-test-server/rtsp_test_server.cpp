#include "rtsp_test_server.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

#include <csignal>
#include <unistd.h>

namespace {
// main.cpp's exit code when it cannot listen on the address and port.
constexpr int kExitCannotListen = 2;
constexpr int kFirstUnprivilegedPort = 1024;
// Short slices, so that a server that dies is noticed at once.
constexpr int kWaitSliceMs = 200;
} // namespace

RtspTestServer::RtspTestServer(QString address, QStringList streamOptions, int port)
    : address(std::move(address))
    , streamOptions(std::move(streamOptions))
    , port(port)
{
    process.setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [this] { readLines(); });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [this] { errors += QString::fromLocal8Bit(process.readAllStandardError()); });
}

RtspTestServer::~RtspTestServer()
{
    if (process.state() == QProcess::NotRunning)
        return;
    thaw();
    process.terminate();
    if (!process.waitForFinished(5000))
        kill();
}

RtspTestServer::Start RtspTestServer::start(const QStringList &options, int timeoutMs)
{
    process.start(QStringLiteral(RTSP_TEST_SERVER_PROGRAM),
                  QStringList{QStringLiteral("--address"), address, QStringLiteral("--port"), QString::number(port)}
                      + streamOptions + options);
    if (waitForEvents(QStringLiteral("ready"), 1, timeoutMs)) {
        // "ready rtsp://A:N/PATH"
        for (const QString &line : qAsConst(lines)) {
            if (line.startsWith(QLatin1String("ready "))) {
                streamUrl = line.mid(6);
                break;
            }
        }
        if (port == 554)
            streamUrl.replace(QStringLiteral(":554/"), QStringLiteral("/"));
        return Start::Ready;
    }
    process.waitForFinished(2000);
    const bool cannotListen = process.state() == QProcess::NotRunning && process.exitStatus() == QProcess::NormalExit
        && process.exitCode() == kExitCannotListen;
    return cannotListen && port < kFirstUnprivilegedPort && !mayServeUsualPort() ? Start::PortNeedsRoot : Start::Failed;
}

void RtspTestServer::readLines()
{
    while (process.canReadLine())
        lines << QString::fromUtf8(process.readLine()).trimmed();
}

int RtspTestServer::count(const QString &event)
{
    readLines();
    int seen = 0;
    for (const QString &line : qAsConst(lines))
        if (line.startsWith(event))
            ++seen;
    return seen;
}

bool RtspTestServer::waitForEvents(const QString &event, int wanted, int timeoutMs)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (count(event) < wanted) {
        if (deadline.hasExpired() || (process.state() == QProcess::NotRunning && process.bytesAvailable() == 0))
            return false;
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(qMin<qint64>(deadline.remainingTime(), kWaitSliceMs)), &loop,
                           &QEventLoop::quit);
        QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, &QEventLoop::quit);
        QObject::connect(&process, qOverload<int, QProcess::ExitStatus>(&QProcess::finished), &loop,
                         &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return true;
}

bool RtspTestServer::waitForEvent(const QString &event, int timeoutMs)
{
    if (!waitForEvents(event, waitedFor.value(event) + 1, timeoutMs))
        return false;
    ++waitedFor[event];
    return true;
}

void RtspTestServer::kill()
{
    thaw();
    process.kill();
    process.waitForFinished(5000);
}

void RtspTestServer::freeze()
{
    if (process.processId() > 0)
        ::kill(static_cast<pid_t>(process.processId()), SIGSTOP);
}

void RtspTestServer::thaw()
{
    if (process.processId() > 0)
        ::kill(static_cast<pid_t>(process.processId()), SIGCONT);
}

QString RtspTestServer::diagnostics()
{
    readLines();
    errors += QString::fromLocal8Bit(process.readAllStandardError());
    QString exit;
    if (process.state() == QProcess::NotRunning)
        exit = process.exitStatus() == QProcess::CrashExit ? QStringLiteral("crashed")
                                                           : QStringLiteral("exit code %1").arg(process.exitCode());
    else
        exit = QStringLiteral("running");
    return QStringLiteral("rtsp-test-server on %1:%2 (%3; %4); stdout: %5; stderr: %6")
        .arg(address)
        .arg(port)
        .arg(exit, process.errorString(), lines.join(QStringLiteral(" | ")), errors.trimmed());
}

bool RtspTestServer::mayServeUsualPort()
{
    return geteuid() == 0;
}
