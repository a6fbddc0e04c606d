#pragma once

#include <QProcess>
#include <QStringList>

// One tools/rtsp-test-server process serving at rtsp://ADDRESS/MOUNT on
// port 554 (the program's URLs carry no port). Waits read its event lines
// ("ready", "client-closed ...", see rtsp-test-server --help).
class TestServer {
public:
    enum class Start { Ready, PortNeedsRoot, Failed };

    explicit TestServer(QString address);
    ~TestServer();

    Start start(const QStringList &options = {});
    // Waits for the next line starting with `event` not yet waited for.
    bool waitForEvent(const QString &event, int timeoutMs);
    void kill();
    void freeze();
    void thaw();
    QString diagnostics();

private:
    void readLines();

    QString address_;
    QProcess process_;
    QStringList lines_;
    int nextLine_ = 0;
};

// Skips the test where port 554 cannot be bound (not root).
#define START_TEST_SERVER(server, ...)                                                   \
    do {                                                                                 \
        const TestServer::Start started_ = (server).start(__VA_ARGS__);                  \
        if (started_ == TestServer::Start::PortNeedsRoot)                                \
            QSKIP("rtsp-test-server cannot bind port 554 without root");                 \
        QVERIFY2(started_ == TestServer::Start::Ready, qPrintable((server).diagnostics())); \
    } while (false)
