#ifndef HALVORINE_VISCACOMMAND_H
#define HALVORINE_VISCACOMMAND_H

#include <QByteArray>
#include <QString>
#include <QtGlobal>

// One VISCA message as the camera link sends it: hexadecimal text, two uppercase
// digits per byte, and the number of bytes to put on the wire.
struct ViscaCommand
{
    char hexText[32];
    qint32 byteCount;
};

// Builds a command from its text; the copy is bounded by the buffer.
ViscaCommand makeViscaCommand(const char *hexText, qint32 byteCount);

// Hexadecimal text to bytes, two digits a byte. An odd-length text reads as if a
// leading 0 stood before it; a pair that is not hexadecimal gives a zero byte.
QByteArray hexToBytes(const QString &hexText);

// The eight messages the remote sends, all to camera address 1.
// Wire format: 81 = header (controller to camera 1), 01 = command, FF = terminator.
namespace Visca {
// Pan-tilt drive: 01 06 01 <pan speed> <tilt speed> <pan dir> <tilt dir>.
// Pan dir 01 left, 02 right, 03 none; tilt dir 01 up, 02 down, 03 none.
// The four drives run at speed 0x0E both ways.
constexpr char driveUp[] = "810106010E0E0301FF";    // 81 01 06 01 0E 0E 03 01 FF
constexpr char driveDown[] = "810106010E0E0302FF";  // 81 01 06 01 0E 0E 03 02 FF
constexpr char driveLeft[] = "810106010E0E0103FF";  // 81 01 06 01 0E 0E 01 03 FF
constexpr char driveRight[] = "810106010E0E0203FF"; // 81 01 06 01 0E 0E 02 03 FF
// Stop: both directions 03; this message carries speeds 0x18 and 0x14.
constexpr char driveStop[] = "8101060118140303FF";  // 81 01 06 01 18 14 03 03 FF
// The OSD menu key is a memory recall (01 04 3F 02 pp) of preset 0x5F (95).
constexpr char osdMenu[] = "8101043F025FFF";        // 81 01 04 3F 02 5F FF
// OSD menu navigation: 01 06 06 then 05 for enter, 04 for back.
constexpr char osdEnter[] = "8101060605FF";         // 81 01 06 06 05 FF
constexpr char osdBack[] = "8101060604FF";          // 81 01 06 06 04 FF

constexpr qint32 driveLength = 9;
constexpr qint32 osdMenuLength = 7;
constexpr qint32 osdNavigationLength = 6;
} // namespace Visca

#endif
