#include "simulatorprocess.h"

#include "remotedriver.h"


SimulatorProcess::SimulatorProcess(const QString &address)
    : address(address)
{
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [this] { collect(); });
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

SimulatorProcess::~SimulatorProcess()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(5000))
            process.kill();
        process.waitForFinished(2000);
    }
}

bool SimulatorProcess::start(const QString &program, QString &error, int timeoutMs)
{
    process.start(program, {QStringLiteral("--address"), address, QStringLiteral("--stamp")});
    if (!process.waitForStarted(5000)) {
        error = QStringLiteral("camera-sim did not start: ") + process.errorString();
        return false;
    }
    SimulatorLine line;
    if (!waitFor(QStringLiteral("serving video at "), 0, timeoutMs, &line)) {
        error = QStringLiteral("camera-sim serves no video (see its stderr)");
        return false;
    }
    return true;
}

void SimulatorProcess::collect()
{
    partial += process.readAllStandardOutput();
    int end;
    while ((end = partial.indexOf('\n')) >= 0) {
        lines << SimulatorLine::parse(QString::fromUtf8(partial.left(end)));
        partial.remove(0, end + 1);
    }
}

bool SimulatorProcess::waitFor(const QString &prefix, std::size_t from, int timeoutMs, SimulatorLine *line,
                               std::size_t *index)
{
    std::size_t next = from;
    const bool found = RemoteDriver::runUntil(
        [&] {
            for (; next < static_cast<std::size_t>(lines.size()); ++next) {
                if (lines[static_cast<int>(next)].words.startsWith(prefix))
                    return true;
            }
            return false;
        },
        timeoutMs);
    if (found) {
        *line = lines[static_cast<int>(next)];
        if (index)
            *index = next;
    }
    return found;
}
