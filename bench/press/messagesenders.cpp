#include "messagesenders.h"

#include "recordingpeer.h"
#include "remotedriver.h"

#include "ui/mainwindowstyle.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QTcpSocket>
#include <QWidget>
#include <QWindow>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

const QByteArray driveUpMessage = QByteArray::fromHex("810106010E0E0301FF");
const QByteArray stopMessage = QByteArray::fromHex("8101060118140303FF");

namespace {
constexpr int arrivalTimeoutMs = 5000;
} // namespace

PosixSender::~PosixSender()
{
    if (socketFd >= 0)
        ::close(socketFd);
}

bool PosixSender::connectTo(const char *address, unsigned short port)
{
    socketFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in where {};
    where.sin_family = AF_INET;
    where.sin_port = htons(port);
    ::inet_pton(AF_INET, address, &where.sin_addr);
    return ::connect(socketFd, reinterpret_cast<sockaddr *>(&where), sizeof where) == 0;
}

void PosixSender::press()
{
    (void)!::write(socketFd, driveUpMessage.constData(), static_cast<size_t>(driveUpMessage.size()));
}

void PosixSender::release()
{
    (void)!::write(socketFd, stopMessage.constData(), static_cast<size_t>(stopMessage.size()));
}

bool PosixSender::waitForArrivals(const RecordingPeer &peer, std::size_t count)
{
    return peer.waitForArrivals(count, arrivalTimeoutMs);
}

QtSocketSender::QtSocketSender()
    : socket(new QTcpSocket())
{
}

QtSocketSender::~QtSocketSender()
{
    delete socket;
}

bool QtSocketSender::connectTo(const char *address, unsigned short port)
{
    socket->connectToHost(QString::fromLatin1(address), port);
    return RemoteDriver::runUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; },
                                  arrivalTimeoutMs);
}

void QtSocketSender::press()
{
    socket->write(driveUpMessage);
}

void QtSocketSender::release()
{
    socket->write(stopMessage);
}

bool QtSocketSender::waitForArrivals(const RecordingPeer &peer, std::size_t count)
{
    return RemoteDriver::runUntil([&] { return peer.arrivals() >= count; }, arrivalTimeoutMs);
}

QtButtonSender::QtButtonSender(const QAbstractButton *lookAlike)
    : window(new QWidget())
    , button(new QPushButton(window))
    , socket(new QTcpSocket())
{
    window->setStyleSheet(QString::fromLatin1(MainWindowStyle::windowSheet));
    button->setStyleSheet(MainWindowStyle::arrowSheet(QStringLiteral(":/assets/img/uparrow.png")));
    button->setFixedSize(lookAlike->size());
    button->move(10, 10);
    window->resize(lookAlike->width() + 20, lookAlike->height() + 20);
    // Away from the main window, so that neither repaints for the other.
    window->move(lookAlike->window()->frameGeometry().right() + 20, 0);
    QObject::connect(button, &QPushButton::pressed, socket, [this] { socket->write(driveUpMessage); });
    QObject::connect(button, &QPushButton::released, socket, [this] { socket->write(stopMessage); });
}

QtButtonSender::~QtButtonSender()
{
    delete socket;
    delete window;
}

bool QtButtonSender::connectTo(const char *address, unsigned short port)
{
    socket->connectToHost(QString::fromLatin1(address), port);
    return RemoteDriver::runUntil([&] { return socket->state() == QAbstractSocket::ConnectedState; },
                                  arrivalTimeoutMs);
}

bool QtButtonSender::showAndWaitUntilExposed()
{
    window->show();
    return RemoteDriver::runUntil([&] { return window->windowHandle() && window->windowHandle()->isExposed(); },
                                  arrivalTimeoutMs);
}

void QtButtonSender::press()
{
    RemoteDriver::press(button);
}

void QtButtonSender::release()
{
    RemoteDriver::release(button);
}

bool QtButtonSender::waitForArrivals(const RecordingPeer &peer, std::size_t count)
{
    return RemoteDriver::runUntil([&] { return peer.arrivals() >= count; }, arrivalTimeoutMs);
}

ArrowButtonSender::ArrowButtonSender(QAbstractButton *arrow)
    : arrow(arrow)
{
}

void ArrowButtonSender::press()
{
    RemoteDriver::press(arrow);
}

void ArrowButtonSender::release()
{
    RemoteDriver::release(arrow);
}

bool ArrowButtonSender::waitForArrivals(const RecordingPeer &peer, std::size_t count)
{
    return RemoteDriver::runUntil([&] { return peer.arrivals() >= count; }, arrivalTimeoutMs);
}
