#ifndef HALVORINE_CAMERAMOTION_H
#define HALVORINE_CAMERAMOTION_H

#include "camera/viscacommand.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>

class Camera;

// The one writer of motion to the camera link. A camera keeps moving until it hears
// a stop, and several inputs (the on-screen arrows, the keyboard, a controller, preset
// keys) may drive it at once, so one object decides what goes on the wire: it knows
// what it last sent on this link for each motion, which inputs hold which motion, and
// how the link came and went.
//
// Inputs say what they want (hold) and when they let go (letGo); they never write
// motion bytes themselves. Its rules:
// - What an input asks while the link is connecting is handed to the socket, which
//   sends it once the link is up, and it counts as sent: the stop that follows is
//   never dropped.
// - A motion held by several inputs follows the latest request; it stops only when
//   the last of them lets go. The last motion message on a link is never a drive
//   unless an input still holds it.
// - Paced inputs (a stick that changes its mind every few milliseconds) get at most
//   one message per motion per intervalMs; a request that comes too soon waits, and
//   only the newest waiting one goes out. Stops are never held back.
// - Disconnect with a motion under way sends its stops before the link closes.
// - A link lost while a motion was under way (an error or a drop, not the operator's
//   own Disconnect) leaves the camera moving with nobody to stop it: the next
//   connection to that address opens with the stops, before anything an input asks.
class CameraMotion : public QObject
{
    Q_OBJECT

public:
    enum class Axis { PanTilt, Zoom, Focus };
    Q_ENUM(Axis)
    static constexpr int axisCount = 3;

    enum Source {
        OnScreen = 0x1,   // the arrow buttons, held with the mouse or Space
        Keyboard = 0x2,   // the keys
        Controller = 0x4, // a gamepad or joystick
    };
    Q_ENUM(Source)

    static constexpr int intervalMs = 50;
    // A lost link may not have delivered what it carried this long before it went:
    // the last stop could have gone into a stalled link. Unacknowledged data ends a
    // link within a few seconds (camera/deadpeer.h); the rest is margin.
    static constexpr int unconfirmedMs = 15000;

    explicit CameraMotion(Camera *camera, QObject *parent = nullptr);

    // The link, through the owner so that it knows whose hand opened and closed it.
    void connectTo(const QString &address);
    void disconnectFromCamera();

    // `source` wants `command` on `axis` now, in place of what it asked before. A rest
    // message (stop, zoom stop, focus stop) is the same as letGo.
    void hold(Source source, Axis axis, const ViscaCommand &command);
    void letGo(Source source, Axis axis);
    // Every motion `source` holds ends now, paced or not: its window lost the focus,
    // the controller was unplugged.
    void letGoAll(Source source);

    // A message that is not held (preset recall, home, one-push focus): goes out now
    // if the link is open; it ends no hold.
    void sendOnce(const ViscaCommand &command);

    // The stops for whatever may still move, then what the socket buffers is pushed
    // out at once: for the program's last moments, when the event loop will not run.
    void stopBeforeClosing();

    // Whether the last message on this link for `axis` set the camera moving (or one
    // is waiting to, or an input still holds it).
    bool isMoving(Axis axis) const;
    bool isHeld(Axis axis) const;
    // Hex text of the last message this link carried for `axis`; empty before the first.
    QByteArray lastSent(Axis axis) const { return track(axis).lastSent; }
    // Addresses whose camera was left moving by a lost link.
    bool owesStopsTo(const QString &address) const { return owedStops.contains(address); }

    static ViscaCommand restOf(Axis axis);
    static bool isRest(Axis axis, const ViscaCommand &command);

signals:
    // After each motion message handed to the link.
    void sent(CameraMotion::Axis axis, const QByteArray &hexText);

private:
    struct Hold
    {
        Source source;
        ViscaCommand command;
    };
    struct Track
    {
        QVector<Hold> holds; // oldest request first; the last one drives
        // Hex text of the last message this link carried for the axis; empty until
        // the first, which leaves the camera's state unknown and any stop worth sending.
        QByteArray lastSent;
        ViscaCommand pending{};
        bool hasPending = false;
        QElapsedTimer sinceLastSend;
        QTimer *holdOff = nullptr;
    };

    static bool isPaced(Source source) { return source == Controller; }
    static bool dropHold(Track &t, Source source);
    void follow(Axis axis, bool paced);
    void send(Axis axis, const ViscaCommand &command);
    void sendPending(Axis axis);
    bool underWay(Axis axis) const;
    void stopMoving();
    void linkConnected();
    void linkLost();
    Track &track(Axis axis) { return tracks[int(axis)]; }
    const Track &track(Axis axis) const { return tracks[int(axis)]; }

    Camera *camera;
    Track tracks[axisCount];
    bool connectedOnce = false; // this attempt reached the camera
    QElapsedTimer sinceMotionWritten; // on this link
    bool closing = false;       // the operator's own Disconnect is closing the link
    QSet<QString> owedStops;
};

#endif
