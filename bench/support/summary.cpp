#include "summary.h"

#include <QString>

#include <algorithm>
#include <cmath>

namespace {

double micros(std::int64_t nanos)
{
    return static_cast<double>(nanos) / 1000.0;
}

std::int64_t nearestRank(const std::vector<std::int64_t> &sorted, double fraction)
{
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::min(sorted.size(), std::max<std::size_t>(rank, 1)) - 1];
}

} // namespace

QJsonObject Summary::toJson() const
{
    return QJsonObject{{"count", static_cast<qint64>(count)},
                       {"median_us", medianMicros},
                       {"p99_us", p99Micros},
                       {"min_us", minMicros},
                       {"max_us", maxMicros}};
}

Summary summarize(std::vector<std::int64_t> nanos)
{
    Summary summary;
    if (nanos.empty())
        return summary;
    std::sort(nanos.begin(), nanos.end());
    summary.count = nanos.size();
    summary.medianMicros = micros(nearestRank(nanos, 0.5));
    summary.p99Micros = micros(nearestRank(nanos, 0.99));
    summary.minMicros = micros(nanos.front());
    summary.maxMicros = micros(nanos.back());
    return summary;
}

QString formatMicros(double micros)
{
    if (micros < 1000.0)
        return QString::number(micros, 'f', 0) + QStringLiteral(" µs");
    if (micros < 100000.0)
        return QString::number(micros / 1000.0, 'f', 2) + QStringLiteral(" ms");
    return QString::number(micros / 1000.0, 'f', 0) + QStringLiteral(" ms");
}
