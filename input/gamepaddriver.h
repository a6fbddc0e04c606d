#ifndef HALVORINE_GAMEPADDRIVER_H
#define HALVORINE_GAMEPADDRIVER_H

#include "input/commandpacer.h"

#include <QObject>
#include <QVector>

class Camera;
class MotionGuard;

// What the driving controller asks of the camera, whatever library reports it:
// the left stick and the D-pad share the pan-tilt stream, the triggers and the
// right stick the zoom stream, and three buttons work the OSD menu.
class GamepadDriver : public QObject
{
    Q_OBJECT

public:
    enum class Arrow { Up, Down, Left, Right };
    enum class MenuButton { Enter, Back, Menu };

    explicit GamepadDriver(Camera *camera, QObject *parent = nullptr);

    // Each drive, zoom and stop is reported to the guard, and a stop the guard
    // sends for the controller leaves both streams at rest.
    void setMotionGuard(MotionGuard *guard);

    void setLeftStick(int x, int y);
    // leftTrigger/rightTrigger 0..32767, rightStickY -32768..32767.
    void setZoomControls(int leftTrigger, int rightTrigger, int rightStickY);
    // A held D-pad arrow sends its on-screen arrow's message and overrides the
    // stick; with two held the latest pressed drives.
    void setArrow(Arrow arrow, bool held);
    void pressMenuButton(MenuButton button);
    // The controller is gone: stop and zoom stop at once if either moves, and
    // forget its controls.
    void release();

    bool isMoving() const { return panTilt.isMoving() || zoom.isMoving(); }

private:
    void updatePanTilt();

    Camera *camera;
    CommandPacer panTilt;
    CommandPacer zoom;
    int stickX = 0;
    int stickY = 0;
    QVector<Arrow> heldArrows; // in the order pressed
};

#endif
