#include "rtspserverprocess.h"

#include <QDeadlineTimer>
#include <QSignalSpy>

RtspServerProcess::RtspServerProcess(const QString &program, const QStringList &arguments, QObject *parent)
    : QObject(parent)
{
    connect(&process, &QProcess::readyReadStandardOutput, this, &RtspServerProcess::readLines);
    connect(&process, &QProcess::readyReadStandardError, this,
            [this] { errors += QString::fromLocal8Bit(process.readAllStandardError()); });
    process.start(program, arguments);
}

RtspServerProcess::~RtspServerProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000))
            kill();
    }
}

void RtspServerProcess::kill()
{
    process.kill();
    process.waitForFinished(5000);
}

void RtspServerProcess::readLines()
{
    while (process.canReadLine())
        lines << QString::fromUtf8(process.readLine()).trimmed();
}

int RtspServerProcess::countLines(const QString &prefix) const
{
    int count = 0;
    for (const QString &line : lines)
        if (line.startsWith(prefix))
            ++count;
    return count;
}

bool RtspServerProcess::waitForLine(const QString &prefix, int seen, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (countLines(prefix) <= seen) {
        if (process.state() == QProcess::NotRunning || deadline.hasExpired())
            return false;
        // Short slices, so that a server that dies is noticed at once.
        QSignalSpy output(&process, &QProcess::readyReadStandardOutput);
        // One type for all three: Qt 6's mixed-type qBound overloads make qBound<qint64>
        // over int literals ambiguous.
        output.wait(int(qBound(qint64(1), deadline.remainingTime(), qint64(200))));
        readLines();
    }
    return true;
}

bool RtspServerProcess::waitUntilReady(int timeoutMs)
{
    if (!process.waitForStarted(timeoutMs))
        return false;
    if (waitForLine(QStringLiteral("ready"), 0, timeoutMs))
        return true;
    process.waitForFinished(1000);
    return false;
}
