#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class HeadState;
class QTcpSocket;

// The camera's VISCA-over-TCP control port: any number of clients, each with
// its own byte stream, all driving the one head. Every message is answered as
// a camera does (ACK then completion, or a syntax error) and reported through
// event() in words, one line per message.
class SimServer : public QObject
{
    Q_OBJECT
public:
    explicit SimServer(HeadState &head, QObject *parent = nullptr);

    bool listen(const QHostAddress &address, quint16 port);
    QString errorString() const { return server_.errorString(); }
    quint16 port() const { return server_.serverPort(); }

signals:
    void event(const QString &text);

private:
    void acceptClients();
    void answer(QTcpSocket &socket, const QByteArray &message);
    void reject(QTcpSocket &socket, const QString &what, const QByteArray &bytes);

    QTcpServer server_;
    HeadState &head_;
    int nextClient_ = 1;
};
