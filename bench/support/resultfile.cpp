#include "resultfile.h"

#include <cstdio>

#include <QDir>
#include <QFile>
#include <QJsonDocument>

ResultFile::ResultFile(const QString &name)
    : name(name)
{
}

void ResultFile::addRow(const TableRow &row)
{
    rows.append(QJsonObject{{"measure", row.measure},
                            {"remote", row.remote},
                            {"floor", row.floor},
                            {"target", row.target},
                            {"verdict", row.verdict}});
}

void ResultFile::setFigure(const QString &key, const QJsonValue &value)
{
    figures.insert(key, value);
}

bool ResultFile::write(const QString &directory) const
{
    QDir().mkpath(directory);
    QFile file(QDir(directory).filePath(name + QStringLiteral(".json")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    const QJsonObject whole{{"name", name}, {"rows", rows}, {"figures", figures}};
    return file.write(QJsonDocument(whole).toJson()) > 0;
}

QString verdict(bool met)
{
    return met ? QStringLiteral("met") : QStringLiteral("missed");
}

int reportNotMeasured(const QString &name, const QString &measure, const QString &why, const QString &directory,
                      int exitCode)
{
    ResultFile result(name);
    result.addRow({measure, QStringLiteral("not measured"), QString(), QString(), why});
    result.write(directory);
    std::fprintf(stderr, "bench_%s: %s\n", qPrintable(name), qPrintable(why));
    return exitCode;
}
