#ifndef HALVORINE_RECORDINGPEER_H
#define HALVORINE_RECORDINGPEER_H

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

// A stand-in camera on a loopback address: accepts the remote's control connection
// and records every byte it receives.
class RecordingPeer : public QObject
{
    Q_OBJECT

public:
    explicit RecordingPeer(const QHostAddress &address, quint16 port = 5678, QObject *parent = nullptr);

    bool isListening() const { return server.isListening(); }
    QString errorString() const { return server.errorString(); }
    QByteArray received() const { return bytes; }
    void clearReceived() { bytes.clear(); }
    int connectionCount() const { return accepted; }
    bool hasClient() const { return !client.isNull() && client->state() == QAbstractSocket::ConnectedState; }
    QTcpSocket *currentClient() const { return client.data(); }
    // Drops the current client, as a camera that goes away would.
    void closeClient();
    void stopListening() { server.close(); }

signals:
    void bytesReceived();
    void clientConnected();

private slots:
    void acceptClient();
    void readClient();

private:
    QTcpServer server;
    QPointer<QTcpSocket> client;
    QByteArray bytes;
    int accepted = 0;
};

#endif
