#pragma once

#include <QByteArray>
#include <QString>

// One VISCA command from controller to camera 1, decoded from a whole message
// (header 0x81 .. terminator 0xFF) as cut by ViscaFramer.
struct DecodedCommand
{
    enum class Kind {
        Drive,        // 81 01 06 01 VV WW XX YY FF
        Zoom,         // 81 01 04 07 ZZ FF
        Focus,        // 81 01 04 08 ZZ FF
        OnePushFocus, // 81 01 04 18 01 FF
        Home,         // 81 01 06 04 FF
        MemoryReset,  // 81 01 04 3F 00 pp FF
        MemorySet,    // 81 01 04 3F 01 pp FF
        MemoryRecall, // 81 01 04 3F 02 pp FF
        OsdEnter,     // 81 01 06 06 05 FF
        OsdBack,      // 81 01 06 06 04 FF
        Unknown,      // anything else: answered with a syntax error
    };
    // Wire values of the drive's direction bytes.
    enum PanDir { Left = 1, Right = 2, PanStop = 3 };
    enum TiltDir { Up = 1, Down = 2, TiltStop = 3 };
    // The zoom byte's high digit: 0 stop, 2 tele (in), 3 wide (out); the low one
    // the speed, 0..7 (02 and 03 are the standard speed). Focus has the same byte,
    // 2 far and 3 near, and uses the same fields.
    enum ZoomDir { ZoomStop = 0, Tele = 2, Wide = 3, Far = Tele, Near = Wide };

    Kind kind = Kind::Unknown;
    int panSpeed = 0;  // 0x01..0x18
    int tiltSpeed = 0; // 0x01..0x14
    PanDir panDir = PanStop;
    TiltDir tiltDir = TiltStop;
    ZoomDir zoomDir = ZoomStop; // also the focus direction
    int zoomSpeed = 0; // 0..7, also the focus speed
    int preset = 0;    // 0x00..0x7F
    QByteArray bytes;  // the message as received

    bool isStop() const { return kind == Kind::Drive && panDir == PanStop && tiltDir == TiltStop; }
};

namespace ViscaCodec {

constexpr int MaxPanSpeed = 0x18;
constexpr int MaxTiltSpeed = 0x14;
constexpr int MaxZoomSpeed = 7;
constexpr int StandardZoomSpeed = 3;
constexpr int MaxPreset = 0x7F;
// The preset whose recall opens and closes the on-screen menu.
constexpr int OsdMenuPreset = 0x5F;

DecodedCommand decode(const QByteArray &message);

// What the message asks for, in words, for the log ("pan-tilt drive: up, pan
// speed 14, tilt speed 14", "OSD enter", "unknown: 81 01 ..").
QString describe(const DecodedCommand &command);

QString hex(const QByteArray &bytes); // "81 01 FF"

// Camera replies for socket 1.
QByteArray ack();           // 90 41 FF
QByteArray completion();    // 90 51 FF
QByteArray syntaxError();   // 90 60 02 FF

} // namespace ViscaCodec
