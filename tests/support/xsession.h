#ifndef HALVORINE_XSESSION_H
#define HALVORINE_XSESSION_H

#include <QByteArray>
#include <QString>
#include <QStringList>

// Drives a real program on the test's X server the way an operator would: finds
// its window, types through xdotool (real X input events), closes it like a window
// manager would.
namespace XSession {

// Runs xdotool with the arguments; returns its standard output, or a null array on
// failure or time-out.
QByteArray xdotool(const QStringList &arguments, int timeoutMs = 10000);

// The id of the visible window whose title is exactly `title`, or 0 after the time-out.
unsigned long waitForWindow(const QString &title, int timeoutMs = 15000);

// Asks the window to close (WM_DELETE_WINDOW), as a window manager's close button does.
bool requestClose(unsigned long window);

// The window's title as the X server holds it.
QString windowTitle(unsigned long window);

} // namespace XSession

#endif
