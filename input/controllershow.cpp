#include "input/controllershow.h"

#include "camera/viscadrive.h"

#include <QtGlobal>
#include <cstdlib>

namespace {

int dpadPlace(ControllerShow::Button button)
{
    switch (button) {
    case ControllerShow::Button::DpadUp: return 1;
    case ControllerShow::Button::DpadRight: return 2;
    case ControllerShow::Button::DpadDown: return 3;
    case ControllerShow::Button::DpadLeft: return 4;
    default: return 0;
    }
}

const QString notWhileDriving = QStringLiteral("Not while driving");

} // namespace

ControllerShow::ControllerShow(std::function<bool()> isDriving, QObject *parent)
    : QObject(parent)
    , isDriving(std::move(isDriving))
{
    storeTimer.setSingleShot(true);
    // A coarse timer may fire 5 % early; a store is promised at the full hold.
    storeTimer.setTimerType(Qt::PreciseTimer);
    storeTimer.setInterval(storeHoldMs);
    connect(&storeTimer, &QTimer::timeout, this, &ControllerShow::storeHeldPreset);
}

bool ControllerShow::button(Button button, bool down)
{
    const int place = dpadPlace(button);
    if (place) {
        if (!down) {
            if (!pending || button != pendingButton)
                return false;
            // Released before the store: the recall, unless a drive began meanwhile.
            const int preset = pending;
            const bool stored = !storeTimer.isActive();
            pending = 0;
            storeTimer.stop();
            if (!stored && driving())
                emit refused(notWhileDriving);
            else if (!stored)
                emit action({ShowAction::RecallPreset, preset}, true);
            return true;
        }
        if (!xHeld && !yHeld)
            return false;
        if (pending)
            return true; // one preset at a time; the second arrow neither drives nor picks
        if (driving()) {
            emit refused(notWhileDriving);
            return true;
        }
        pending = place + (yHeld ? 4 : 0);
        pendingButton = button;
        storeTimer.start();
        return true;
    }
    switch (button) {
    case Button::X: xHeld = down; return true;
    case Button::Y: yHeld = down; return true;
    case Button::RightStick:
        if (down)
            emit action({ShowAction::OnePushFocus, 0}, true);
        return true;
    case Button::Back:
    case Button::LeftShoulder:
    case Button::RightShoulder: {
        if (!down)
            return true;
        if (driving()) {
            emit refused(notWhileDriving);
            return true;
        }
        const ShowAction::Kind kind = button == Button::Back ? ShowAction::Home
                                    : button == Button::LeftShoulder ? ShowAction::PreviousCamera
                                                                     : ShowAction::NextCamera;
        emit action({kind, 0}, true);
        return true;
    }
    default:
        return false;
    }
}

// Held for the whole storeHoldMs with no drive begun: store, and the release that
// follows recalls nothing.
void ControllerShow::storeHeldPreset()
{
    if (!pending)
        return;
    if (driving()) {
        pending = 0;
        emit refused(notWhileDriving);
        return;
    }
    emit action({ShowAction::StorePreset, pending}, true);
}

void ControllerShow::setRightStick(int x, int y)
{
    const int lean = std::abs(x);
    if (lean <= focusDeadZone || lean <= std::abs(y)) {
        setFocus(ShowAction::None, 0);
        return;
    }
    const int speed = (lean - focusDeadZone) * (ViscaDrive::maxFocusSpeed + 1) / (32768 - focusDeadZone);
    setFocus(x > 0 ? ShowAction::FocusFar : ShowAction::FocusNear, qBound(0, speed, ViscaDrive::maxFocusSpeed));
}

void ControllerShow::setFocus(ShowAction::Kind kind, int speed)
{
    const ShowAction now{kind, speed};
    if (now == focus)
        return;
    if (kind == ShowAction::None) {
        const ShowAction ended = focus;
        focus = now;
        emit action(ended, false);
        return;
    }
    focus = now;
    emit action(focus, true);
}

void ControllerShow::release()
{
    xHeld = yHeld = false;
    pending = 0;
    storeTimer.stop();
    setFocus(ShowAction::None, 0);
}

QVector<QPair<QString, QString>> ControllerShow::rows()
{
    return {
        {QStringLiteral("Left stick, D-pad"), QStringLiteral("Pan and tilt")},
        {QStringLiteral("Triggers, right stick up/down"), QStringLiteral("Zoom")},
        {QStringLiteral("Right stick left/right"), QStringLiteral("Focus near / far")},
        {QStringLiteral("Right stick click"), QStringLiteral("One-push autofocus")},
        {QStringLiteral("X + D-pad \u2191 \u2192 \u2193 \u2190"), QStringLiteral("Recall preset 1 \u2026 4")},
        {QStringLiteral("Y + D-pad \u2191 \u2192 \u2193 \u2190"), QStringLiteral("Recall preset 5 \u2026 8")},
        {QStringLiteral("\u2026 held 1.5 s"), QStringLiteral("Store that preset instead")},
        {QStringLiteral("Left / right shoulder"), QStringLiteral("Previous / next saved camera")},
        {QStringLiteral("Back (Select)"), QStringLiteral("Home")},
        {QStringLiteral("A / B / Start"), QStringLiteral("OSD Enter / Back / menu")},
    };
}
