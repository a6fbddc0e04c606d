#ifndef HALVORINE_GAMEPADDRIVER_H
#define HALVORINE_GAMEPADDRIVER_H

#include "camera/viscadrive.h"

#include <QObject>
#include <QVector>

class Camera;
class CameraMotion;

// What the driving controller asks of the camera, whatever library reports it:
// the left stick and the D-pad share pan-tilt, the triggers and the right stick
// zoom, and three buttons work the OSD menu. Motion goes through the camera's
// motion owner, which paces a controller's messages.
class GamepadDriver : public QObject
{
    Q_OBJECT

public:
    using Arrow = ViscaDrive::Arrow;
    enum class MenuButton { Enter, Back, Menu };

    GamepadDriver(Camera *camera, CameraMotion *motion, QObject *parent = nullptr);

    void setLeftStick(int x, int y);
    // leftTrigger/rightTrigger 0..32767, rightStickY -32768..32767.
    void setZoomControls(int leftTrigger, int rightTrigger, int rightStickY);
    // A held D-pad arrow sends its on-screen arrow's message and overrides the
    // stick; with two held the latest pressed drives.
    void setArrow(Arrow arrow, bool held);
    void pressMenuButton(MenuButton button);
    // The controller is gone: it lets go of everything at once, and its controls
    // are forgotten.
    void release();

private:
    void updatePanTilt();

    Camera *camera;
    CameraMotion *motion;
    int stickX = 0;
    int stickY = 0;
    QVector<Arrow> heldArrows; // in the order pressed
};

#endif
