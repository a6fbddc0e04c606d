#include "testserver.h"

#include <QDeadlineTimer>

TestServer::TestServer(const QString &address, const QStringList &streamOptions)
    : address(address)
    , streamOptions(streamOptions)
{
}

TestServer::~TestServer()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(2000);
    }
}

bool TestServer::start(const QString &program, QString &error)
{
    process.setProcessChannelMode(QProcess::SeparateChannels);
    process.start(program, QStringList{QStringLiteral("--address"), address, QStringLiteral("--port"),
                                       QStringLiteral("554")}
                               + streamOptions);
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired() && process.waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        while (process.canReadLine()) {
            if (process.readLine().startsWith("ready "))
                return true;
        }
    }
    error = QString::fromLocal8Bit(process.readAllStandardError()).trimmed();
    if (error.isEmpty())
        error = QStringLiteral("no ready line from ") + program;
    return false;
}
