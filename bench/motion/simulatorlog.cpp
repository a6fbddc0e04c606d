#include "simulatorlog.h"

#include <QRegularExpression>

SimulatorLine SimulatorLine::parse(const QString &line)
{
    static const QRegularExpression stamped(QStringLiteral(R"(^\S+ \S+ (.*) \[monotonic (\d+\.\d+) ms\]$)"));
    const QRegularExpressionMatch match = stamped.match(line);
    if (!match.hasMatch())
        return {line.mid(24), 0};
    return {match.captured(1), static_cast<std::int64_t>(match.captured(2).toDouble() * 1e6)};
}

std::int64_t SimulatorLine::frameStampNanos(const QString &words)
{
    static const QRegularExpression frame(QStringLiteral(R"(^frame (\d+) )"));
    const QRegularExpressionMatch match = frame.match(words);
    return match.hasMatch() ? match.captured(1).toLongLong() * 1000000 : 0;
}

double SimulatorLine::tiltIn(const QString &words)
{
    static const QRegularExpression tilt(QStringLiteral(R"(tilt (-?\d+(\.\d+)?))"));
    const QRegularExpressionMatch match = tilt.match(words);
    return match.hasMatch() ? match.captured(1).toDouble() : 0;
}
