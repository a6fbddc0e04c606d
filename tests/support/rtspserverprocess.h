#ifndef HALVORINE_RTSPSERVERPROCESS_H
#define HALVORINE_RTSPSERVERPROCESS_H

#include <QObject>
#include <QProcess>
#include <QStringList>

// The project's test RTSP server (rtsp-test-server) as a child process, with the
// event lines it prints ("ready …", "playing IP", "client-closed IP") collected.
class RtspServerProcess : public QObject
{
    Q_OBJECT

public:
    RtspServerProcess(const QString &program, const QStringList &arguments, QObject *parent = nullptr);
    ~RtspServerProcess() override;

    // Waits for "ready"; false if the server exited first (see exitCode()) or timed out.
    bool waitUntilReady(int timeoutMs = 10000);
    // Waits until a line starting with `prefix` has been printed more than `seen` times in all.
    bool waitForLine(const QString &prefix, int seen = 0, int timeoutMs = 10000);
    int countLines(const QString &prefix) const;
    int exitCode() const { return process.exitCode(); }
    bool isRunning() const { return process.state() == QProcess::Running; }
    QString errorOutput() const { return errors; }
    void kill();

private slots:
    void readLines();

private:
    QProcess process;
    QStringList lines;
    QString errors;
};

#endif
