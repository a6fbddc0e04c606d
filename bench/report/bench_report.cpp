// Gathers the result files that the bench binaries wrote into one table on stdout
// (Markdown, so it can go into the README as it is) and one results.json.
#include "machinestate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTextStream>

namespace {

QJsonObject readResult(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QJsonObject{{"missing", true}};
    return QJsonDocument::fromJson(file.readAll()).object();
}

QString cell(const QJsonObject &row, const char *key)
{
    return row.value(QLatin1String(key)).toString().replace(QLatin1Char('|'), QLatin1Char('/'));
}

void printRow(QTextStream &out, const QJsonObject &row)
{
    out << "| " << cell(row, "measure") << " | " << cell(row, "remote") << " | " << cell(row, "floor") << " | "
        << cell(row, "target") << " | " << cell(row, "verdict") << " |\n";
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    // bench_report DIR "LOAD BEFORE" NAME...
    if (arguments.size() < 4) {
        QTextStream(stderr) << "usage: bench_report DIR LOAD_BEFORE NAME...\n";
        return 2;
    }
    const QDir directory(arguments.at(1));
    const QJsonObject machine = machineState(arguments.at(2));
    QJsonObject benchmarks;
    QTextStream out(stdout);
    out << "| Measure | Remote | Floor / peer, same run | Target | Result |\n"
        << "| --- | --- | --- | --- | --- |\n";
    for (const QString &name : arguments.mid(3)) {
        const QJsonObject result = readResult(directory.filePath(name + QStringLiteral(".json")));
        benchmarks.insert(name, result);
        if (result.contains(QStringLiteral("missing")))
            printRow(out, QJsonObject{{"measure", name}, {"remote", "no result"}, {"verdict", "failed"}});
        for (const QJsonValue row : result.value(QStringLiteral("rows")).toArray())
            printRow(out, row.toObject());
    }
    out << "\nMachine: " << machineSummary(machine) << "\n";
    QFile json(directory.filePath(QStringLiteral("results.json")));
    if (!json.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    json.write(QJsonDocument(QJsonObject{{"machine", machine}, {"benchmarks", benchmarks}}).toJson());
    out << "Results: " << QFileInfo(json).absoluteFilePath() << "\n";
    return 0;
}
