#include "ui/showcontrol.h"

#include "camera/camera.h"
#include "camera/viscadrive.h"
#include "settings/previewlatency.h"
#include "ui/cameraselect.h"
#include "ui/keymapwindow.h"
#include "ui/noticewindow.h"

ShowControl::ShowControl(QWidget *window, MainWindowUi *ui, Camera *camera, CameraMotion *motion)
    : QObject(window)
    , camera(camera)
    , motion(motion)
    , noticeWindow(new NoticeWindow(window))
    , keyMap(new KeyMapWindow(window))
    , select(new CameraSelect(ui, camera, this))
{
    connect(select, &CameraSelect::notice, noticeWindow, &NoticeWindow::notify);
}

// The two windows are top-level windows of their own, not children of the window.
ShowControl::~ShowControl()
{
    delete keyMap;
    delete noticeWindow;
}

bool ShowControl::isDriving() const
{
    return motion->isHeld(CameraMotion::Axis::PanTilt) || motion->isHeld(CameraMotion::Axis::Zoom)
        || motion->isHeld(CameraMotion::Axis::Focus);
}

bool ShowControl::refusedWhileDriving(const QString &what)
{
    if (!isDriving())
        return false;
    noticeWindow->notify(what + QStringLiteral(": not while driving"));
    return true;
}

void ShowControl::sendOnce(const ViscaCommand &command, const QString &notice)
{
    if (!camera->isOpen()) {
        noticeWindow->notify(QStringLiteral("Not connected"));
        return;
    }
    motion->sendOnce(command);
    // The socket would write from the event loop, after the notice's window has been
    // shown, which costs more than the message itself: out with it first.
    camera->flushCommands();
    noticeWindow->notify(notice);
}

// The choice lasts, as one made on the command line does; a preview that plays starts
// again in the new mode, since libVLC takes its cache only when a stream opens.
void ShowControl::togglePreviewLatency()
{
    using namespace PreviewLatencyChoice;
    const PreviewLatency latency = current() == PreviewLatency::Low ? PreviewLatency::Default : PreviewLatency::Low;
    setCurrent(latency);
    const bool kept = save(preferenceFile(), latency);
    emit previewLatencyChanged();
    noticeWindow->notify(QStringLiteral("Preview: %1 latency%2")
                             .arg(nameOf(latency), kept ? QString() : QStringLiteral(" (cannot keep it for the next start)")));
}

void ShowControl::perform(CameraMotion::Source source, const ShowAction &action, bool pressed)
{
    const int n = action.number;
    switch (action.kind) {
    case ShowAction::FocusNear:
    case ShowAction::FocusFar: {
        if (!pressed) {
            motion->letGo(source, CameraMotion::Axis::Focus);
            return;
        }
        motion->hold(source, CameraMotion::Axis::Focus,
                     action.kind == ShowAction::FocusFar ? ViscaDrive::focusFar(n) : ViscaDrive::focusNear(n));
        return;
    }
    case ShowAction::RecallPreset:
        if (const auto recall = ViscaDrive::presetRecall(n); recall && !refusedWhileDriving(action.description()))
            sendOnce(*recall, QStringLiteral("Preset %1").arg(n));
        return;
    case ShowAction::StorePreset:
        if (const auto store = ViscaDrive::presetStore(n); store && !refusedWhileDriving(action.description()))
            sendOnce(*store, QStringLiteral("Preset %1 stored").arg(n));
        return;
    case ShowAction::Home:
        if (!refusedWhileDriving(action.description()))
            sendOnce(ViscaDrive::home(), QStringLiteral("Home"));
        return;
    case ShowAction::OnePushFocus:
        sendOnce(ViscaDrive::onePushFocus(), QStringLiteral("Autofocus"));
        return;
    case ShowAction::SelectCamera:
        select->select(n);
        return;
    case ShowAction::NextCamera:
        select->next();
        return;
    case ShowAction::PreviousCamera:
        select->previous();
        return;
    case ShowAction::KeyMap:
        keyMap->toggle();
        return;
    case ShowAction::PreviewLatency:
        togglePreviewLatency();
        return;
    default:
        return; // drives and zoom are the keyboard's and the controller's own
    }
}
