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

PanTilt HeadState::position() const
{
    const double seconds = (clock_() - startTime_) / 1000.0;
    return {qBound(PanMin, start_.pan + panRate_ * seconds, PanMax),
            qBound(TiltMin, start_.tilt + tiltRate_ * seconds, TiltMax),
            qBound(1.0, start_.zoom * std::exp(zoomRate_ * seconds), ZoomMax)};
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
}

void HeadState::setZoomRate(double rate)
{
    rebase();
    zoomRate_ = rate;
}

QString HeadState::apply(const DecodedCommand &command)
{
    using Kind = DecodedCommand::Kind;
    switch (command.kind) {
    case Kind::Drive:
        return menu_.isOpen() ? driveMenu(command) : drive(command);
    case Kind::Zoom:
        return zoom(command);
    case Kind::MemoryReset:
        presets_.remove(command.preset);
        return {};
    case Kind::MemorySet:
        presets_.insert(command.preset, position());
        return where();
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
    setMotion(0, 0);
    zoomRate_ = 0;
    start_ = presets_.value(preset);
    return QStringLiteral("moved to ") + where();
}

QString HeadState::where() const
{
    const PanTilt p = position();
    return QStringLiteral("pan %1, tilt %2").arg(p.pan, 0, 'f', 1).arg(p.tilt, 0, 'f', 1);
}
