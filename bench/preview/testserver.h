#ifndef HALVORINE_BENCH_TESTSERVER_H
#define HALVORINE_BENCH_TESTSERVER_H

#include <QProcess>
#include <QString>

// The project's rtsp-test-server (tools/rtsp-test-server) on a loopback address,
// port 554, H.264 with a key frame every second; started and stopped by the bench.
class TestServer
{
public:
    explicit TestServer(const QString &address);
    ~TestServer();

    // Starts the server and waits for its "ready" line; false with a reason.
    bool start(const QString &program, QString &error);
    QString url() const { return QStringLiteral("rtsp://") + address + QStringLiteral("/1"); }

private:
    QString address;
    QProcess process;
};

#endif
