#ifndef HALVORINE_BENCH_BENCHHOME_H
#define HALVORINE_BENCH_BENCHHOME_H

#include <QString>
#include <QTemporaryDir>

// A throw-away home for the remote's saved cameras, so that a benchmark never reads
// or grows the real user's list. Points the XDG folders at it for this process and
// every process it starts; must exist before the application object.
class BenchHome
{
public:
    BenchHome();
    QString dataHome() const;
    // The remote's settings file under this home (application name "halvorine-remote"
    // unless the bench binary is named otherwise).
    QString settingsFileFor(const QString &applicationName) const;

private:
    QTemporaryDir home;
};

#endif
