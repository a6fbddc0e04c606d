#ifndef HALVORINE_BENCH_MESSAGESENDERS_H
#define HALVORINE_BENCH_MESSAGESENDERS_H

#include <QByteArray>

#include <cstddef>

class RecordingPeer;
class QAbstractButton;
class QPushButton;
class QTcpSocket;
class QWidget;

// The drive-up and stop messages exactly as the remote puts them on the wire.
extern const QByteArray driveUpMessage;
extern const QByteArray stopMessage;

// One way of getting a drive message (press) and a stop message (release) to the
// peer; the benchmark times each of them from the call to the peer's arrival stamp.
class MessageSender
{
public:
    virtual ~MessageSender() = default;
    virtual void press() = 0;
    virtual void release() = 0;
    virtual bool waitForArrivals(const RecordingPeer &peer, std::size_t count) = 0;
};

// The floor: a bare blocking POSIX client, one write() per message.
class PosixSender : public MessageSender
{
public:
    PosixSender() = default;
    ~PosixSender() override;
    bool connectTo(const char *address, unsigned short port);
    void press() override;
    void release() override;
    bool waitForArrivals(const RecordingPeer &peer, std::size_t count) override;

private:
    int socketFd = -1;
};

// The Qt socket alone: QTcpSocket::write from the application's event loop, as the
// remote's camera link does, with no button and no window in the path.
class QtSocketSender : public MessageSender
{
public:
    QtSocketSender();
    ~QtSocketSender() override;
    bool connectTo(const char *address, unsigned short port);
    void press() override;
    void release() override;
    bool waitForArrivals(const RecordingPeer &peer, std::size_t count) override;

private:
    QTcpSocket *socket;
};

// The floor a Qt program can reach: a window of its own with one QPushButton that
// carries the up arrow's style sheet and size under the main window's sheet, its
// pressed() and released() wired straight to QTcpSocket::write of the same bytes.
// It repaints before it emits, as every QAbstractButton does.
class QtButtonSender : public MessageSender
{
public:
    explicit QtButtonSender(const QAbstractButton *lookAlike);
    ~QtButtonSender() override;
    bool connectTo(const char *address, unsigned short port);
    bool showAndWaitUntilExposed();
    void press() override;
    void release() override;
    bool waitForArrivals(const RecordingPeer &peer, std::size_t count) override;

private:
    QWidget *window;
    QPushButton *button;
    QTcpSocket *socket;
};

// The remote itself: press and release events on the real main window's up arrow.
class ArrowButtonSender : public MessageSender
{
public:
    explicit ArrowButtonSender(QAbstractButton *arrow);
    void press() override;
    void release() override;
    bool waitForArrivals(const RecordingPeer &peer, std::size_t count) override;

private:
    QAbstractButton *arrow;
};

#endif
