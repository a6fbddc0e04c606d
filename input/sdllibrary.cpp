#include "input/sdllibrary.h"

#include <QLibrary>

namespace {

template <typename Function>
bool resolve(QLibrary &library, const char *name, Function &function)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    return function != nullptr;
}

bool resolveAll(QLibrary &library, SdlLibrary &sdl)
{
    sdl.JoystickPath = reinterpret_cast<decltype(sdl.JoystickPath)>(library.resolve("SDL_JoystickPath"));
    return resolve(library, "SDL_SetHint", sdl.SetHint) && resolve(library, "SDL_InitSubSystem", sdl.InitSubSystem)
        && resolve(library, "SDL_QuitSubSystem", sdl.QuitSubSystem) && resolve(library, "SDL_GetError", sdl.GetError)
        && resolve(library, "SDL_PollEvent", sdl.PollEvent)
        && resolve(library, "SDL_IsGameController", sdl.IsGameController)
        && resolve(library, "SDL_GameControllerOpen", sdl.GameControllerOpen)
        && resolve(library, "SDL_GameControllerClose", sdl.GameControllerClose)
        && resolve(library, "SDL_GameControllerGetJoystick", sdl.GameControllerGetJoystick)
        && resolve(library, "SDL_GameControllerGetAxis", sdl.GameControllerGetAxis)
        && resolve(library, "SDL_JoystickOpen", sdl.JoystickOpen)
        && resolve(library, "SDL_JoystickClose", sdl.JoystickClose)
        && resolve(library, "SDL_JoystickInstanceID", sdl.JoystickInstanceID)
        && resolve(library, "SDL_JoystickGetAxis", sdl.JoystickGetAxis);
}

} // namespace

const SdlLibrary *SdlLibrary::load(QString &error)
{
    static SdlLibrary sdl;
    static bool loaded = false;
    if (loaded)
        return &sdl;
    // The names SDL2's runtime packages install: SDL2.dll; libSDL2-2.0.so.0 (the
    // soname, present without the -dev package), libSDL2-2.0.0.dylib.
#ifdef Q_OS_WIN
    QLibrary library(QStringLiteral("SDL2"));
#else
    QLibrary library(QStringLiteral("SDL2-2.0"), 0);
#endif
    if (!library.load()) {
        error = library.errorString();
        return nullptr;
    }
    if (!resolveAll(library, sdl)) {
        error = library.errorString();
        return nullptr;
    }
    // Never unloaded: QLibrary leaves it loaded when it goes.
    loaded = true;
    return &sdl;
}
