#include "input/showaction.h"

QString ShowAction::description() const
{
    switch (kind) {
    case None: break;
    case DriveUp: return QStringLiteral("Tilt up");
    case DriveDown: return QStringLiteral("Tilt down");
    case DriveLeft: return QStringLiteral("Pan left");
    case DriveRight: return QStringLiteral("Pan right");
    case ZoomIn: return QStringLiteral("Zoom in");
    case ZoomOut: return QStringLiteral("Zoom out");
    case FocusNear: return QStringLiteral("Focus near");
    case FocusFar: return QStringLiteral("Focus far");
    case RecallPreset: return QStringLiteral("Recall preset %1").arg(number);
    case StorePreset: return QStringLiteral("Store preset %1").arg(number);
    case SelectCamera: return QStringLiteral("Camera %1").arg(number);
    case NextCamera: return QStringLiteral("Next camera");
    case PreviousCamera: return QStringLiteral("Previous camera");
    case Home: return QStringLiteral("Home");
    case OnePushFocus: return QStringLiteral("One-push autofocus");
    case KeyMap: return QStringLiteral("This key map");
    case PreviewLatency: return QStringLiteral("Preview latency");
    }
    return {};
}
