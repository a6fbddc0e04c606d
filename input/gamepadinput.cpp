#include "input/gamepadinput.h"

#include "camera/cameramotion.h"
#include "input/devicenode.h"
#include "input/sdllibrary.h"

#include <QDebug>
#include <QFile>

#include <utility>

GamepadInput::GamepadInput(Camera *camera, CameraMotion *motion, QObject *parent)
    : QObject(parent), gamepadDriver(camera, motion),
      showButtons([motion] {
          return motion->isHeld(CameraMotion::Axis::PanTilt) || motion->isHeld(CameraMotion::Axis::Zoom);
      })
{
    connect(&pollTimer, &QTimer::timeout, this, &GamepadInput::poll);
}

GamepadInput::~GamepadInput()
{
    if (!started)
        return;
    pollTimer.stop();
    showButtons.release();
    gamepadDriver.release();
    for (const Device &device : std::as_const(devices))
        close(device);
    sdl->QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool GamepadInput::start()
{
    if (started)
        return true;
    QString error;
    sdl = SdlLibrary::load(error);
    if (!sdl) {
        qWarning("No game controller input: SDL2 cannot be loaded: %s", qPrintable(error));
        return false;
    }
    // The program ends on SIGINT and SIGTERM by its own handlers, which stop the
    // camera first; SDL's would swallow the signals into an SDL_QUIT nobody reads.
    sdl->SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL has no window of ours to know the focus of; a controller drives whatever
    // window the operator is looking at, the preview in OBS for instance.
    sdl->SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Game controller implies joystick and events; no video, audio or timers.
    if (sdl->InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qWarning("No game controller input: %s", sdl->GetError());
        return false;
    }
    started = true;
    // Controllers present already arrive as device-added events at the first poll.
    pollTimer.setTimerType(Qt::CoarseTimer);
    pollTimer.start(0);
    return true;
}

void GamepadInput::poll()
{
    SDL_Event event;
    while (sdl->PollEvent(&event))
        handle(event);
    pollAtDeviceRate();
}

// True while some controller can only be polled: it has no node, its node is gone
// (unplugged, and SDL has not said so yet), or its node had news since the last
// read (the hand is on it). Otherwise the nodes are watched, and the timer is only
// there to notice controllers plugged in.
bool GamepadInput::pollingNeeded()
{
    bool needed = false;
    for (const Device &device : std::as_const(devices)) {
        // Every node is emptied, not just up to the first with news.
        const bool news = device.node && device.node->takeNews();
        if (news || !device.node || !device.node->isOpen())
            needed = true;
    }
    for (const Device &device : std::as_const(devices)) {
        if (device.node)
            device.node->setWatching(!needed);
    }
    return needed;
}

void GamepadInput::pollAtDeviceRate()
{
    const bool polling = pollingNeeded();
    const int wanted = polling ? activePollMs : idlePollMs;
    if (pollTimer.interval() != wanted) {
        // The hot-plug check may drift; reading a controller may not (p99 ≤ 10 ms).
        pollTimer.setTimerType(polling ? Qt::PreciseTimer : Qt::CoarseTimer);
        pollTimer.start(wanted);
    }
}

void GamepadInput::openNode(Device &device)
{
    // SDL (2.24 and later) names the node it reads. Only the kernel's input nodes
    // are quiet while the controller is: a hidraw node of SDL's own HIDAPI drivers
    // carries the pad's full report, sensors and all, hundreds of times a second
    // at rest.
    const char *path = sdl->JoystickPath ? sdl->JoystickPath(static_cast<SDL_Joystick *>(device.joystick)) : nullptr;
    if (!path || qstrncmp(path, "/dev/input/", 11) != 0)
        return;
    auto *node = new DeviceNode(this);
    if (!node->open(QFile::decodeName(path))) {
        delete node;
        return;
    }
    connect(node, &DeviceNode::readable, this, &GamepadInput::poll);
    device.node = node;
}

void GamepadInput::close(const Device &device)
{
    // Later: an unplugged node's own news may be what is being handled now.
    if (device.node) {
        device.node->setWatching(false);
        device.node->disconnect(this);
        device.node->deleteLater();
    }
    if (device.controller)
        sdl->GameControllerClose(static_cast<SDL_GameController *>(device.controller));
    else
        sdl->JoystickClose(static_cast<SDL_Joystick *>(device.joystick));
}

void GamepadInput::handle(const SDL_Event &event)
{
    switch (event.type) {
    // Game controllers are joysticks too: both come and go as joystick events,
    // which is where a plain joystick is told from a controller.
    case SDL_JOYDEVICEADDED:
        attach(event.jdevice.which);
        break;
    case SDL_JOYDEVICEREMOVED:
        detach(event.jdevice.which);
        break;
    case SDL_JOYAXISMOTION:
        if (isDriving(event.jaxis.which) && !drivingIsController() && event.jaxis.axis < 2) {
            SDL_Joystick *stick = static_cast<SDL_Joystick *>(devices.first().joystick);
            gamepadDriver.setLeftStick(sdl->JoystickGetAxis(stick, 0), sdl->JoystickGetAxis(stick, 1));
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (!isDriving(event.caxis.which))
            break;
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
            auto *pad = static_cast<SDL_GameController *>(devices.first().controller);
            gamepadDriver.setLeftStick(sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX),
                                       sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        } else {
            auto *pad = static_cast<SDL_GameController *>(devices.first().controller);
            if (event.caxis.axis != SDL_CONTROLLER_AXIS_RIGHTX)
                readZoomControls();
            if (event.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTX || event.caxis.axis == SDL_CONTROLLER_AXIS_RIGHTY)
                showButtons.setRightStick(sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTX),
                                          sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (!isDriving(event.cbutton.which))
            break;
        button(event.cbutton.button, event.type == SDL_CONTROLLERBUTTONDOWN);
        break;
    }
    default:
        break;
    }
}

// The show map (ControllerShow) sees each button first: under X or Y the D-pad picks
// presets instead of driving.
void GamepadInput::button(int sdlButton, bool down)
{
    using Show = ControllerShow::Button;
    using Arrow = GamepadDriver::Arrow;
    using MenuButton = GamepadDriver::MenuButton;
    const auto arrow = [&](Show place, Arrow drive) {
        if (!showButtons.button(place, down))
            gamepadDriver.setArrow(drive, down);
    };
    switch (sdlButton) {
    case SDL_CONTROLLER_BUTTON_DPAD_UP: arrow(Show::DpadUp, Arrow::Up); break;
    case SDL_CONTROLLER_BUTTON_DPAD_DOWN: arrow(Show::DpadDown, Arrow::Down); break;
    case SDL_CONTROLLER_BUTTON_DPAD_LEFT: arrow(Show::DpadLeft, Arrow::Left); break;
    case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: arrow(Show::DpadRight, Arrow::Right); break;
    // SDL names the buttons by place (A is the bottom face button, Cross on a
    // PlayStation pad), so the map holds for every layout.
    case SDL_CONTROLLER_BUTTON_A: if (down) gamepadDriver.pressMenuButton(MenuButton::Enter); break;
    case SDL_CONTROLLER_BUTTON_B: if (down) gamepadDriver.pressMenuButton(MenuButton::Back); break;
    case SDL_CONTROLLER_BUTTON_START: if (down) gamepadDriver.pressMenuButton(MenuButton::Menu); break;
    case SDL_CONTROLLER_BUTTON_X: showButtons.button(Show::X, down); break;
    case SDL_CONTROLLER_BUTTON_Y: showButtons.button(Show::Y, down); break;
    case SDL_CONTROLLER_BUTTON_BACK: showButtons.button(Show::Back, down); break;
    case SDL_CONTROLLER_BUTTON_LEFTSHOULDER: showButtons.button(Show::LeftShoulder, down); break;
    case SDL_CONTROLLER_BUTTON_RIGHTSHOULDER: showButtons.button(Show::RightShoulder, down); break;
    case SDL_CONTROLLER_BUTTON_RIGHTSTICK: showButtons.button(Show::RightStick, down); break;
    default: break;
    }
}

void GamepadInput::attach(int deviceIndex)
{
    Device device{-1, nullptr, nullptr, nullptr};
    if (sdl->IsGameController(deviceIndex)) {
        SDL_GameController *pad = sdl->GameControllerOpen(deviceIndex);
        device.controller = pad;
        device.joystick = pad ? sdl->GameControllerGetJoystick(pad) : nullptr;
    } else {
        device.joystick = sdl->JoystickOpen(deviceIndex);
    }
    if (!device.joystick) {
        qWarning("Cannot open controller %d: %s", deviceIndex, sdl->GetError());
        return;
    }
    device.instanceId = sdl->JoystickInstanceID(static_cast<SDL_Joystick *>(device.joystick));
    for (const Device &known : std::as_const(devices)) {
        if (known.instanceId == device.instanceId) {
            // Opened twice (an event for a device seen at start): drop the extra reference.
            close(device);
            return;
        }
    }
    openNode(device);
    devices.append(device);
    emit attachedCountChanged(attachedCount());
}

void GamepadInput::detach(int instanceId)
{
    for (int i = 0; i < devices.size(); ++i) {
        if (devices.at(i).instanceId != instanceId)
            continue;
        const Device device = devices.takeAt(i);
        // The one driving is gone: the camera must not go on without it.
        if (i == 0) {
            showButtons.release();
            gamepadDriver.release();
        }
        close(device);
        emit attachedCountChanged(attachedCount());
        return;
    }
}

bool GamepadInput::isDriving(int instanceId) const
{
    return !devices.isEmpty() && devices.first().instanceId == instanceId;
}

bool GamepadInput::drivingIsController() const
{
    return !devices.isEmpty() && devices.first().controller != nullptr;
}

void GamepadInput::readZoomControls()
{
    auto *pad = static_cast<SDL_GameController *>(devices.first().controller);
    gamepadDriver.setZoomControls(sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT),
                                  sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT),
                                  sdl->GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
}
