#ifndef HALVORINE_VISCADRIVE_H
#define HALVORINE_VISCADRIVE_H

#include "camera/viscacommand.h"

#include <QtGlobal>

#include <optional>

// Variable-speed pan-tilt, zoom and focus, presets and home, for the keyboard and
// game controllers. The on-screen buttons keep their eight fixed messages
// (viscacommand.h); these builders give the rest of what a show needs. All messages
// go to camera address 1.
namespace ViscaDrive {

// Pan-tilt drive: 81 01 06 01 VV WW XX YY FF
//   VV pan speed 0x01 (slowest) .. 0x18, WW tilt speed 0x01 .. 0x14,
//   XX pan direction 01 left, 02 right, 03 none,
//   YY tilt direction 01 up, 02 down, 03 none.
// Both directions "none" is the stop; diagonals set both.
enum class Pan : quint8 { Left = 0x01, Right = 0x02, None = 0x03 };
enum class Tilt : quint8 { Up = 0x01, Down = 0x02, None = 0x03 };

constexpr int minPanSpeed = 0x01;
constexpr int maxPanSpeed = 0x18;
constexpr int minTiltSpeed = 0x01;
constexpr int maxTiltSpeed = 0x14;
constexpr qint32 panTiltLength = 9;

// Speeds are clamped into their ranges. With both directions None the result is
// exactly the remote's stop message (81 01 06 01 18 14 03 03 FF), whatever the
// speeds, so a controller's stop and the on-screen stop are the same bytes.
ViscaCommand panTilt(Pan pan, Tilt tilt, int panSpeed, int tiltSpeed);
ViscaCommand panTiltStop();

// Zoom: 81 01 04 07 ZZ FF
//   ZZ = 2p tele (in) at speed p, 3p wide (out) at speed p, p 0 (slowest) .. 7;
//   ZZ = 00 stop.
constexpr int minZoomSpeed = 0;
constexpr int maxZoomSpeed = 7;
constexpr qint32 zoomLength = 6;
constexpr char zoomStopText[] = "8101040700FF"; // 81 01 04 07 00 FF

// Speeds are clamped into 0..7.
ViscaCommand zoomTele(int speed);
ViscaCommand zoomWide(int speed);
ViscaCommand zoomStop();

// Focus stop: 81 01 04 08 00 FF (a focus drive is 81 01 04 08 2p FF far, 3p near).
constexpr qint32 focusLength = 6;
constexpr char focusStopText[] = "8101040800FF"; // 81 01 04 08 00 FF
ViscaCommand focusStop();

// The four fixed drives of the on-screen arrows (viscacommand.h), for every input
// that drives by arrow: the buttons, the arrow keys, a controller's D-pad.
enum class Arrow { Up, Down, Left, Right };
ViscaCommand arrowDrive(Arrow arrow);

// Focus drive, like the zoom: 81 01 04 08 ZZ FF
//   ZZ = 2p far at speed p, 3p near at speed p, p 0 (slowest) .. 7 (stop above).
// Speeds are clamped into 0..7.
constexpr int minFocusSpeed = 0;
constexpr int maxFocusSpeed = 7;
ViscaCommand focusFar(int speed);
ViscaCommand focusNear(int speed);

// One-push autofocus (focus once, then hold): 81 01 04 18 01 FF
ViscaCommand onePushFocus();

// Home, pan and tilt back to the centre: 81 01 06 04 FF
ViscaCommand home();

// Presets are the camera's memories: recall 81 01 04 3F 02 pp FF, store
// 81 01 04 3F 01 pp FF, pp = n (preset 3 is memory 03). Memories from 90 (0x5A)
// up are the camera's own functions: recalling 95 (0x5F) opens its OSD menu.
// So presets are 0 .. maxPreset, and any other number gives no message at all.
constexpr int minPreset = 0;
constexpr int maxPreset = 89;
constexpr qint32 presetLength = 7;
bool isPreset(int preset);
std::optional<ViscaCommand> presetRecall(int preset);
std::optional<ViscaCommand> presetStore(int preset);

} // namespace ViscaDrive

#endif
