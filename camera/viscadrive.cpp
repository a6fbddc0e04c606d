#include "camera/viscadrive.h"

#include <QByteArray>

#include <algorithm>

namespace ViscaDrive {

namespace {

// The builders produce bytes; ViscaCommand carries them as uppercase hex text.
ViscaCommand fromBytes(const QByteArray &bytes)
{
    return makeViscaCommand(bytes.toHex().toUpper().constData(), static_cast<qint32>(bytes.size()));
}

// Zoom (07) and focus (08) share their layout, 81 01 04 <kind> <direction|speed> FF,
// and their speeds.
static_assert(minFocusSpeed == minZoomSpeed && maxFocusSpeed == maxZoomSpeed);

ViscaCommand lens(char kind, quint8 direction, int speed)
{
    const int p = std::clamp(speed, minZoomSpeed, maxZoomSpeed);
    const char bytes[] = {'\x81', '\x01', '\x04', kind, static_cast<char>(direction | p), '\xFF'};
    return fromBytes(QByteArray(bytes, sizeof bytes));
}

ViscaCommand zoom(quint8 direction, int speed)
{
    return lens('\x07', direction, speed);
}

std::optional<ViscaCommand> memory(char action, int preset)
{
    if (!isPreset(preset))
        return std::nullopt;
    const char bytes[] = {'\x81', '\x01', '\x04', '\x3F', action, static_cast<char>(preset), '\xFF'};
    return fromBytes(QByteArray(bytes, sizeof bytes));
}

} // namespace

ViscaCommand panTilt(Pan pan, Tilt tilt, int panSpeed, int tiltSpeed)
{
    if (pan == Pan::None && tilt == Tilt::None)
        return panTiltStop();
    const char bytes[] = {'\x81', '\x01', '\x06', '\x01',
                          static_cast<char>(std::clamp(panSpeed, minPanSpeed, maxPanSpeed)),
                          static_cast<char>(std::clamp(tiltSpeed, minTiltSpeed, maxTiltSpeed)),
                          static_cast<char>(pan), static_cast<char>(tilt), '\xFF'};
    return fromBytes(QByteArray(bytes, sizeof bytes));
}

ViscaCommand panTiltStop()
{
    return makeViscaCommand(Visca::driveStop, Visca::driveLength);
}

ViscaCommand zoomTele(int speed) { return zoom(0x20, speed); }
ViscaCommand zoomWide(int speed) { return zoom(0x30, speed); }
ViscaCommand zoomStop() { return makeViscaCommand(zoomStopText, zoomLength); }
ViscaCommand focusStop() { return makeViscaCommand(focusStopText, focusLength); }

ViscaCommand arrowDrive(Arrow arrow)
{
    switch (arrow) {
    case Arrow::Up: return makeViscaCommand(Visca::driveUp, Visca::driveLength);
    case Arrow::Down: return makeViscaCommand(Visca::driveDown, Visca::driveLength);
    case Arrow::Left: return makeViscaCommand(Visca::driveLeft, Visca::driveLength);
    case Arrow::Right: break;
    }
    return makeViscaCommand(Visca::driveRight, Visca::driveLength);
}

ViscaCommand focusFar(int speed) { return lens('\x08', 0x20, speed); }
ViscaCommand focusNear(int speed) { return lens('\x08', 0x30, speed); }
ViscaCommand onePushFocus() { return fromBytes(QByteArray::fromHex("8101041801FF")); }
ViscaCommand home() { return fromBytes(QByteArray::fromHex("81010604FF")); }

bool isPreset(int preset) { return preset >= minPreset && preset <= maxPreset; }
std::optional<ViscaCommand> presetRecall(int preset) { return memory('\x02', preset); }
std::optional<ViscaCommand> presetStore(int preset) { return memory('\x01', preset); }

} // namespace ViscaDrive
