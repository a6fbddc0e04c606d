#include "camera/camera.h"

#include "camera/deadpeer.h"

#include <QTcpSocket>

Camera::Camera(const QString &address)
    : QObject(nullptr)
    , address(address)
{
    socket = new QTcpSocket(this);
    connect(socket, SIGNAL(connected()), this, SLOT(onClientConnected()));
    connect(socket, SIGNAL(disconnected()), this, SLOT(onClientDisconnected()));
    // errorOccurred is the old error(SocketError) signal under its Qt 5.15 / Qt 6 name.
    connect(socket, SIGNAL(errorOccurred(QAbstractSocket::SocketError)), this, SLOT(onClientError()));
    connect(socket, SIGNAL(readyRead()), this, SLOT(onReadyRead()));
}

Camera::~Camera()
{
    // Closing a connected socket emits cameraDisconnected from here; the owner
    // destroys the link while its receivers are still whole.
    if (socket->isOpen())
        socket->close();
    delete socket;
}

void Camera::setIpAddr(const QString &newAddress)
{
    if (socket->isOpen())
        socket->close();
    address = newAddress;
}

QString Camera::ipAddr() const
{
    return address;
}

// Device-level open state: true from the start of an attempt until close(), also
// after a failed attempt or a dropped connection.
bool Camera::isOpen() const
{
    return socket->isOpen();
}

void Camera::connectToCamera()
{
    if (socket->isOpen())
        socket->close();
    // Where nothing answers, Qt's own limit of 30 s per attempt ends it; the link sets none.
    socket->connectToHost(address, controlPort, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
}

void Camera::disconnectFromCamera()
{
    if (socket->isOpen())
        socket->close();
}

void Camera::sendUp() { sendIfOpen(Visca::driveUp, Visca::driveLength); }
void Camera::sendDown() { sendIfOpen(Visca::driveDown, Visca::driveLength); }
void Camera::sendLeft() { sendIfOpen(Visca::driveLeft, Visca::driveLength); }
void Camera::sendRight() { sendIfOpen(Visca::driveRight, Visca::driveLength); }
void Camera::sendStop() { sendIfOpen(Visca::driveStop, Visca::driveLength); }
void Camera::sendOsd() { sendIfOpen(Visca::osdMenu, Visca::osdMenuLength); }
void Camera::sendOsdEnter() { sendIfOpen(Visca::osdEnter, Visca::osdNavigationLength); }
void Camera::sendOsdBack() { sendIfOpen(Visca::osdBack, Visca::osdNavigationLength); }

void Camera::sendIfOpen(const char *hexText, qint32 byteCount)
{
    if (!socket->isOpen())
        return;
    sendCommand(makeViscaCommand(hexText, byteCount));
}

void Camera::sendCommand(const ViscaCommand &command)
{
    const QByteArray bytes = hexToBytes(QString::fromLatin1(command.hexText));
    if (!socket->isOpen())
        return;
    // Never read past the decoded message, whatever the record claims.
    // All three as qint64: Qt 6 adds mixed-type qBound overloads that make an explicit
    // qBound<qint64> with an int, a qint32 and a qsizetype ambiguous.
    const qint64 length = qBound(qint64(0), qint64(command.byteCount), qint64(bytes.size()));
    // The socket buffers the bytes and sends them from the event loop.
    socket->write(bytes.constData(), length);
}

void Camera::flushCommands()
{
    if (!socket->isOpen() || socket->state() != QAbstractSocket::ConnectedState)
        return;
    socket->flush();
    // A camera that stopped reading fills the kernel's buffer; wait a moment, not forever.
    if (socket->bytesToWrite() > 0)
        socket->waitForBytesWritten(200);
}

void Camera::onClientConnected()
{
    DeadPeer::watchEstablished(socket->socketDescriptor());
    emit cameraConnected();
}

void Camera::onClientDisconnected()
{
    emit cameraDisconnected();
}

void Camera::onClientError()
{
    emit cameraError();
}

void Camera::onReadyRead()
{
    // Cameras answer every command (acknowledgement, completion) and some greet on
    // connect. Nothing of it is used, but left unread it would pile up in memory for
    // as long as the connection lives, so it is dropped as it arrives.
    while (socket->bytesAvailable() > 0) {
        if (socket->skip(socket->bytesAvailable()) <= 0)
            break;
    }
}
