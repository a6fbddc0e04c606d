#include "camera/cameramotion.h"

#include "camera/camera.h"
#include "camera/viscadrive.h"

namespace {
QByteArray textOf(const ViscaCommand &command)
{
    return QByteArray(command.hexText);
}

constexpr CameraMotion::Axis everyAxis[] = {CameraMotion::Axis::PanTilt, CameraMotion::Axis::Zoom,
                                            CameraMotion::Axis::Focus};
} // namespace

CameraMotion::CameraMotion(Camera *camera, QObject *parent)
    : QObject(parent)
    , camera(camera)
{
    for (Axis axis : everyAxis) {
        Track &t = track(axis);
        t.holdOff = new QTimer(this);
        t.holdOff->setSingleShot(true);
        t.holdOff->setTimerType(Qt::PreciseTimer);
        connect(t.holdOff, &QTimer::timeout, this, [this, axis] { sendPending(axis); });
    }
    connect(camera, &Camera::cameraConnected, this, &CameraMotion::linkConnected);
    connect(camera, &Camera::cameraDisconnected, this, &CameraMotion::linkLost);
    connect(camera, &Camera::cameraError, this, &CameraMotion::linkLost);
}

ViscaCommand CameraMotion::restOf(Axis axis)
{
    switch (axis) {
    case Axis::PanTilt: return ViscaDrive::panTiltStop();
    case Axis::Zoom: return ViscaDrive::zoomStop();
    case Axis::Focus: break;
    }
    return ViscaDrive::focusStop();
}

bool CameraMotion::isRest(Axis axis, const ViscaCommand &command)
{
    return textOf(command) == textOf(restOf(axis));
}

void CameraMotion::connectTo(const QString &address)
{
    // A link still open is closed as the operator's Disconnect would close it.
    if (camera->isOpen())
        disconnectFromCamera();
    for (Axis axis : everyAxis) {
        Track &t = track(axis);
        t.lastSent.clear();
        t.hasPending = false;
        t.holdOff->stop();
        t.sinceLastSend.invalidate();
    }
    connectedOnce = false;
    sinceMotionWritten.invalidate();
    camera->setIpAddr(address);
    camera->connectToCamera();
    // A camera this remote left moving hears its stops first: the socket sends what it
    // was handed while connecting as soon as the link is up, in order.
    if (owedStops.contains(address)) {
        for (Axis axis : everyAxis)
            send(axis, restOf(axis));
    }
}

void CameraMotion::disconnectFromCamera()
{
    stopMoving();
    closing = true;
    camera->flushCommands();
    camera->disconnectFromCamera();
    closing = false;
}

// Each input holds an axis at most once.
bool CameraMotion::dropHold(Track &t, Source source)
{
    for (int i = 0; i < t.holds.size(); ++i) {
        if (t.holds.at(i).source == source) {
            t.holds.removeAt(i);
            return true;
        }
    }
    return false;
}

void CameraMotion::hold(Source source, Axis axis, const ViscaCommand &command)
{
    if (isRest(axis, command)) {
        letGo(source, axis);
        return;
    }
    Track &t = track(axis);
    dropHold(t, source);
    t.holds.append(Hold{source, command});
    follow(axis, isPaced(source));
}

void CameraMotion::letGo(Source source, Axis axis)
{
    Track &t = track(axis);
    const bool held = dropHold(t, source);
    // A release by an input that holds nothing (a stick centred that was never out)
    // changes nothing, unless a drive nobody holds is under way.
    if (!held && !(t.holds.isEmpty() && underWay(axis)))
        return;
    follow(axis, !t.holds.isEmpty() && isPaced(t.holds.last().source));
}

void CameraMotion::letGoAll(Source source)
{
    for (Axis axis : everyAxis) {
        if (dropHold(track(axis), source))
            follow(axis, false);
    }
}

void CameraMotion::sendOnce(const ViscaCommand &command)
{
    camera->sendCommand(command);
}

// Brings the camera in line with the holds: the latest request, or the rest once none
// is left. Only a change is sent; a paced drive waits out the interval.
void CameraMotion::follow(Axis axis, bool paced)
{
    Track &t = track(axis);
    const ViscaCommand wanted = t.holds.isEmpty() ? restOf(axis) : t.holds.last().command;
    if (textOf(wanted) == t.lastSent) {
        // Back to what the camera already does: a waiting change is void.
        t.hasPending = false;
        t.holdOff->stop();
        return;
    }
    const bool tooSoon = t.sinceLastSend.isValid() && t.sinceLastSend.elapsed() < intervalMs;
    if (paced && tooSoon && !t.holds.isEmpty()) {
        t.pending = wanted;
        t.hasPending = true;
        if (!t.holdOff->isActive())
            t.holdOff->start(int(intervalMs - t.sinceLastSend.elapsed()));
        return;
    }
    t.hasPending = false;
    t.holdOff->stop();
    send(axis, wanted);
}

void CameraMotion::sendPending(Axis axis)
{
    Track &t = track(axis);
    if (!t.hasPending)
        return;
    t.hasPending = false;
    send(axis, t.pending);
}

// While connecting the socket is open and keeps what it is handed until the link is
// up; once closed it takes nothing, and the camera keeps what it last heard.
void CameraMotion::send(Axis axis, const ViscaCommand &command)
{
    if (!camera->isOpen())
        return;
    Track &t = track(axis);
    camera->sendCommand(command);
    t.sinceLastSend.start();
    sinceMotionWritten.start();
    t.lastSent = textOf(command);
    emit sent(axis, t.lastSent);
}

bool CameraMotion::isMoving(Axis axis) const
{
    const Track &t = track(axis);
    if (t.hasPending || !t.holds.isEmpty())
        return true;
    return !t.lastSent.isEmpty() && t.lastSent != textOf(restOf(axis));
}

bool CameraMotion::isHeld(Axis axis) const
{
    return !track(axis).holds.isEmpty();
}

// Whether this link last told the camera to move on `axis`.
bool CameraMotion::underWay(Axis axis) const
{
    const QByteArray &last = track(axis).lastSent;
    return !last.isEmpty() && last != textOf(restOf(axis));
}

// The stop for each motion under way, at once; the holds stay,
// so an input still held keeps its place, and its release finds the camera at rest.
void CameraMotion::stopMoving()
{
    for (Axis axis : everyAxis) {
        Track &t = track(axis);
        t.hasPending = false;
        t.holdOff->stop();
        if (underWay(axis))
            send(axis, restOf(axis));
    }
}

void CameraMotion::stopBeforeClosing()
{
    stopMoving();
    // Always: a stop sent a moment ago for another reason (the closing windows took
    // the focus with them) may still wait in the socket's buffer.
    camera->flushCommands();
}

void CameraMotion::linkConnected()
{
    connectedOnce = true;
    owedStops.remove(camera->ipAddr());
}

// A link that goes while something moves leaves the camera running: the next link to
// it owes the stops. So does one that carried motion a moment before it went, since
// its last stop may never have arrived. The operator's own Disconnect has sent them
// already; a failed attempt never carried anything.
void CameraMotion::linkLost()
{
    bool moving = sinceMotionWritten.isValid() && sinceMotionWritten.elapsed() < unconfirmedMs;
    sinceMotionWritten.invalidate();
    for (Axis axis : everyAxis) {
        Track &t = track(axis);
        t.hasPending = false;
        t.holdOff->stop();
        if (underWay(axis))
            moving = true;
        // Whatever comes next is a new link, with a camera in a state not yet known.
        t.lastSent.clear();
    }
    if (connectedOnce && !closing && moving)
        owedStops.insert(camera->ipAddr());
    connectedOnce = false;
}
