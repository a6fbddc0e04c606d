#ifndef HALVORINE_BENCH_BENCHOPTIONS_H
#define HALVORINE_BENCH_BENCHOPTIONS_H

#include <QStringList>

// The command line every bench binary shares: "--out DIR" for its result file,
// "--NAME VALUE" for its own counts. Read before the application object takes argv.
class BenchOptions
{
public:
    BenchOptions(int argc, char **argv);

    QString outDirectory() const { return text(QStringLiteral("out"), QStringLiteral("bench-results")); }
    QString text(const QString &name, const QString &fallback) const;
    int number(const QString &name, int fallback) const;

private:
    QStringList arguments;
};

#endif
