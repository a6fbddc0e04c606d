#include "benchoptions.h"

#include <QStringList>

BenchOptions::BenchOptions(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
}

QString BenchOptions::text(const QString &name, const QString &fallback) const
{
    const int at = arguments.indexOf(QStringLiteral("--") + name);
    return at >= 0 && at + 1 < arguments.size() ? arguments.at(at + 1) : fallback;
}

int BenchOptions::number(const QString &name, int fallback) const
{
    bool ok = false;
    const int value = text(name, QString()).toInt(&ok);
    return ok ? value : fallback;
}
