#ifndef HALVORINE_BENCH_RESULTFILE_H
#define HALVORINE_BENCH_RESULTFILE_H

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

// One row of the printed table: what was measured, the remote's figure, the floor or
// peer measured beside it in the same run, and whether the target holds.
struct TableRow
{
    QString measure;
    QString remote;
    QString floor;
    QString target;
    // "met", "missed", or "" for a row that only informs.
    QString verdict;
};

// What one benchmark found: its table rows and its raw figures, written as
// <directory>/<name>.json for bench_report to gather into one table.
class ResultFile
{
public:
    explicit ResultFile(const QString &name);

    void addRow(const TableRow &row);
    void setFigure(const QString &key, const QJsonValue &value);
    bool write(const QString &directory) const;

private:
    QString name;
    QJsonArray rows;
    QJsonObject figures;
};

QString verdict(bool met);

// For a bench that could not measure: writes its one row saying why, prints the
// reason, and gives the exit code (0 for a skip, which is no failure).
int reportNotMeasured(const QString &name, const QString &measure, const QString &why, const QString &directory,
                      int exitCode = 1);

#endif
