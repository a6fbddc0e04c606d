#include "benchhome.h"

#include <QDir>

BenchHome::BenchHome()
{
    qputenv("XDG_DATA_HOME", dataHome().toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toUtf8());
    // Qt asks for a private runtime folder and warns on every start without one.
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
}

QString BenchHome::dataHome() const
{
    return QDir(home.path()).filePath(QStringLiteral("data"));
}

QString BenchHome::settingsFileFor(const QString &applicationName) const
{
    return dataHome() + QLatin1Char('/') + applicationName + QStringLiteral("/settings.ini");
}
