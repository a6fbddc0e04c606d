#include "testenvironment.h"

#include <QDir>

TestEnvironment::TestEnvironment()
{
    qputenv("XDG_DATA_HOME", QDir(home.path()).filePath(QStringLiteral("data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", QDir(home.path()).filePath(QStringLiteral("config")).toUtf8());
    qputenv("XDG_RUNTIME_DIR", home.path().toUtf8());
}

QString TestEnvironment::dataHome() const
{
    return QDir(home.path()).filePath(QStringLiteral("data"));
}

QString TestEnvironment::settingsFileFor(const QString &applicationName) const
{
    return dataHome() + QLatin1Char('/') + applicationName + QStringLiteral("/settings.ini");
}
