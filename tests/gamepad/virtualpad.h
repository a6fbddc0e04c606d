#ifndef HALVORINE_VIRTUALPAD_H
#define HALVORINE_VIRTUALPAD_H

// The test has its own main(); SDL must not rename it (it does on Windows).
#define SDL_MAIN_HANDLED
#include <SDL.h>

// A controller that exists only inside SDL: plugged in on construction (a game
// controller with SDL's standard layout, or a plain two-axis joystick), moved with
// setAxis and setButton, and pulled out with unplug or on destruction. SDL's
// joystick subsystem must be running.
class VirtualPad
{
public:
    enum class Kind { GameController, PlainJoystick };

    explicit VirtualPad(Kind kind = Kind::GameController);
    ~VirtualPad();
    VirtualPad(const VirtualPad &) = delete;
    VirtualPad &operator=(const VirtualPad &) = delete;

    bool isPlugged() const { return joystick != nullptr; }
    SDL_JoystickID instanceId() const { return joystick ? SDL_JoystickInstanceID(joystick) : -1; }
    void setAxis(int axis, int value);
    void setButton(int button, bool down);
    void unplug();

private:
    int deviceIndex = -1;
    SDL_Joystick *joystick = nullptr;
};

#endif
