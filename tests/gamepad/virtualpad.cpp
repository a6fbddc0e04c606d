#include "virtualpad.h"

#include <QtGlobal>

VirtualPad::VirtualPad(Kind kind)
{
    SDL_VirtualJoystickDesc desc;
    SDL_zero(desc);
    desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
    if (kind == Kind::GameController) {
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.name = "Virtual game controller";
    } else {
        desc.type = SDL_JOYSTICK_TYPE_FLIGHT_STICK;
        desc.naxes = 3;
        desc.nbuttons = 2;
        desc.name = "Virtual flight stick";
    }
    deviceIndex = SDL_JoystickAttachVirtualEx(&desc);
    if (deviceIndex < 0) {
        qWarning("SDL_JoystickAttachVirtualEx: %s", SDL_GetError());
        return;
    }
    // Values are set through a handle of our own; the program under test opens its own.
    joystick = SDL_JoystickOpen(deviceIndex);
}

VirtualPad::~VirtualPad()
{
    unplug();
}

void VirtualPad::setAxis(int axis, int value)
{
    SDL_JoystickSetVirtualAxis(joystick, axis, Sint16(qBound(-32768, value, 32767)));
}

void VirtualPad::setButton(int button, bool down)
{
    SDL_JoystickSetVirtualButton(joystick, button, down ? 1 : 0);
}

void VirtualPad::unplug()
{
    if (!joystick)
        return;
    const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
    SDL_JoystickClose(joystick);
    joystick = nullptr;
    // The device index may have moved with other pads coming and going.
    for (int i = 0; i < SDL_NumJoysticks(); ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) == id) {
            SDL_JoystickDetachVirtual(i);
            return;
        }
    }
}
