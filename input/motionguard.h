#ifndef HALVORINE_MOTIONGUARD_H
#define HALVORINE_MOTIONGUARD_H

#include <QFlags>
#include <QObject>

class Camera;

// What the camera was last told to do, pan-tilt and zoom apart, and which input told
// it. A camera keeps moving until it hears a stop, so whenever the input that started
// a motion can no longer end it itself (its window lost the keyboard focus, the
// controller was unplugged, the program ends) the guard sends the stop in its place.
//
// Every input reports right after each message it hands to the link: a drive or zoom
// (moving) or the matching stop. The latest report of either motion wins, whoever
// made it, since that is the message the camera acts on.
class MotionGuard : public QObject
{
    Q_OBJECT

public:
    enum Source {
        OnScreen = 0x1,   // the arrow buttons, held with the mouse or Space
        Keyboard = 0x2,   // the arrow and page keys
        Controller = 0x4, // a gamepad or joystick
    };
    Q_ENUM(Source)
    Q_DECLARE_FLAGS(Sources, Source)
    static constexpr Sources everySource = Sources(OnScreen | Keyboard | Controller);

    explicit MotionGuard(Camera *camera, QObject *parent = nullptr);

    // Reports made while the link is not open are dropped: nothing went out.
    void reportPanTilt(Source source, bool moving);
    void reportZoom(Source source, bool moving);

    bool isPanTiltActive() const { return panTilt.active; }
    bool isZoomActive() const { return zoom.active; }

    // Sends the pan-tilt stop and the zoom stop for each motion still running that one
    // of `sources` started, once each, and emits `stopped` for the sources concerned.
    void stop(Sources sources = everySource);

    // Like stop(), and then pushes whatever the socket still holds out at once: for
    // the last moments of the program, when the event loop will not run again.
    void stopBeforeClosing();

signals:
    // A stop went out on behalf of `source`; it should forget what it holds.
    void stopped(MotionGuard::Source source);

private:
    struct Motion
    {
        bool active = false;
        Source source = OnScreen;
    };

    void forgetAll();

    Camera *camera;
    Motion panTilt;
    Motion zoom;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(MotionGuard::Sources)

#endif
