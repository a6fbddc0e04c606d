#include "input/keyboarddriver.h"

#include "camera/cameramotion.h"
#include "camera/viscadrive.h"
#include "input/showkeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace {

// The motion a held action drives.
int motionOf(const ShowAction &action)
{
    switch (action.kind) {
    case ShowAction::DriveUp:
    case ShowAction::DriveDown:
    case ShowAction::DriveLeft:
    case ShowAction::DriveRight: return 0;
    case ShowAction::ZoomIn:
    case ShowAction::ZoomOut: return 1;
    case ShowAction::FocusNear:
    case ShowAction::FocusFar: return 2;
    default: return -1;
    }
}

} // namespace

KeyboardDriver::KeyboardDriver(CameraMotion *motion, QObject *parent)
    : QObject(parent)
    , motion(motion)
{
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this,
            [this](QWidget *, QWidget *now) { focusChanged(now); });
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            stopAll();
    });
}

KeyboardDriver::~KeyboardDriver()
{
    qApp->removeEventFilter(this);
}

void KeyboardDriver::watchWindow(QWidget *window)
{
    windows.append(window);
}

void KeyboardDriver::keepKeysFor(QWidget *widget)
{
    keyKeepers.append(widget);
}

bool KeyboardDriver::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::KeyRelease)
        return false;
    // A key event reaches the filter once for the native window, then for the focus
    // widget and each parent it propagates to when ignored (a line edit ignores Up and
    // Down); where it began, the focus widget, is the one that counts.
    if (!watched->isWidgetType())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyPress) {
        QWidget *focus = QApplication::focusWidget();
        return press(focus ? focus : static_cast<QWidget *>(watched), key);
    }
    return release(key);
}

bool KeyboardDriver::drivesFrom(QWidget *receiver) const
{
    bool watchedWindow = false;
    for (const QPointer<QWidget> &window : windows) {
        if (window && window == receiver->window())
            watchedWindow = true;
    }
    if (!watchedWindow)
        return false;
    for (const QPointer<QWidget> &keeper : keyKeepers) {
        if (keeper && (keeper == receiver || keeper->isAncestorOf(receiver)))
            return false;
    }
    return true;
}

QVector<int> *KeyboardDriver::heldFor(Motion which)
{
    switch (which) {
    case Motion::PanTilt: return &heldArrows;
    case Motion::Zoom: return &heldZoomKeys;
    case Motion::Focus: break;
    }
    return &heldFocusKeys;
}

bool KeyboardDriver::press(QWidget *receiver, QKeyEvent *event)
{
    const int key = event->key();
    const ShowAction action = ShowKeys::actionFor(event);
    const int motionIndex = motionOf(action);
    if (motionIndex < 0) {
        // A key held for a motion, pressed again with a modifier now down (Ctrl
        // while an arrow repeats): still that key's repeat.
        for (Motion which : {Motion::PanTilt, Motion::Zoom, Motion::Focus})
            if (heldFor(which)->contains(key))
                return true;
        if (action.kind == ShowAction::None || !drivesFrom(receiver))
            return false;
        if (!event->isAutoRepeat())
            emit requested(action);
        return true;
    }
    QVector<int> &held = *heldFor(Motion(motionIndex));
    // A held key repeats; nothing changes for the camera. A press of a key we already
    // hold is a repeat too, whatever the flag says.
    if (held.contains(key))
        return true;
    if (event->isAutoRepeat())
        return false;
    if (!drivesFrom(receiver))
        return false;
    held.append(key);
    sendLatest(Motion(motionIndex));
    return true;
}

// Releases count wherever the focus has gone meanwhile: a key that started a motion
// ends it.
bool KeyboardDriver::release(QKeyEvent *event)
{
    const int key = event->key();
    for (Motion which : {Motion::PanTilt, Motion::Zoom, Motion::Focus}) {
        QVector<int> &held = *heldFor(which);
        if (!held.contains(key))
            continue;
        // Qt marks the release half of X's auto-repeat (a release and a press at the
        // same time) when it can see the press already waiting.
        if (event->isAutoRepeat())
            return true;
        const bool wasDriving = held.last() == key;
        held.removeAll(key);
        if (wasDriving)
            sendLatest(which);
        return true;
    }
    return false;
}

void KeyboardDriver::sendLatest(Motion which)
{
    if (which == Motion::PanTilt) {
        if (heldArrows.isEmpty()) {
            motion->letGo(CameraMotion::Keyboard, CameraMotion::Axis::PanTilt);
            return;
        }
        ViscaDrive::Arrow arrow = ViscaDrive::Arrow::Right;
        switch (heldArrows.last()) {
        case Qt::Key_Up: arrow = ViscaDrive::Arrow::Up; break;
        case Qt::Key_Down: arrow = ViscaDrive::Arrow::Down; break;
        case Qt::Key_Left: arrow = ViscaDrive::Arrow::Left; break;
        default: break;
        }
        motion->hold(CameraMotion::Keyboard, CameraMotion::Axis::PanTilt, ViscaDrive::arrowDrive(arrow));
        return;
    }
    if (which == Motion::Focus) {
        if (heldFocusKeys.isEmpty())
            motion->letGo(CameraMotion::Keyboard, CameraMotion::Axis::Focus);
        else
            motion->hold(CameraMotion::Keyboard, CameraMotion::Axis::Focus,
                         heldFocusKeys.last() == Qt::Key_F ? ViscaDrive::focusFar(focusSpeed)
                                                           : ViscaDrive::focusNear(focusSpeed));
        return;
    }
    if (heldZoomKeys.isEmpty()) {
        motion->letGo(CameraMotion::Keyboard, CameraMotion::Axis::Zoom);
        return;
    }
    motion->hold(CameraMotion::Keyboard, CameraMotion::Axis::Zoom,
                 heldZoomKeys.last() == Qt::Key_PageUp ? ViscaDrive::zoomTele(zoomSpeed)
                                                       : ViscaDrive::zoomWide(zoomSpeed));
}

// Keys held while the focus goes to another program or to a window of ours that does
// not drive (a message box) would come up there, unseen: stop now. An on-screen
// arrow held at that moment needs nothing from us: a button that loses the focus
// lets go and emits its own released(), whose stop goes out through the window.
void KeyboardDriver::focusChanged(QWidget *now)
{
    if (now && drivesFrom(now->window()))
        return;
    stopAll();
}

void KeyboardDriver::stopAll()
{
    heldArrows.clear();
    heldZoomKeys.clear();
    heldFocusKeys.clear();
    motion->letGoAll(CameraMotion::Keyboard);
}
