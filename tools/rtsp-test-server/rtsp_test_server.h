#ifndef HALVORINE_RTSP_TEST_SERVER_H
#define HALVORINE_RTSP_TEST_SERVER_H

#include <QHash>
#include <QProcess>
#include <QString>
#include <QStringList>

// One rtsp-test-server process (this folder's program) for a test or a benchmark,
// serving on ADDRESS:PORT; port 554 unless told otherwise, since the program's stream
// URLs carry no port. It reads the event lines the server prints ("ready …",
// "client-connected IP", "playing IP", "client-closed IP": see rtsp-test-server
// --help) as they come; waits run the caller's event loop, so that a window or a
// libVLC player in the same process goes on working meanwhile.
class RtspTestServer
{
public:
    enum class Start { Ready, PortNeedsRoot, Failed };

    // `streamOptions` come first on the server's command line, the options given to
    // start() after them (a test area's usual stream, then one case's own).
    explicit RtspTestServer(QString address, QStringList streamOptions = {}, int port = 554);
    ~RtspTestServer();
    RtspTestServer(const RtspTestServer &) = delete;
    RtspTestServer &operator=(const RtspTestServer &) = delete;

    // Whether this process may serve RTSP on its usual port, 554 (root, on Linux):
    // benches ask before they build the remote, and skip with `needsRootNote`.
    static bool mayServeUsualPort();
    static constexpr const char *needsRootNote = "skipped: port 554 needs root";

    // Starts the server and waits for its "ready" line. PortNeedsRoot when it could
    // not bind a privileged port without root: a test skips there, and fails on Failed.
    Start start(const QStringList &options = {}, int timeoutMs = 15000);
    // The stream's URL as the program writes it: rtsp://ADDRESS/MOUNT (the port only
    // when it is not 554). Empty before "ready".
    QString url() const { return streamUrl; }

    // How many lines starting with `event` the server has printed so far.
    int count(const QString &event);
    // Until `event` has been printed `count` times in all; false on time-out or exit.
    bool waitForEvents(const QString &event, int count, int timeoutMs);
    // Until the next `event` not yet waited for with this call.
    bool waitForEvent(const QString &event, int timeoutMs);

    bool isRunning() const { return process.state() == QProcess::Running; }
    qint64 processId() const { return process.processId(); }
    void kill();
    // SIGSTOP / SIGCONT: a server that hangs with its connections open.
    void freeze();
    void thaw();

    // What the server wrote on stderr so far.
    QString errorOutput() const { return errors; }
    // Everything known for a failure message: QProcess's error, exit, stdout, stderr.
    QString diagnostics();

private:
    void readLines();

    QString address;
    QStringList streamOptions;
    int port;
    QProcess process;
    QStringList lines;
    QString errors;
    QString streamUrl;
    QHash<QString, int> waitedFor;
};

#endif
