#ifndef HALVORINE_SDLLIBRARY_H
#define HALVORINE_SDLLIBRARY_H

// The program has its own main(); SDL must not rename it (it does on Windows).
#define SDL_MAIN_HANDLED
#include <SDL.h>

#include <QString>

// SDL2, loaded when the controller input starts rather than linked. Linked, its
// library and the some 35 it brings along (sound, Wayland, DRM, ...) are loaded at
// every start of the program, about 4 ms before the window can show, whether a
// controller is ever used or not; loaded here, that happens after the window is up.
// Only SDL's headers are needed to build.
//
// The table holds the functions the controller input calls, named as in SDL without
// the prefix. The process keeps the library once loaded; a test or bench that links
// SDL itself gets the very same one, and so shares its controllers.
struct SdlLibrary
{
    decltype(&SDL_SetHint) SetHint = nullptr;
    decltype(&SDL_InitSubSystem) InitSubSystem = nullptr;
    decltype(&SDL_QuitSubSystem) QuitSubSystem = nullptr;
    decltype(&SDL_GetError) GetError = nullptr;
    decltype(&SDL_PollEvent) PollEvent = nullptr;
    decltype(&SDL_IsGameController) IsGameController = nullptr;
    decltype(&SDL_GameControllerOpen) GameControllerOpen = nullptr;
    decltype(&SDL_GameControllerClose) GameControllerClose = nullptr;
    decltype(&SDL_GameControllerGetJoystick) GameControllerGetJoystick = nullptr;
    decltype(&SDL_GameControllerGetAxis) GameControllerGetAxis = nullptr;
    decltype(&SDL_JoystickOpen) JoystickOpen = nullptr;
    decltype(&SDL_JoystickClose) JoystickClose = nullptr;
    decltype(&SDL_JoystickInstanceID) JoystickInstanceID = nullptr;
    decltype(&SDL_JoystickGetAxis) JoystickGetAxis = nullptr;
    // New in SDL 2.24; null with an older library.
    const char *(SDLCALL *JoystickPath)(SDL_Joystick *) = nullptr;

    // The loaded library's table, or null (with the reason in `error`) when SDL2 is
    // not installed or lacks one of the functions.
    static const SdlLibrary *load(QString &error);
};

#endif
