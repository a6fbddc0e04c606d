#ifndef HALVORINE_PLATFORM_H
#define HALVORINE_PLATFORM_H

#include <QString>

// The few places where the program's behaviour depends on the operating system.
namespace Platform {

// The folder of the program's own libVLC modules, inside the application directory.
QString pluginDirectory(const QString &applicationDir);

// Sets VLC_PLUGIN_PATH to the plugins folder beside the program (pluginDirectory of the
// folder Qt reports as the application directory), replacing an inherited value, for
// libVLC to read when the preview dialog makes its instance. Must run before the
// application object is built: once Qt's threads run, changing the environment races
// with their reads of it.
void setPluginPath(int argc, char **argv);

// The settings file, directly inside the writable application-data directory.
QString settingsFile(const QString &appDataDir);

// libVLC draws into the preview's native X window, which a Wayland session offers only
// through XWayland: on Linux prefer Qt's xcb platform unless the user chose another one.
// Must run before the application object is built.
void preferNativeWindowPlatform(int argc, char **argv);

// Scales the windows for the screen's DPI as Qt 5.15 does, in the Qt 5.15 and the Qt 6
// build alike, so the window has the same size and text in both on the same screen.
// Must run before the application object is built.
void scaleForTheScreenAsQt5Does();

} // namespace Platform

#endif
