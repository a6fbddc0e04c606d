#pragma once

#include "osdmenu.h"
#include "viscaparser.h"

#include <QHash>
#include <QString>
#include <functional>

struct PanTilt
{
    double pan = 0;  // degrees, + is right
    double tilt = 0; // degrees, + is up
    double zoom = 1; // magnification of the lens, 1 (widest) .. HeadState::ZoomMax
};

// The camera head: where it points, how it is moving, and its on-screen menu.
// Motion is worked out from the time a drive began, read from a clock that
// tests replace, so a "one second drive" is exact and needs no waiting.
//
// Speed: VISCA speed v moves the head at v * 3 degrees per second on either
// axis (pan 0x01..0x18 -> 3..72 deg/s, tilt 0x01..0x14 -> 3..60 deg/s).
// Limits: pan -170..+170, tilt -30..+90; a drive into a limit stops there.
// Zoom: 1x..12x, evenly in the logarithm of the magnification; at VISCA zoom
// speed p the whole range takes 12 / (p + 1) seconds (12 s slowest, 1.5 s fastest).
class HeadState
{
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back

    static constexpr double PanMin = -170, PanMax = 170;
    static constexpr double TiltMin = -30, TiltMax = 90;
    static constexpr double DegreesPerSecondPerStep = 3;
    static constexpr double ZoomMax = 12;
    static constexpr double WholeZoomSecondsAtSpeed0 = 12;

    explicit HeadState(Clock clock = steadyClock());
    static Clock steadyClock();

    // Carries the command out; returns a note for the log on what it did
    // ("OSD menu open", "held at pan 0.0, tilt 12.5"), empty if nothing to add.
    QString apply(const DecodedCommand &command);

    PanTilt position() const;
    bool isMoving() const { return panRate_ != 0 || tiltRate_ != 0 || zoomRate_ != 0; }
    const OsdMenu &menu() const { return menu_; }

private:
    QString drive(const DecodedCommand &command);
    QString driveMenu(const DecodedCommand &command);
    QString zoom(const DecodedCommand &command);
    QString recall(int preset);
    void rebase();
    void setMotion(double panRate, double tiltRate);
    void setZoomRate(double rate);
    QString where() const;

    Clock clock_;
    PanTilt start_;         // position when the current motion began
    qint64 startTime_ = 0;
    double panRate_ = 0;    // degrees per second, signed
    double tiltRate_ = 0;
    double zoomRate_ = 0;   // natural logarithm of the magnification, per second
    OsdMenu menu_;
    QHash<int, PanTilt> presets_;
};
