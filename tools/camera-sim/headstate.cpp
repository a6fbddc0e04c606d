#include "headstate.h"

#include <QElapsedTimer>
#include <QtGlobal>
#include <cmath>
#include <memory>

HeadState::HeadState(Clock clock)
    : clock_(std::move(clock)), startTime_(clock_())
{
}

HeadState::Clock HeadState::steadyClock()
{
    auto timer = std::make_shared<QElapsedTimer>();
    timer->start();
    return [timer] { return timer->elapsed(); };
}

namespace {

// From `from` at `rate` for `seconds`, within low..high, and no further than `target`
// when seeking it.
double travel(double from, double rate, double seconds, double low, double high, bool seeking, double target)
{
    double to = from + rate * seconds;
    if (seeking)
        to = rate > 0 ? std::min(to, target) : rate < 0 ? std::max(to, target) : from;
    return qBound(low, to, high);
}

// Toward `target` at `speed`, or still when there.
double rateToward(double from, double target, double speed)
{
    return target > from ? speed : target < from ? -speed : 0;
}

} // namespace

PanTilt HeadState::position() const
{
    const double seconds = (clock_() - startTime_) / 1000.0;
    PanTilt now = start_;
    now.pan = travel(start_.pan, panRate_, seconds, PanMin, PanMax, seeking_.pan, target_.pan);
    now.tilt = travel(start_.tilt, tiltRate_, seconds, TiltMin, TiltMax, seeking_.tilt, target_.tilt);
    now.zoom = std::exp(travel(std::log(start_.zoom), zoomRate_, seconds, 0, std::log(ZoomMax),
                               seeking_.zoom, std::log(target_.zoom)));
    now.focus = travel(start_.focus, focusRate_, seconds, 0, 1, seeking_.focus, target_.focus);
    return now;
}

bool HeadState::isMoving() const
{
    if (panRate_ == 0 && tiltRate_ == 0 && zoomRate_ == 0 && focusRate_ == 0)
        return false;
    // A seek that has arrived still has its rate until the next command.
    const PanTilt now = position();
    const auto moves = [](double rate, bool seeking, double at, double target) {
        return rate != 0 && (!seeking || std::abs(at - target) > 1e-9);
    };
    return moves(panRate_, seeking_.pan, now.pan, target_.pan)
        || moves(tiltRate_, seeking_.tilt, now.tilt, target_.tilt)
        || moves(zoomRate_, seeking_.zoom, now.zoom, target_.zoom)
        || moves(focusRate_, seeking_.focus, now.focus, target_.focus);
}

// Pan-tilt and zoom move on their own: a change to one starts the clock afresh
// from where both are now.
void HeadState::rebase()
{
    start_ = position();
    startTime_ = clock_();
}

void HeadState::setMotion(double panRate, double tiltRate)
{
    rebase();
    panRate_ = panRate;
    tiltRate_ = tiltRate;
    seeking_.pan = seeking_.tilt = false;
}

void HeadState::setZoomRate(double rate)
{
    rebase();
    zoomRate_ = rate;
    seeking_.zoom = false;
}

void HeadState::setFocusRate(double rate)
{
    rebase();
    focusRate_ = rate;
    seeking_.focus = false;
}

// Pan, tilt and zoom head for `target` at their top speeds.
void HeadState::seek(const PanTilt &target)
{
    rebase();
    target_.pan = qBound(PanMin, target.pan, PanMax);
    target_.tilt = qBound(TiltMin, target.tilt, TiltMax);
    target_.zoom = qBound(1.0, target.zoom, ZoomMax);
    panRate_ = rateToward(start_.pan, target_.pan, ViscaCodec::MaxPanSpeed * DegreesPerSecondPerStep);
    tiltRate_ = rateToward(start_.tilt, target_.tilt, ViscaCodec::MaxTiltSpeed * DegreesPerSecondPerStep);
    const double fastestZoom = std::log(ZoomMax) * (ViscaCodec::MaxZoomSpeed + 1) / WholeZoomSecondsAtSpeed0;
    zoomRate_ = rateToward(std::log(start_.zoom), std::log(target_.zoom), fastestZoom);
    seeking_.pan = seeking_.tilt = seeking_.zoom = true;
}

QString HeadState::apply(const DecodedCommand &command)
{
    using Kind = DecodedCommand::Kind;
    switch (command.kind) {
    case Kind::Drive:
        return menu_.isOpen() ? driveMenu(command) : drive(command);
    case Kind::Zoom:
        return zoom(command);
    case Kind::Focus:
    case Kind::OnePushFocus:
        return focus(command);
    case Kind::Home:
        seek({0, 0, position().zoom});
        return QStringLiteral("heading for pan 0.0, tilt 0.0");
    case Kind::MemoryReset:
        presets_.remove(command.preset);
        return {};
    case Kind::MemorySet:
        return store(command.preset);
    case Kind::MemoryRecall:
        return recall(command.preset);
    case Kind::OsdEnter:
        return menu_.enter() ? menu_.status() : QStringLiteral("OSD menu closed, ignored");
    case Kind::OsdBack:
        return menu_.back() ? menu_.status() : QStringLiteral("OSD menu closed, ignored");
    case Kind::Unknown:
        break;
    }
    return {};
}

QString HeadState::drive(const DecodedCommand &c)
{
    const double panSign = c.panDir == DecodedCommand::Right ? 1 : c.panDir == DecodedCommand::Left ? -1 : 0;
    const double tiltSign = c.tiltDir == DecodedCommand::Up ? 1 : c.tiltDir == DecodedCommand::Down ? -1 : 0;
    const PanTilt from = position();
    setMotion(panSign * c.panSpeed * DegreesPerSecondPerStep,
              tiltSign * c.tiltSpeed * DegreesPerSecondPerStep);
    if (c.isStop())
        return QStringLiteral("held at ") + where();
    return QStringLiteral("from pan %1, tilt %2").arg(from.pan, 0, 'f', 1).arg(from.tilt, 0, 'f', 1);
}

QString HeadState::zoom(const DecodedCommand &c)
{
    const double sign = c.zoomDir == DecodedCommand::Tele ? 1 : c.zoomDir == DecodedCommand::Wide ? -1 : 0;
    const double wholeRange = WholeZoomSecondsAtSpeed0 / (c.zoomSpeed + 1);
    setZoomRate(sign * std::log(ZoomMax) / wholeRange);
    const QString note = sign == 0 ? QStringLiteral("held at zoom %1x") : QStringLiteral("from zoom %1x");
    return note.arg(start_.zoom, 0, 'f', 1);
}

QString HeadState::focus(const DecodedCommand &c)
{
    rebase();
    start_.manualFocus = true;
    if (c.kind == DecodedCommand::Kind::OnePushFocus) {
        focusRate_ = rateToward(start_.focus, SharpFocus, OnePushFocusPerSecond);
        target_.focus = SharpFocus;
        seeking_.focus = true;
        return QStringLiteral("focusing once from %1").arg(start_.focus, 0, 'f', 2);
    }
    const double sign = c.zoomDir == DecodedCommand::Far ? 1 : c.zoomDir == DecodedCommand::Near ? -1 : 0;
    setFocusRate(sign * (c.zoomSpeed + 1) / WholeFocusSecondsAtSpeed0);
    const QString note = sign == 0 ? QStringLiteral("focus held at %1, manual") : QStringLiteral("focus from %1, manual");
    return note.arg(start_.focus, 0, 'f', 2);
}

// While the menu is up the joystick drives the menu, not the head: up/down move
// the cursor, left/right change the setting under it.
QString HeadState::driveMenu(const DecodedCommand &c)
{
    if (c.isStop())
        return QStringLiteral("OSD menu open, head still");
    if (c.tiltDir != DecodedCommand::TiltStop)
        menu_.moveCursor(c.tiltDir == DecodedCommand::Down ? 1 : -1);
    else
        menu_.changeValue(c.panDir == DecodedCommand::Right ? 1 : -1);
    return menu_.status();
}

QString HeadState::recall(int preset)
{
    if (preset == ViscaCodec::OsdMenuPreset) {
        if (menu_.isOpen()) {
            menu_.close();
            return menu_.status();
        }
        setMotion(0, 0); // the joystick now belongs to the menu
        menu_.open();
        return QStringLiteral("OSD menu open, ") + menu_.status();
    }
    if (!presets_.contains(preset))
        return QStringLiteral("preset not set");
    const PanTilt to = presets_.value(preset);
    seek(to);
    return QStringLiteral("heading for pan %1, tilt %2, zoom %3x")
        .arg(to.pan, 0, 'f', 1).arg(to.tilt, 0, 'f', 1).arg(to.zoom, 0, 'f', 1);
}

// Memory 95 stays the menu's: storing there would leave the menu key a position.
QString HeadState::store(int preset)
{
    if (preset == ViscaCodec::OsdMenuPreset)
        return QStringLiteral("memory 95 is the OSD menu, not stored");
    presets_.insert(preset, position());
    return where();
}

QString HeadState::where() const
{
    const PanTilt p = position();
    return QStringLiteral("pan %1, tilt %2").arg(p.pan, 0, 'f', 1).arg(p.tilt, 0, 'f', 1);
}
