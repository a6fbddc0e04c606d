#include "app/quitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#ifndef Q_OS_WIN
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#ifndef Q_OS_WIN
namespace {

const int quitSignalNumbers[] = {SIGTERM, SIGINT, SIGHUP};

// [0] is read on the GUI thread, [1] written by the handler.
int signalPipe[2] = {-1, -1};

extern "C" void writeSignalNumber(int signalNumber)
{
    // The next one of its kind gets the default action: killed, as if we were not here.
    std::signal(signalNumber, SIG_DFL);
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Non-blocking: if the pipe is full, a quit is already on its way.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace
#endif

QuitSignals::QuitSignals(QObject *parent)
    : QObject(parent)
{
#ifndef Q_OS_WIN
    // SOCK_CLOEXEC is not on every system (macOS lacks it): the flag is set afterwards.
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0)
        return;
    for (int end : signalPipe)
        ::fcntl(end, F_SETFD, ::fcntl(end, F_GETFD) | FD_CLOEXEC);
    ::fcntl(signalPipe[1], F_SETFL, ::fcntl(signalPipe[1], F_GETFL) | O_NONBLOCK);
    notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &QuitSignals::quitOnSignal);
    struct sigaction action = {};
    action.sa_handler = writeSignalNumber;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls resume; the handler's work is done on the GUI thread.
    action.sa_flags = SA_RESTART;
    for (int signalNumber : quitSignalNumbers)
        ::sigaction(signalNumber, &action, nullptr);
#endif
}

QuitSignals::~QuitSignals()
{
#ifndef Q_OS_WIN
    if (!notifier)
        return;
    for (int signalNumber : quitSignalNumbers)
        std::signal(signalNumber, SIG_DFL);
    delete notifier;
    notifier = nullptr;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe[0] = signalPipe[1] = -1;
#endif
}

void QuitSignals::quitOnSignal()
{
#ifndef Q_OS_WIN
    unsigned char byte = 0;
    if (::read(signalPipe[0], &byte, 1) != 1)
        return;
    // Ends every event loop, a message box's included; the windows are torn down as
    // after a close, and the main window's teardown stops the camera first.
    QCoreApplication::quit();
#endif
}
