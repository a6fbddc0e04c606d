#include "recordingpeer.h"

RecordingPeer::RecordingPeer(const QHostAddress &address, quint16 port, QObject *parent)
    : QObject(parent)
{
    connect(&server, &QTcpServer::newConnection, this, &RecordingPeer::acceptClient);
    server.listen(address, port);
}

void RecordingPeer::acceptClient()
{
    while (QTcpSocket *socket = server.nextPendingConnection()) {
        ++accepted;
        if (client)
            client->deleteLater();
        client = socket;
        connect(socket, &QTcpSocket::readyRead, this, &RecordingPeer::readClient);
        emit clientConnected();
    }
}

void RecordingPeer::readClient()
{
    auto *socket = qobject_cast<QTcpSocket *>(sender());
    if (!socket)
        return;
    bytes.append(socket->readAll());
    emit bytesReceived();
}

void RecordingPeer::closeClient()
{
    if (client) {
        client->close();
        client->deleteLater();
        client = nullptr;
    }
}
