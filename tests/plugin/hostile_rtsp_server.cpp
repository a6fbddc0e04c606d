#include "hostile_rtsp_server.h"

#include <QByteArray>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <memory>

namespace {

using Misdeed = HostileRtspServer::Misdeed;

constexpr int kFlowIntervalMs = 10;
constexpr qint64 kMaxQueuedBytes = 256 * 1024; // what may wait in the socket, unread

QByteArray sdp(Misdeed misdeed)
{
    QByteArray text = "v=0\r\n"
                      "o=- 1 1 IN IP4 127.0.0.1\r\n"
                      "s=hostile\r\n"
                      "c=IN IP4 0.0.0.0\r\n"
                      "t=0 0\r\n"
                      "m=video 0 RTP/AVP 96\r\n"
                      "a=rtpmap:96 H264/90000\r\n";
    if (misdeed != Misdeed::AbsurdSdp)
        return text + "a=control:track0\r\n";
    const QByteArray hugeSets = QByteArray(12000, 'Z') + ',' + QByteArray(12000, '/');
    return text + "a=fmtp:96 packetization-mode=1;sprop-parameter-sets=\r\n"
                  "a=control:track0\r\n"
                  "m=audio 0 RTP/AVP 97\r\n"
                  "a=rtpmap:97 PCMU/8000/300\r\n"
                  "a=control:track1\r\n"
                  "m=video 0 RTP/AVP 98\r\n"
                  "a=rtpmap:98 X-NOTHING-KNOWN/90000\r\n"
                  "a=control:track2\r\n"
                  "m=video 0 RTP/AVP 99\r\n"
                  "a=rtpmap:99 H264/90000\r\n"
                  "a=fmtp:99 packetization-mode=1;sprop-parameter-sets="
        + hugeSets + "\r\na=control:track3\r\n";
}

QByteArray header(const QByteArray &request, const QByteArray &name)
{
    for (const QByteArray &line : request.split('\n')) {
        const int colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name.toLower())
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

QByteArray randomBytes(int count)
{
    QByteArray bytes(count, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = static_cast<char>(QRandomGenerator::global()->bounded(256));
    return bytes;
}

} // namespace

// One client connection, on the server's thread.
class HostileSession : public QObject {
public:
    HostileSession(HostileRtspServer &server, QTcpSocket *socket, QObject *parent)
        : QObject(parent)
        , server_(server)
        , socket_(socket)
    {
        socket_->setParent(this);
        connect(socket_, &QTcpSocket::readyRead, this, &HostileSession::readRequests);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        connect(&flow_, &QTimer::timeout, this, &HostileSession::flow);
    }

private:
    void readRequests()
    {
        buffer_ += socket_->readAll();
        for (int end; (end = buffer_.indexOf("\r\n\r\n")) >= 0;) {
            const QByteArray request = buffer_.left(end + 2);
            buffer_.remove(0, end + 4);
            ++server_.requests_;
            answer(request);
        }
    }

    void answer(const QByteArray &request)
    {
        const QByteArray method = request.left(request.indexOf(' '));
        const QByteArray cseq = header(request, "CSeq");
        const Misdeed misdeed = server_.misdeed_;
        QByteArray headers;
        QByteArray body;
        QByteArray status = "200 OK";
        if (misdeed == Misdeed::EndlessChallenge) {
            status = "401 Unauthorized";
            headers = "WWW-Authenticate: Basic realm=\"camera " + QByteArray::number(server_.requests_) + "\"\r\n";
        } else if (method == "OPTIONS") {
            headers = "Public: OPTIONS, DESCRIBE, SETUP, PLAY, TEARDOWN, GET_PARAMETER\r\n";
            if (misdeed == Misdeed::HugeHeaderLine)
                headers += "X-Padding: " + QByteArray(1024 * 1024, 'a') + "\r\n";
        } else if (method == "DESCRIBE") {
            if (misdeed == Misdeed::SelfRedirect) {
                status = "302 Moved Temporarily";
                headers = "Location: " + request.mid(9, request.indexOf(" RTSP/") - 9) + "\r\n";
            } else if (misdeed == Misdeed::HugeContentLength) {
                send(reply(status, cseq, "Content-Type: application/sdp\r\nContent-Length: 1000000000\r\n", {}));
                startFlow();
                return;
            } else {
                headers = "Content-Type: application/sdp\r\n";
                body = sdp(misdeed);
            }
        } else if (method == "SETUP") {
            headers = "Transport: " + header(request, "Transport") + "\r\nSession: 4711\r\n";
        } else if (method == "PLAY") {
            headers = "Session: 4711\r\nRange: npt=0.000-\r\n";
            if (misdeed == Misdeed::GarbageAfterPlay || misdeed == Misdeed::AbsurdInterleaved) {
                send(reply(status, cseq, headers, body));
                startFlow();
                return;
            }
        }
        const QByteArray whole = reply(status, cseq, headers, body);
        if (misdeed == Misdeed::ByteBySecond) {
            pending_ += whole;
            flow_.start(1000);
            return;
        }
        send(whole);
    }

    static QByteArray reply(const QByteArray &status, const QByteArray &cseq, const QByteArray &headers,
                            const QByteArray &body)
    {
        QByteArray text = "RTSP/1.0 " + status + "\r\nCSeq: " + cseq + "\r\n" + headers;
        if (!body.isEmpty())
            text += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
        return text + "\r\n" + body;
    }

    void startFlow() { flow_.start(kFlowIntervalMs); }

    // What follows a reply for the misdeeds that go on: never more queued than
    // the client has read, so the server's own memory stays flat.
    void flow()
    {
        if (socket_->bytesToWrite() > kMaxQueuedBytes)
            return;
        switch (server_.misdeed_) {
        case Misdeed::HugeContentLength:
            send(QByteArray(64, 'v')); // 6.4 kB/s: the 1 GB never comes
            break;
        case Misdeed::GarbageAfterPlay:
            send(randomBytes(16 * 1024));
            break;
        case Misdeed::AbsurdInterleaved:
            for (const quint8 channel : {quint8(0), quint8(1), quint8(250)}) {
                const QByteArray frame = QByteArray("$") + char(channel) + char(0xff) + char(0xff);
                send(frame + randomBytes(0xffff));
            }
            break;
        case Misdeed::ByteBySecond:
            if (!pending_.isEmpty()) {
                send(pending_.left(1));
                pending_.remove(0, 1);
            }
            break;
        default:
            break;
        }
    }

    void send(const QByteArray &bytes)
    {
        server_.bytesSent_ += socket_->write(bytes);
    }

    HostileRtspServer &server_;
    QTcpSocket *socket_;
    QTimer flow_;
    QByteArray buffer_;
    QByteArray pending_;
};

HostileRtspServer::HostileRtspServer(const QHostAddress &address, quint16 port, Misdeed misdeed)
    : address_(address)
    , port_(port)
    , misdeed_(misdeed)
{
}

HostileRtspServer::~HostileRtspServer()
{
    quit();
    wait();
}

bool HostileRtspServer::startListening()
{
    start();
    started_.acquire();
    return listening_;
}

QString HostileRtspServer::url(const QString &userInfo) const
{
    return QStringLiteral("rtsp://%1%2:%3/1").arg(userInfo, address_.toString()).arg(port_);
}

void HostileRtspServer::run()
{
    QTcpServer server;
    listening_ = server.listen(address_, port_);
    connect(&server, &QTcpServer::newConnection, &server, [&] {
        while (QTcpSocket *socket = server.nextPendingConnection()) {
            ++connections_;
            new HostileSession(*this, socket, &server); // goes with the server
        }
    });
    started_.release();
    if (listening_)
        exec();
}
