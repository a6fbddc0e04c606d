#include "input/gamepadinput.h"

#include <QDebug>

// The program has its own main(); SDL must not rename it (it does on Windows).
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <utility>

GamepadInput::GamepadInput(Camera *camera, QObject *parent)
    : QObject(parent), gamepadDriver(camera)
{
    connect(&pollTimer, &QTimer::timeout, this, &GamepadInput::poll);
}

GamepadInput::~GamepadInput()
{
    if (!started)
        return;
    pollTimer.stop();
    gamepadDriver.release();
    for (const Device &device : std::as_const(devices)) {
        if (device.controller)
            SDL_GameControllerClose(static_cast<SDL_GameController *>(device.controller));
        else
            SDL_JoystickClose(static_cast<SDL_Joystick *>(device.joystick));
    }
    SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool GamepadInput::start()
{
    if (started)
        return true;
    // The program ends on SIGINT and SIGTERM by its own handlers, which stop the
    // camera first; SDL's would swallow the signals into an SDL_QUIT nobody reads.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // SDL has no window of ours to know the focus of; a controller drives whatever
    // window the operator is looking at, the preview in OBS for instance.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    // Game controller implies joystick and events; no video, audio or timers.
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        qWarning("No game controller input: %s", SDL_GetError());
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
    while (SDL_PollEvent(&event))
        handle(event);
    pollAtDeviceRate();
}

void GamepadInput::pollAtDeviceRate()
{
    const int wanted = devices.isEmpty() ? idlePollMs : activePollMs;
    if (pollTimer.interval() != wanted) {
        pollTimer.setTimerType(devices.isEmpty() ? Qt::CoarseTimer : Qt::PreciseTimer);
        pollTimer.start(wanted);
    }
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
            gamepadDriver.setLeftStick(SDL_JoystickGetAxis(stick, 0), SDL_JoystickGetAxis(stick, 1));
        }
        break;
    case SDL_CONTROLLERAXISMOTION:
        if (!isDriving(event.caxis.which))
            break;
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) {
            auto *pad = static_cast<SDL_GameController *>(devices.first().controller);
            gamepadDriver.setLeftStick(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTX),
                                       SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_LEFTY));
        } else if (event.caxis.axis != SDL_CONTROLLER_AXIS_RIGHTX) {
            readZoomControls();
        }
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        if (!isDriving(event.cbutton.which))
            break;
        const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
        using Arrow = GamepadDriver::Arrow;
        using MenuButton = GamepadDriver::MenuButton;
        switch (event.cbutton.button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP: gamepadDriver.setArrow(Arrow::Up, down); break;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN: gamepadDriver.setArrow(Arrow::Down, down); break;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT: gamepadDriver.setArrow(Arrow::Left, down); break;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT: gamepadDriver.setArrow(Arrow::Right, down); break;
        // SDL names the buttons by place (A is the bottom face button, Cross on a
        // PlayStation pad), so the map holds for every layout.
        case SDL_CONTROLLER_BUTTON_A: if (down) gamepadDriver.pressMenuButton(MenuButton::Enter); break;
        case SDL_CONTROLLER_BUTTON_B: if (down) gamepadDriver.pressMenuButton(MenuButton::Back); break;
        case SDL_CONTROLLER_BUTTON_START: if (down) gamepadDriver.pressMenuButton(MenuButton::Menu); break;
        default: break;
        }
        break;
    }
    default:
        break;
    }
}

void GamepadInput::attach(int deviceIndex)
{
    Device device{-1, nullptr, nullptr};
    if (SDL_IsGameController(deviceIndex)) {
        SDL_GameController *pad = SDL_GameControllerOpen(deviceIndex);
        device.controller = pad;
        device.joystick = pad ? SDL_GameControllerGetJoystick(pad) : nullptr;
    } else {
        device.joystick = SDL_JoystickOpen(deviceIndex);
    }
    if (!device.joystick) {
        qWarning("Cannot open controller %d: %s", deviceIndex, SDL_GetError());
        return;
    }
    device.instanceId = SDL_JoystickInstanceID(static_cast<SDL_Joystick *>(device.joystick));
    for (const Device &known : std::as_const(devices)) {
        if (known.instanceId == device.instanceId) {
            // Opened twice (an event for a device seen at start): drop the extra reference.
            if (device.controller)
                SDL_GameControllerClose(static_cast<SDL_GameController *>(device.controller));
            else
                SDL_JoystickClose(static_cast<SDL_Joystick *>(device.joystick));
            return;
        }
    }
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
        if (i == 0)
            gamepadDriver.release();
        if (device.controller)
            SDL_GameControllerClose(static_cast<SDL_GameController *>(device.controller));
        else
            SDL_JoystickClose(static_cast<SDL_Joystick *>(device.joystick));
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
    gamepadDriver.setZoomControls(SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERLEFT),
                                  SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_TRIGGERRIGHT),
                                  SDL_GameControllerGetAxis(pad, SDL_CONTROLLER_AXIS_RIGHTY));
}
