#ifndef HALVORINE_GAMEPADINPUT_H
#define HALVORINE_GAMEPADINPUT_H

#include "input/controllershow.h"
#include "input/gamepaddriver.h"

#include <QObject>
#include <QTimer>
#include <QVector>

class Camera;
class CameraMotion;
class DeviceNode;
struct SdlLibrary;
union SDL_Event;

// Game controllers and joysticks through SDL2: they may come and go at any time,
// and the first one connected of those present drives the camera (GamepadDriver).
// Game controllers SDL knows use its standard layout; other joysticks drive with
// their first two axes only.
//
// SDL is not started with the object but by start(), which the program calls a
// little after its window is up (startDelayMs). SDL has no event source of its
// own for Qt to wait on, so its queue is read from a timer: rarely while no
// controller is attached (only plugging one in is to be noticed), often while
// one is. Every wake-up costs about as much as the reading it is for (the
// process's wake and Qt's event loop turn come to most of it), so where each
// attached controller has an input node of the kernel's (Linux), the program
// waits on the nodes instead and reads SDL when one has news: a controller at
// rest then costs no more than none, and the first move is read at once. While
// it moves, SDL is read at the polling rate; once the nodes stay quiet for a
// whole interval, the program goes back to waiting.
class GamepadInput : public QObject
{
    Q_OBJECT

public:
    static constexpr int idlePollMs = 500;
    static constexpr int activePollMs = 8;
    // How long after the window shows the program starts SDL: well after the
    // window is mapped and painted, and too soon for anyone to reach for a stick.
    static constexpr int startDelayMs = 250;

    GamepadInput(Camera *camera, CameraMotion *motion, QObject *parent = nullptr);
    ~GamepadInput() override;

    // Loads SDL2 and starts its game controller subsystem; false (with a warning)
    // if SDL is missing or cannot start, in which case the program simply has no
    // controller input.
    bool start();
    bool isStarted() const { return started; }
    int attachedCount() const { return int(devices.size()); }
    int pollInterval() const { return pollTimer.interval(); }
    GamepadDriver *driver() { return &gamepadDriver; }
    // Presets, camera select, home and focus from the driving controller's other
    // buttons and the right stick's horizontal axis.
    ControllerShow *show() { return &showButtons; }

signals:
    void attachedCountChanged(int count);

private slots:
    void poll();

private:
    struct Device
    {
        int instanceId;
        void *controller; // SDL_GameController *, or null for a plain joystick
        void *joystick;   // SDL_Joystick *, for a plain joystick
        DeviceNode *node; // null where SDL names no input node of the kernel's
    };

    void handle(const SDL_Event &event);
    void attach(int deviceIndex);
    void detach(int instanceId);
    bool isDriving(int instanceId) const;
    bool drivingIsController() const;
    void readZoomControls();
    void button(int sdlButton, bool down);
    void openNode(Device &device);
    void close(const Device &device);
    bool pollingNeeded();
    void pollAtDeviceRate();

    const SdlLibrary *sdl = nullptr;
    GamepadDriver gamepadDriver;
    ControllerShow showButtons;
    QTimer pollTimer;
    QVector<Device> devices; // in the order connected; the first drives
    bool started = false;
};

#endif
