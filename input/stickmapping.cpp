#include "input/stickmapping.h"

#include "camera/viscadrive.h"

#include <algorithm>
#include <cstdlib>

namespace StickMapping {

namespace {

// Deflection beyond the dead zone, spread evenly over low..high: the first step
// right at the dead zone's edge, the top one at full travel.
int quantise(int magnitude, int deadZone, int low, int high)
{
    const int travel = axisMax - deadZone;
    const int beyond = std::clamp(magnitude - deadZone, 0, travel);
    return low + (beyond * (high - low) + travel / 2) / travel;
}

} // namespace

ViscaCommand panTiltForStick(int x, int y)
{
    using ViscaDrive::Pan;
    using ViscaDrive::Tilt;
    const int ax = std::abs(x), ay = std::abs(y);
    const Pan pan = ax <= stickDeadZone ? Pan::None : x < 0 ? Pan::Left : Pan::Right;
    const Tilt tilt = ay <= stickDeadZone ? Tilt::None : y < 0 ? Tilt::Up : Tilt::Down;
    // An axis that does not move carries the slowest speed: the byte must be in
    // range, and a fixed value keeps a one-axis drive from changing with noise.
    const int panSpeed = pan == Pan::None ? ViscaDrive::minPanSpeed
        : quantise(ax, stickDeadZone, ViscaDrive::minPanSpeed, ViscaDrive::maxPanSpeed);
    const int tiltSpeed = tilt == Tilt::None ? ViscaDrive::minTiltSpeed
        : quantise(ay, stickDeadZone, ViscaDrive::minTiltSpeed, ViscaDrive::maxTiltSpeed);
    return ViscaDrive::panTilt(pan, tilt, panSpeed, tiltSpeed);
}

ViscaCommand zoomForAmount(int amount, int deadZone)
{
    const int magnitude = std::abs(amount);
    if (magnitude <= deadZone)
        return ViscaDrive::zoomStop();
    const int speed = quantise(magnitude, deadZone, ViscaDrive::minZoomSpeed, ViscaDrive::maxZoomSpeed);
    return amount > 0 ? ViscaDrive::zoomTele(speed) : ViscaDrive::zoomWide(speed);
}

ViscaCommand zoomForControls(int leftTrigger, int rightTrigger, int rightStickY)
{
    if (leftTrigger > triggerDeadZone || rightTrigger > triggerDeadZone)
        return zoomForAmount(rightTrigger >= leftTrigger ? rightTrigger : -leftTrigger, triggerDeadZone);
    // -32768 (full up) must not overflow when negated.
    return zoomForAmount(-std::max(rightStickY, -axisMax), stickDeadZone);
}

} // namespace StickMapping
