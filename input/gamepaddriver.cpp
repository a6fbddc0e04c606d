#include "input/gamepaddriver.h"

#include "camera/camera.h"
#include "camera/cameramotion.h"
#include "input/stickmapping.h"

GamepadDriver::GamepadDriver(Camera *camera, CameraMotion *motion, QObject *parent)
    : QObject(parent), camera(camera), motion(motion)
{
}

void GamepadDriver::setLeftStick(int x, int y)
{
    stickX = x;
    stickY = y;
    updatePanTilt();
}

void GamepadDriver::setZoomControls(int leftTrigger, int rightTrigger, int rightStickY)
{
    motion->hold(CameraMotion::Controller, CameraMotion::Axis::Zoom,
                 StickMapping::zoomForControls(leftTrigger, rightTrigger, rightStickY));
}

void GamepadDriver::setArrow(Arrow arrow, bool held)
{
    heldArrows.removeAll(arrow);
    if (held)
        heldArrows.append(arrow);
    updatePanTilt();
}

void GamepadDriver::pressMenuButton(MenuButton button)
{
    switch (button) {
    case MenuButton::Enter:
        camera->sendOsdEnter();
        break;
    case MenuButton::Back:
        camera->sendOsdBack();
        break;
    case MenuButton::Menu:
        camera->sendOsd();
        break;
    }
}

void GamepadDriver::release()
{
    stickX = stickY = 0;
    heldArrows.clear();
    motion->letGoAll(CameraMotion::Controller);
}

// A centred stick asks for the stop, which the owner takes as letting go.
void GamepadDriver::updatePanTilt()
{
    motion->hold(CameraMotion::Controller, CameraMotion::Axis::PanTilt,
                 heldArrows.isEmpty() ? StickMapping::panTiltForStick(stickX, stickY)
                                      : ViscaDrive::arrowDrive(heldArrows.last()));
}
