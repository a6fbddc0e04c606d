#include "test_server.h"

#include <QDeadlineTimer>

#include <csignal>
#include <unistd.h>

namespace {
constexpr int kStartTimeoutMs = 5000;
constexpr int kExitCodeCannotBind = 2;
} // namespace

TestServer::TestServer(QString address)
    : address_(std::move(address))
{
}

TestServer::~TestServer()
{
    thaw();
    process_.terminate();
    if (!process_.waitForFinished(2000))
        process_.kill();
    process_.waitForFinished(1000);
}

TestServer::Start TestServer::start(const QStringList &options)
{
    process_.start(QStringLiteral(RTSP_TEST_SERVER),
                   QStringList{"--address", address_, "--port", "554", "--width", "320", "--height", "240", "--motion"}
                       + options);
    if (waitForEvent("ready", kStartTimeoutMs))
        return Start::Ready;
    process_.waitForFinished(kStartTimeoutMs);
    const bool cannotBind = process_.state() == QProcess::NotRunning
        && process_.exitCode() == kExitCodeCannotBind;
    return cannotBind && geteuid() != 0 ? Start::PortNeedsRoot : Start::Failed;
}

void TestServer::readLines()
{
    while (process_.canReadLine())
        lines_ << QString::fromUtf8(process_.readLine()).trimmed();
}

bool TestServer::waitForEvent(const QString &event, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    for (;;) {
        readLines();
        for (; nextLine_ < lines_.size(); ++nextLine_) {
            if (lines_[nextLine_].startsWith(event)) {
                ++nextLine_;
                return true;
            }
        }
        if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
            return false;
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    }
}

void TestServer::kill()
{
    process_.kill();
    process_.waitForFinished(2000);
}

void TestServer::freeze()
{
    if (process_.processId() > 0)
        ::kill(static_cast<pid_t>(process_.processId()), SIGSTOP);
}

void TestServer::thaw()
{
    if (process_.processId() > 0)
        ::kill(static_cast<pid_t>(process_.processId()), SIGCONT);
}

QString TestServer::diagnostics()
{
    readLines();
    return QStringLiteral("rtsp-test-server: %1; stdout: %2; stderr: %3")
        .arg(process_.errorString(), lines_.join(" | "),
             QString::fromUtf8(process_.readAllStandardError()));
}
