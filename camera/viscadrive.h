#ifndef HALVORINE_VISCADRIVE_H
#define HALVORINE_VISCADRIVE_H

#include "camera/viscacommand.h"

#include <QtGlobal>

// Variable-speed pan-tilt and zoom, for the keyboard and game controllers. The
// on-screen arrows keep their four fixed messages (viscacommand.h); these builders
// give the rest of VISCA's drive range. All messages go to camera address 1.
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

} // namespace ViscaDrive

#endif
