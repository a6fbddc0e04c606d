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
    double focus = 0.6; // 0 (nearest) .. 1 (infinity); HeadState::SharpFocus is sharp
    bool manualFocus = false;
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
// Recall and home move there at the top speeds (72 and 60 deg/s, zoom 1.5 s), each
// axis on its own, as a real head does; a new drive on an axis ends its part of the trip.
// Focus: 0..1, the scene sharp at SharpFocus; speed p crosses the range in
// 8 / (p + 1) s. The lens starts in autofocus; a focus drive makes it manual, and
// one-push autofocus goes to sharp in at most a second and stays manual.
class HeadState
{
public:
    using Clock = std::function<qint64()>; // milliseconds, never going back

    static constexpr double PanMin = -170, PanMax = 170;
    static constexpr double TiltMin = -30, TiltMax = 90;
    static constexpr double DegreesPerSecondPerStep = 3;
    static constexpr double ZoomMax = 12;
    static constexpr double WholeZoomSecondsAtSpeed0 = 12;
    static constexpr double SharpFocus = 0.6;
    static constexpr double WholeFocusSecondsAtSpeed0 = 8;
    static constexpr double OnePushFocusPerSecond = 1;

    explicit HeadState(Clock clock = steadyClock());
    static Clock steadyClock();

    // Carries the command out; returns a note for the log on what it did
    // ("OSD menu open", "held at pan 0.0, tilt 12.5"), empty if nothing to add.
    QString apply(const DecodedCommand &command);

    PanTilt position() const;
    bool isMoving() const;
    const OsdMenu &menu() const { return menu_; }

private:
    QString drive(const DecodedCommand &command);
    QString driveMenu(const DecodedCommand &command);
    QString zoom(const DecodedCommand &command);
    QString focus(const DecodedCommand &command);
    QString recall(int preset);
    QString store(int preset);
    void seek(const PanTilt &target);
    void rebase();
    void setMotion(double panRate, double tiltRate);
    void setZoomRate(double rate);
    void setFocusRate(double rate);
    QString where() const;

    // An axis on its way to a recalled position stops there rather than at a limit.
    struct Seek
    {
        bool pan = false, tilt = false, zoom = false, focus = false;
    };

    Clock clock_;
    PanTilt start_;         // position when the current motion began
    qint64 startTime_ = 0;
    double panRate_ = 0;    // degrees per second, signed
    double tiltRate_ = 0;
    double zoomRate_ = 0;   // natural logarithm of the magnification, per second
    double focusRate_ = 0;  // focus range per second
    Seek seeking_;
    PanTilt target_;
    OsdMenu menu_;
    QHash<int, PanTilt> presets_;
};
