#include "settings/previewlatency.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace {

PreviewLatency currentLatency = PreviewLatency::Default;
const QString latencyKey = QStringLiteral("preview/latency");

} // namespace

namespace PreviewLatencyChoice {

PreviewLatency current()
{
    return currentLatency;
}

void setCurrent(PreviewLatency latency)
{
    currentLatency = latency;
}

QString nameOf(PreviewLatency latency)
{
    return latency == PreviewLatency::Low ? QStringLiteral("low") : QStringLiteral("default");
}

std::optional<PreviewLatency> fromName(const QString &name)
{
    if (name == QLatin1String("low"))
        return PreviewLatency::Low;
    if (name == QLatin1String("default"))
        return PreviewLatency::Default;
    return std::nullopt;
}

QString preferenceFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + QStringLiteral("/preview.ini");
}

PreviewLatency load(const QString &file)
{
    if (!QFileInfo::exists(file))
        return PreviewLatency::Default;
    const QSettings settings(file, QSettings::IniFormat);
    return fromName(settings.value(latencyKey).toString()).value_or(PreviewLatency::Default);
}

bool save(const QString &file, PreviewLatency latency)
{
    // QSettings does not create a missing directory.
    QDir().mkpath(QFileInfo(file).absolutePath());
    QSettings settings(file, QSettings::IniFormat);
    settings.setValue(latencyKey, nameOf(latency));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

void applyAtStart(std::optional<PreviewLatency> chosenOnCommandLine)
{
    const QString file = preferenceFile();
    if (chosenOnCommandLine) {
        if (!save(file, *chosenOnCommandLine))
            qWarning("cannot keep the preview latency in %s", qPrintable(file));
        setCurrent(*chosenOnCommandLine);
    } else {
        setCurrent(load(file));
    }
}

} // namespace PreviewLatencyChoice
