#include "simulatorprocess.h"

#include "remotedriver.h"

#include <QRegularExpression>

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
        lines << parse(QString::fromUtf8(partial.left(end)));
        partial.remove(0, end + 1);
    }
}

SimulatorLine SimulatorProcess::parse(const QString &line)
{
    static const QRegularExpression stamped(QStringLiteral(R"(^\S+ \S+ (.*) \[monotonic ([\d.]+) ms\]$)"));
    const QRegularExpressionMatch match = stamped.match(line);
    if (!match.hasMatch())
        return {line.mid(24), 0};
    return {match.captured(1), static_cast<std::int64_t>(match.captured(2).toDouble() * 1e6)};
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

std::int64_t SimulatorProcess::frameStampNanos(const QString &words)
{
    static const QRegularExpression frame(QStringLiteral(R"(^frame (\d+) )"));
    const QRegularExpressionMatch match = frame.match(words);
    return match.hasMatch() ? match.captured(1).toLongLong() * 1000000 : 0;
}

double SimulatorProcess::tiltIn(const QString &words)
{
    static const QRegularExpression tilt(QStringLiteral(R"(tilt (-?[\d.]+))"));
    const QRegularExpressionMatch match = tilt.match(words);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}
