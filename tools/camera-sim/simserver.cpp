#include "simserver.h"

#include "headstate.h"
#include "viscaframer.h"
#include "viscaparser.h"

#include <QTcpSocket>
#include <memory>

SimServer::SimServer(HeadState &head, QObject *parent)
    : QObject(parent), head_(head)
{
    connect(&server_, &QTcpServer::newConnection, this, &SimServer::acceptClients);
}

bool SimServer::listen(const QHostAddress &address, quint16 port)
{
    return server_.listen(address, port);
}

void SimServer::acceptClients()
{
    while (QTcpSocket *socket = server_.nextPendingConnection()) {
        const int id = nextClient_++;
        auto framer = std::make_shared<ViscaFramer>();
        emit event(QStringLiteral("client %1 connected from %2:%3")
                       .arg(id).arg(socket->peerAddress().toString()).arg(socket->peerPort()));

        connect(socket, &QTcpSocket::readyRead, this, [this, socket, framer] {
            for (const ViscaFramer::Event &e : framer->feed(socket->readAll())) {
                if (e.type == ViscaFramer::Event::Message)
                    answer(*socket, e.bytes);
                else if (e.type == ViscaFramer::Event::Overlong)
                    reject(*socket, QStringLiteral("overlong message dropped"), e.bytes);
                else
                    reject(*socket, QStringLiteral("unterminated message dropped"), e.bytes);
            }
        });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket, framer, id] {
            QString text = QStringLiteral("client %1 disconnected").arg(id);
            if (framer->pendingBytes() > 0)
                text += QStringLiteral(" (%1 bytes of an unfinished message dropped)")
                            .arg(framer->pendingBytes());
            emit event(text);
            socket->deleteLater();
        });
    }
}

void SimServer::answer(QTcpSocket &socket, const QByteArray &message)
{
    const DecodedCommand command = ViscaCodec::decode(message);
    if (command.kind == DecodedCommand::Kind::Unknown) {
        socket.write(ViscaCodec::syntaxError());
        emit event(ViscaCodec::describe(command));
        return;
    }
    socket.write(ViscaCodec::ack() + ViscaCodec::completion());
    const QString note = head_.apply(command);
    emit event(note.isEmpty() ? ViscaCodec::describe(command)
                              : ViscaCodec::describe(command) + QStringLiteral(" (") + note + QLatin1Char(')'));
}

void SimServer::reject(QTcpSocket &socket, const QString &what, const QByteArray &bytes)
{
    socket.write(ViscaCodec::syntaxError());
    emit event(what + QStringLiteral(": ") + ViscaCodec::hex(bytes));
}
