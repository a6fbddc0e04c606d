#include "input/motionguard.h"

#include "camera/camera.h"
#include "camera/viscadrive.h"

MotionGuard::MotionGuard(Camera *camera, QObject *parent)
    : QObject(parent)
    , camera(camera)
{
    // Once the link is closed no stop can reach the camera; a later connection starts
    // from a camera we know nothing about.
    connect(camera, &Camera::cameraDisconnected, this, &MotionGuard::forgetAll);
}

void MotionGuard::reportPanTilt(Source source, bool moving)
{
    if (!camera->isOpen())
        return;
    panTilt.active = moving;
    panTilt.source = source;
}

void MotionGuard::reportZoom(Source source, bool moving)
{
    if (!camera->isOpen())
        return;
    zoom.active = moving;
    zoom.source = source;
}

void MotionGuard::stop(Sources sources)
{
    Sources stoppedFor;
    if (panTilt.active && sources.testFlag(panTilt.source)) {
        panTilt.active = false;
        stoppedFor |= panTilt.source;
        camera->sendStop();
    }
    if (zoom.active && sources.testFlag(zoom.source)) {
        zoom.active = false;
        stoppedFor |= zoom.source;
        camera->sendCommand(ViscaDrive::zoomStop());
    }
    for (Source source : {OnScreen, Keyboard, Controller}) {
        if (stoppedFor.testFlag(source))
            emit stopped(source);
    }
}

void MotionGuard::stopBeforeClosing()
{
    stop(everySource);
    // Always: a stop sent a moment ago for another reason (the closing windows took
    // the focus with them) may still wait in the socket's buffer.
    camera->flushCommands();
}

void MotionGuard::forgetAll()
{
    panTilt.active = false;
    zoom.active = false;
}
