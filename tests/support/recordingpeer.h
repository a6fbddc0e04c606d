#ifndef HALVORINE_RECORDINGPEER_H
#define HALVORINE_RECORDINGPEER_H

#include <QByteArray>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A stand-in camera on a loopback address, for the tests and the benches. It serves in
// a thread of its own with plain sockets, so that it sees a message the moment the
// kernel hands it over, whatever the remote's thread is doing, and stamps the arrival
// of the last byte of every fixed-length message on the monotonic clock. Recording, it
// also keeps every byte and tells the owner's thread (bytesReceived, clientConnected).
// Serves one client at a time: a new connection replaces the old one.
class RecordingPeer : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        std::string address;
        std::uint16_t port = 5678;
        std::size_t messageLength = 9;
        // Answer each message as a camera does: acknowledgement 90 41 FF, then
        // completion 90 51 FF.
        bool answer = false;
        std::size_t capacity = 65536;
        // Off (the benches), the peer only stamps: it leaves the process's heap and
        // the owner's event loop alone, which the benches measure.
        bool record = false;
    };

    // Recording, and listening at once; isListening() and errorString() tell whether
    // it could.
    explicit RecordingPeer(const QHostAddress &address, quint16 port = 5678, QObject *parent = nullptr);
    // Listens once start() is called.
    explicit RecordingPeer(const Options &options, QObject *parent = nullptr);
    ~RecordingPeer() override;
    RecordingPeer(const RecordingPeer &) = delete;
    RecordingPeer &operator=(const RecordingPeer &) = delete;

    // Binds and listens, then starts serving. False with a reason when the address
    // cannot be had.
    bool start(std::string &error);
    bool isListening() const { return thread.joinable(); }
    QString errorString() const { return QString::fromStdString(startError); }

    // Every byte the owner's event loop has taken in so far, on all connections
    // together (recording only).
    QByteArray received() const { return bytes; }
    void clearReceived() { bytes.clear(); }
    int connectionCount() const { return accepted.load(); }
    // Connected, and the connection taken in by the owner (recording).
    bool hasClient() const { return clientOpen.load(std::memory_order_acquire) && accepted.load() == acceptsMade.load(); }
    // Drops the current client, as a camera that goes away would.
    void closeClient();
    // Sends to the current client from the peer's thread, as a camera that talks does;
    // bytesToSend() is what the kernel has not taken yet.
    void sendToClient(const QByteArray &bytes);
    qint64 bytesToSend() const;

    // Complete messages received so far, on all connections together.
    std::size_t arrivals() const { return arrived.load(std::memory_order_acquire); }
    std::int64_t arrivalNanos(std::size_t index) const { return stamps[index]; }
    // Blocks until `count` messages have arrived; false after the time-out.
    bool waitForArrivals(std::size_t count, int timeoutMs) const;
    // Called from the peer's thread after each arrival, e.g. to wake an event loop.
    void setArrivalHook(std::function<void()> hook);

signals:
    void bytesReceived();
    void clientConnected();

private:
    void serve();
    void acceptClient();
    void readClient();
    void writeClient();
    void record(std::int64_t stamp, std::size_t complete);
    void dropClient();
    void wake();

    Options options;
    std::string startError;
    int listener = -1;
    int client = -1;
    int wakePipe[2] = {-1, -1};
    std::size_t pendingBytes = 0;
    std::vector<std::int64_t> stamps;
    std::atomic<std::size_t> arrived {0};
    std::atomic<int> accepted {0};
    std::atomic<int> acceptsMade {0};
    std::atomic<bool> clientOpen {false};
    std::atomic<bool> stopping {false};
    // The owner's thread only.
    QByteArray bytes;
    // Guards everything below, and the client descriptor against the owner's closeClient().
    mutable std::mutex mutex;
    mutable std::condition_variable arrivedSignal;
    std::function<void()> arrivalHook;
    std::deque<QByteArray> outgoing;
    std::size_t sentOfFront = 0;
    qint64 outgoingBytes = 0;
    std::thread thread;
};

#endif
