#include "input/commandpacer.h"

#include "camera/camera.h"

namespace {
QByteArray textOf(const ViscaCommand &command)
{
    return QByteArray(command.hexText);
}
} // namespace

CommandPacer::CommandPacer(Camera *camera, const ViscaCommand &rest, QObject *parent)
    : QObject(parent), camera(camera), rest(rest), restBytes(textOf(rest)), lastSent(restBytes)
{
    holdOff.setSingleShot(true);
    holdOff.setTimerType(Qt::PreciseTimer);
    connect(&holdOff, &QTimer::timeout, this, &CommandPacer::sendPending);
    connect(camera, &Camera::cameraConnected, this, &CommandPacer::forget);
    connect(camera, &Camera::cameraDisconnected, this, &CommandPacer::forget);
}

void CommandPacer::request(const ViscaCommand &command)
{
    if (textOf(command) == lastSent) {
        // Back to what the camera already does: a waiting change is void.
        hasPending = false;
        holdOff.stop();
        return;
    }
    pending = command;
    hasPending = true;
    if (!sinceLastSend.isValid() || sinceLastSend.elapsed() >= intervalMs)
        sendPending();
    else if (!holdOff.isActive())
        holdOff.start(int(intervalMs - sinceLastSend.elapsed()));
}

void CommandPacer::restNow()
{
    hasPending = false;
    holdOff.stop();
    if (isMoving())
        send(rest);
}

void CommandPacer::sendPending()
{
    if (!hasPending)
        return;
    hasPending = false;
    send(pending);
}

void CommandPacer::send(const ViscaCommand &command)
{
    if (!camera->isOpen())
        return;
    camera->sendCommand(command);
    sinceLastSend.start();
    lastSent = textOf(command);
    emit sent(isMoving());
}

void CommandPacer::forget()
{
    hasPending = false;
    holdOff.stop();
    lastSent = restBytes;
}
