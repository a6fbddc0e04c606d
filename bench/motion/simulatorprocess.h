#ifndef HALVORINE_BENCH_SIMULATORPROCESS_H
#define HALVORINE_BENCH_SIMULATORPROCESS_H

#include "simulatorlog.h"

#include <QProcess>
#include <QString>
#include <QStringList>

// camera-sim run as a child process with --stamp on one address, its log read as it
// comes (the bench's event loop must run for it to arrive).
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QString &address);
    ~SimulatorProcess();

    // Starts it and waits until it serves video; false with the reason.
    bool start(const QString &program, QString &error, int timeoutMs = 10000);

    // The first line from `from` on whose words start with `prefix`, waiting for it
    // up to timeoutMs; its index in *index. False on time-out.
    bool waitFor(const QString &prefix, std::size_t from, int timeoutMs, SimulatorLine *line,
                 std::size_t *index = nullptr);
    std::size_t lineCount() const { return static_cast<std::size_t>(lines.size()); }

private:
    void collect();

    QString address;
    QProcess process;
    QByteArray partial;
    QList<SimulatorLine> lines;
};

#endif
