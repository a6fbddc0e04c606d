#ifndef HALVORINE_STICKMAPPING_H
#define HALVORINE_STICKMAPPING_H

#include "camera/viscacommand.h"

// How a controller's axes become camera messages. Axis values are SDL's:
// sticks -32768..32767 (negative is left or up), triggers 0..32767.
namespace StickMapping {

// Inside this deflection a stick counts as centred: worn sticks rest a few
// thousand off zero, and a camera that creeps on its own is worse than a small
// step at the start of the travel. The same figure as XInput's left thumb.
constexpr int stickDeadZone = 7849;
// A trigger at rest reads 0, but some read a few hundred.
constexpr int triggerDeadZone = 3000;
constexpr int axisMax = 32767;

// The left stick: pan from x, tilt from y, each proportional to its deflection
// beyond the dead zone (pan 0x01..0x18, tilt 0x01..0x14; the axes are taken apart,
// so diagonals drive both). Centred: the stop message.
ViscaCommand panTiltForStick(int x, int y);

// Zoom from a signed amount (positive zooms in, tele; negative out, wide), speed
// 0..7 proportional to the amount beyond deadZone. Inside it: zoom stop.
ViscaCommand zoomForAmount(int amount, int deadZone);
// The triggers: right zooms in, left zooms out; the harder-pressed wins. Neither
// pressed: the right stick's vertical axis (up zooms in).
ViscaCommand zoomForControls(int leftTrigger, int rightTrigger, int rightStickY);

} // namespace StickMapping

#endif
