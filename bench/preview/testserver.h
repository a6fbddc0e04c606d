#ifndef HALVORINE_BENCH_TESTSERVER_H
#define HALVORINE_BENCH_TESTSERVER_H

#include <QProcess>
#include <QString>
#include <QStringList>

// The project's rtsp-test-server (tools/rtsp-test-server) on a loopback address,
// port 554, H.264 with a key frame every second unless told other stream options;
// started and stopped by the bench.
class TestServer
{
public:
    explicit TestServer(const QString &address,
                        const QStringList &streamOptions = {QStringLiteral("--codec"), QStringLiteral("h264"),
                                                            QStringLiteral("--keyframe-interval"),
                                                            QStringLiteral("1")});
    ~TestServer();

    // Starts the server and waits for its "ready" line; false with a reason.
    bool start(const QString &program, QString &error);
    QString url() const { return QStringLiteral("rtsp://") + address + QStringLiteral("/1"); }

private:
    QString address;
    QStringList streamOptions;
    QProcess process;
};

#endif
