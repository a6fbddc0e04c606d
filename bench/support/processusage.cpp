#include "processusage.h"

#include <QFile>
#include <QList>

#include <unistd.h>

namespace {

QByteArray procFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QByteArray procFile(qint64 pid, const char *name)
{
    return procFile(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
}

double cpuSecondsIn(const QByteArray &stat)
{
    // The command name, in parentheses, may hold spaces: the fields follow its end.
    const int end = stat.lastIndexOf(')');
    if (end < 0)
        return -1;
    const QList<QByteArray> fields = stat.mid(end + 2).split(' ');
    // After the name: state is field 3 of stat(5), utime 14 and stime 15.
    if (fields.size() < 13)
        return -1;
    const double ticks = fields.at(11).toDouble() + fields.at(12).toDouble();
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

} // namespace

double cpuSecondsOf(qint64 pid)
{
    return cpuSecondsIn(procFile(pid, "stat"));
}

double cpuSecondsOfThread(qint64 pid, qint64 threadId)
{
    return cpuSecondsIn(procFile(QStringLiteral("/proc/%1/task/%2/stat").arg(pid).arg(threadId)));
}

qint64 residentBytesOf(qint64 pid)
{
    const QList<QByteArray> fields = procFile(pid, "statm").split(' ');
    if (fields.size() < 2)
        return -1;
    return fields.at(1).toLongLong() * sysconf(_SC_PAGESIZE);
}
