#ifndef HALVORINE_DEVICENODE_H
#define HALVORINE_DEVICENODE_H

#include <QObject>
#include <QString>

class QSocketNotifier;

// A controller's device node (on Linux, /dev/input/eventN), opened as a second reader
// beside SDL's own, only to learn without polling when the controller has news. The
// kernel gives every reader of an input node its own copy of each event, so what is
// read here is thrown away: SDL reads the same events from its own descriptor.
//
// readable() comes while watching and something has arrived; takeNews() empties the
// node and says whether anything was there. A node that reports an end or an error
// (the device was unplugged) closes itself and stays quiet.
//
// Only Linux has such nodes; elsewhere open() fails and controllers are polled.
class DeviceNode : public QObject
{
    Q_OBJECT

public:
    explicit DeviceNode(QObject *parent = nullptr);
    ~DeviceNode() override;

    bool open(const QString &path);
    bool isOpen() const { return fd >= 0; }
    void setWatching(bool on);
    // Reads all that is waiting; true if anything was.
    bool takeNews();

signals:
    void readable();

private:
    void close();

    int fd = -1;
    QSocketNotifier *notifier = nullptr;
};

#endif
