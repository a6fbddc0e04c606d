#include "input/gamepaddriver.h"

#include "camera/camera.h"
#include "camera/viscadrive.h"
#include "input/motionguard.h"
#include "input/stickmapping.h"

namespace {

ViscaCommand arrowCommand(GamepadDriver::Arrow arrow)
{
    switch (arrow) {
    case GamepadDriver::Arrow::Up:
        return makeViscaCommand(Visca::driveUp, Visca::driveLength);
    case GamepadDriver::Arrow::Down:
        return makeViscaCommand(Visca::driveDown, Visca::driveLength);
    case GamepadDriver::Arrow::Left:
        return makeViscaCommand(Visca::driveLeft, Visca::driveLength);
    case GamepadDriver::Arrow::Right:
        break;
    }
    return makeViscaCommand(Visca::driveRight, Visca::driveLength);
}

} // namespace

GamepadDriver::GamepadDriver(Camera *camera, QObject *parent)
    : QObject(parent),
      camera(camera),
      panTilt(camera, ViscaDrive::panTiltStop()),
      zoom(camera, ViscaDrive::zoomStop())
{
}

void GamepadDriver::setMotionGuard(MotionGuard *guard)
{
    connect(&panTilt, &CommandPacer::sent, guard,
            [guard](bool moving) { guard->reportPanTilt(MotionGuard::Controller, moving); });
    connect(&zoom, &CommandPacer::sent, guard,
            [guard](bool moving) { guard->reportZoom(MotionGuard::Controller, moving); });
    connect(guard, &MotionGuard::stopped, this, [this](MotionGuard::Source source) {
        if (source == MotionGuard::Controller) {
            panTilt.forget();
            zoom.forget();
        }
    });
}

void GamepadDriver::setLeftStick(int x, int y)
{
    stickX = x;
    stickY = y;
    updatePanTilt();
}

void GamepadDriver::setZoomControls(int leftTrigger, int rightTrigger, int rightStickY)
{
    zoom.request(StickMapping::zoomForControls(leftTrigger, rightTrigger, rightStickY));
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
    panTilt.restNow();
    zoom.restNow();
}

void GamepadDriver::updatePanTilt()
{
    panTilt.request(heldArrows.isEmpty() ? StickMapping::panTiltForStick(stickX, stickY)
                                         : arrowCommand(heldArrows.last()));
}
