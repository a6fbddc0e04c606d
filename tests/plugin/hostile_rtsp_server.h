#pragma once

#include <QHostAddress>
#include <QSemaphore>
#include <QString>
#include <QThread>

#include <atomic>

class QTcpServer;

// An RTSP server on a thread of its own that misbehaves in one chosen way, for
// the plugin to survive. Everything it does not misbehave in, it answers as
// a camera would: an H.264 track, RTP interleaved on the TCP connection.
class HostileRtspServer : public QThread {
    Q_OBJECT

public:
    enum class Misdeed {
        AbsurdSdp,         // 300 audio channels, an unknown codec, empty and huge parameter sets
        EndlessChallenge,  // 401 with a new challenge to every request
        SelfRedirect,      // DESCRIBE answered with a redirect to the same URL
        HugeContentLength, // a DESCRIBE reply that claims 1 GB of SDP and sends it slowly
        HugeHeaderLine,    // a 1 MB header line in the OPTIONS reply
        GarbageAfterPlay,  // random bytes instead of interleaved RTP after PLAY
        AbsurdInterleaved, // interleaved frames of 64 KiB and on unknown channels
        ByteBySecond,      // the OPTIONS reply, one byte a second
    };

    HostileRtspServer(const QHostAddress &address, quint16 port, Misdeed misdeed);
    ~HostileRtspServer() override;

    // False when the port could not be bound.
    bool startListening();
    QString url(const QString &userInfo = QString()) const;
    int connections() const { return connections_; }
    int requests() const { return requests_; }
    qint64 bytesSent() const { return bytesSent_; }

protected:
    void run() override;

private:
    friend class HostileSession;

    const QHostAddress address_;
    const quint16 port_;
    const Misdeed misdeed_;
    std::atomic<bool> listening_{false};
    QSemaphore started_;
    std::atomic<int> connections_{0};
    std::atomic<int> requests_{0};
    std::atomic<qint64> bytesSent_{0};
};
