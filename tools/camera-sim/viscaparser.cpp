#include "viscaparser.h"

namespace {

int byteAt(const QByteArray &message, int i)
{
    return quint8(message.at(i));
}

bool startsWith(const QByteArray &message, std::initializer_list<int> prefix)
{
    if (message.size() < int(prefix.size()))
        return false;
    int i = 0;
    for (int expected : prefix)
        if (byteAt(message, i++) != expected)
            return false;
    return true;
}

bool inRange(int value, int low, int high)
{
    return value >= low && value <= high;
}

DecodedCommand decodeDrive(DecodedCommand command)
{
    const QByteArray &m = command.bytes;
    const int vv = byteAt(m, 4), ww = byteAt(m, 5), xx = byteAt(m, 6), yy = byteAt(m, 7);
    if (m.size() != 9 || !inRange(vv, 1, ViscaCodec::MaxPanSpeed) || !inRange(ww, 1, ViscaCodec::MaxTiltSpeed)
        || !inRange(xx, 1, 3) || !inRange(yy, 1, 3))
        return command;
    command.kind = DecodedCommand::Kind::Drive;
    command.panSpeed = vv;
    command.tiltSpeed = ww;
    command.panDir = DecodedCommand::PanDir(xx);
    command.tiltDir = DecodedCommand::TiltDir(yy);
    return command;
}

DecodedCommand decodeMemory(DecodedCommand command)
{
    const QByteArray &m = command.bytes;
    const int action = byteAt(m, 4), preset = byteAt(m, 5);
    if (m.size() != 7 || !inRange(action, 0, 2) || !inRange(preset, 0, ViscaCodec::MaxPreset))
        return command;
    static const DecodedCommand::Kind kinds[] = {DecodedCommand::Kind::MemoryReset,
                                               DecodedCommand::Kind::MemorySet,
                                               DecodedCommand::Kind::MemoryRecall};
    command.kind = kinds[action];
    command.preset = preset;
    return command;
}

// 00 stop; 02 / 03 tele / wide (focus: far / near) at the standard speed; 2p / 3p at
// speed p.
DecodedCommand decodeLens(DecodedCommand command, DecodedCommand::Kind kind)
{
    const QByteArray &m = command.bytes;
    const int zz = byteAt(m, 4), high = zz >> 4, low = zz & 0x0F;
    if (m.size() != 6)
        return command;
    if (zz == 0x00) {
        command.zoomDir = DecodedCommand::ZoomStop;
    } else if (zz == 0x02 || zz == 0x03) {
        command.zoomDir = DecodedCommand::ZoomDir(zz);
        command.zoomSpeed = ViscaCodec::StandardZoomSpeed;
    } else if ((high == 2 || high == 3) && low <= ViscaCodec::MaxZoomSpeed) {
        command.zoomDir = DecodedCommand::ZoomDir(high);
        command.zoomSpeed = low;
    } else {
        return command;
    }
    command.kind = kind;
    return command;
}

QString direction(const DecodedCommand &c)
{
    QString tilt = c.tiltDir == DecodedCommand::Up ? QStringLiteral("up")
                 : c.tiltDir == DecodedCommand::Down ? QStringLiteral("down") : QString();
    QString pan = c.panDir == DecodedCommand::Left ? QStringLiteral("left")
                : c.panDir == DecodedCommand::Right ? QStringLiteral("right") : QString();
    if (!tilt.isEmpty() && !pan.isEmpty())
        return tilt + QLatin1Char('-') + pan;
    return tilt + pan;
}

} // namespace

namespace ViscaCodec {

DecodedCommand decode(const QByteArray &message)
{
    DecodedCommand command;
    command.bytes = message;
    if (message.size() < 3 || byteAt(message, 0) != 0x81 || byteAt(message, message.size() - 1) != 0xFF)
        return command;
    if (startsWith(message, {0x81, 0x01, 0x06, 0x01}) && message.size() >= 8)
        return decodeDrive(command);
    if (startsWith(message, {0x81, 0x01, 0x04, 0x07}) && message.size() >= 6)
        return decodeLens(command, DecodedCommand::Kind::Zoom);
    if (startsWith(message, {0x81, 0x01, 0x04, 0x08}) && message.size() >= 6)
        return decodeLens(command, DecodedCommand::Kind::Focus);
    if (message == QByteArray::fromHex("8101041801FF"))
        command.kind = DecodedCommand::Kind::OnePushFocus;
    else if (message == QByteArray::fromHex("81010604FF"))
        command.kind = DecodedCommand::Kind::Home;
    if (command.kind != DecodedCommand::Kind::Unknown)
        return command;
    if (startsWith(message, {0x81, 0x01, 0x04, 0x3F}) && message.size() >= 6)
        return decodeMemory(command);
    if (message.size() == 6 && startsWith(message, {0x81, 0x01, 0x06, 0x06})) {
        if (byteAt(message, 4) == 0x05)
            command.kind = DecodedCommand::Kind::OsdEnter;
        else if (byteAt(message, 4) == 0x04)
            command.kind = DecodedCommand::Kind::OsdBack;
    }
    return command;
}

QString describe(const DecodedCommand &c)
{
    using Kind = DecodedCommand::Kind;
    switch (c.kind) {
    case Kind::Drive:
        if (c.isStop())
            return QStringLiteral("pan-tilt stop");
        return QStringLiteral("pan-tilt drive: %1, pan speed %2, tilt speed %3")
            .arg(direction(c)).arg(c.panSpeed).arg(c.tiltSpeed);
    case Kind::Zoom:
        if (c.zoomDir == DecodedCommand::ZoomStop)
            return QStringLiteral("zoom stop");
        return QStringLiteral("zoom %1, speed %2")
            .arg(c.zoomDir == DecodedCommand::Tele ? QStringLiteral("tele") : QStringLiteral("wide"))
            .arg(c.zoomSpeed);
    case Kind::Focus:
        if (c.zoomDir == DecodedCommand::ZoomStop)
            return QStringLiteral("focus stop");
        return QStringLiteral("focus %1, speed %2")
            .arg(c.zoomDir == DecodedCommand::Far ? QStringLiteral("far") : QStringLiteral("near"))
            .arg(c.zoomSpeed);
    case Kind::OnePushFocus:
        return QStringLiteral("one-push autofocus");
    case Kind::Home:
        return QStringLiteral("home");
    case Kind::MemoryReset:
        return QStringLiteral("memory reset %1").arg(c.preset);
    case Kind::MemorySet:
        return QStringLiteral("memory set %1").arg(c.preset);
    case Kind::MemoryRecall:
        return QStringLiteral("memory recall %1").arg(c.preset);
    case Kind::OsdEnter:
        return QStringLiteral("OSD enter");
    case Kind::OsdBack:
        return QStringLiteral("OSD back");
    case Kind::Unknown:
        break;
    }
    return QStringLiteral("unknown: ") + hex(c.bytes);
}

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ')).toUpper();
}

QByteArray ack()
{
    return QByteArray::fromHex("9041FF");
}

QByteArray completion()
{
    return QByteArray::fromHex("9051FF");
}

QByteArray syntaxError()
{
    return QByteArray::fromHex("906002FF");
}

} // namespace ViscaCodec
