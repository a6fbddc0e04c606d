#ifndef HALVORINE_X11DETECTABLEREPEAT_H
#define HALVORINE_X11DETECTABLEREPEAT_H

namespace X11 {

// Asks the X server, for the program's own connection (Qt's), to report a held key
// the XKB way: repeated presses and one release at the end, instead of a release
// and a press for every repeat. Returns whether the server agreed; false as well
// when the program does not run on X (Wayland, Windows, off-screen).
bool enableDetectableAutoRepeat();

} // namespace X11

#endif
