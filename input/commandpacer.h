#ifndef HALVORINE_COMMANDPACER_H
#define HALVORINE_COMMANDPACER_H

#include "camera/viscacommand.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class Camera;

// One stream of motion messages to the camera (pan-tilt, or zoom) from a source
// that changes its mind often, such as a stick: sends a message only when it
// differs from the last one sent, and at most one per interval. A camera's
// command buffer holds two messages; more earn "buffer full" and are lost. A
// request that comes too soon waits out the interval, and only the newest waiting
// request goes out, so the camera always ends up doing what the stick says.
//
// The stream starts at rest (its rest message, stop or zoom stop, counts as sent).
// Nothing goes out while the link is not open, and a link that closes or opens
// leaves the camera at rest as far as the stream knows.
class CommandPacer : public QObject
{
    Q_OBJECT

public:
    static constexpr int intervalMs = 50;

    CommandPacer(Camera *camera, const ViscaCommand &rest, QObject *parent = nullptr);

    void request(const ViscaCommand &command);
    // The rest message at once, interval or not, if the camera may be moving:
    // for a controller that is gone, where waiting means a runaway camera.
    void restNow();
    // The camera was stopped on the stream's behalf (by MotionGuard): it is at
    // rest now, and a waiting request is void.
    void forget();
    // Whether the last message sent set the camera moving.
    bool isMoving() const { return lastSent != restBytes; }

signals:
    // After each message handed to the link: a drive or zoom (moving) or the rest.
    void sent(bool moving);

private slots:
    void sendPending();

private:
    void send(const ViscaCommand &command);

    Camera *camera;
    ViscaCommand rest;
    QByteArray restBytes;
    QByteArray lastSent;
    ViscaCommand pending{};
    bool hasPending = false;
    QElapsedTimer sinceLastSend;
    QTimer holdOff;
};

#endif
