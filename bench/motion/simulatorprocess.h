#ifndef HALVORINE_BENCH_SIMULATORPROCESS_H
#define HALVORINE_BENCH_SIMULATORPROCESS_H

#include <QProcess>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

// One line of camera-sim's log under --stamp: its words and the monotonic time it was
// written at ("... words [monotonic 12345.678 ms]").
struct SimulatorLine
{
    QString words;
    std::int64_t monotonicNanos = 0;
};

// camera-sim run as a child process with --stamp on one address, its log read as it
// comes (the bench's event loop must run for it to arrive).
class SimulatorProcess
{
public:
    explicit SimulatorProcess(const QString &address);
    ~SimulatorProcess();

    // Starts it and waits until it serves video; false with the reason.
    bool start(const QString &program, QString &error, int timeoutMs = 10000);
    QString url() const { return QStringLiteral("rtsp://%1/1").arg(address); }

    // The first line from `from` on whose words start with `prefix`, waiting for it
    // up to timeoutMs; its index in *index. False on time-out.
    bool waitFor(const QString &prefix, std::size_t from, int timeoutMs, SimulatorLine *line,
                 std::size_t *index = nullptr);
    std::size_t lineCount() const { return static_cast<std::size_t>(lines.size()); }

    // "frame 12345 shows the head moving (...)" -> 12345 ms as nanoseconds; 0 if none.
    static std::int64_t frameStampNanos(const QString &words);
    // "... tilt 12.34 ...)" -> 12.34; 0 when there is none.
    static double tiltIn(const QString &words);
    static SimulatorLine parse(const QString &line);

private:
    void collect();

    QString address;
    QProcess process;
    QByteArray partial;
    QList<SimulatorLine> lines;
};

#endif
