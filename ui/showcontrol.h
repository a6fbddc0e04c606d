#ifndef HALVORINE_SHOWCONTROL_H
#define HALVORINE_SHOWCONTROL_H

#include "camera/cameramotion.h"
#include "input/showaction.h"

#include <QObject>

class Camera;
class CameraSelect;
class KeyMapWindow;
class MainWindowUi;
class NoticeWindow;
class QWidget;

// Carries out what the keys and the controller ask beyond pan, tilt and zoom: presets,
// home, focus, camera select, the key map and the preview's latency, and says on the
// screen what happened.
// Motion goes through the camera's motion owner like every other input's. Presets and
// home are refused while anything drives the camera: a recall or a store in the middle
// of a move is never what the operator meant.
class ShowControl : public QObject
{
    Q_OBJECT

public:
    ShowControl(QWidget *window, MainWindowUi *ui, Camera *camera, CameraMotion *motion);
    ~ShowControl() override;

    // `pressed` is false for the end of a held action (the controller's focus, whose
    // number is its speed; the keys hold their motions through the keyboard driver).
    void perform(CameraMotion::Source source, const ShowAction &action, bool pressed);

    bool isDriving() const;
    NoticeWindow *notices() const { return noticeWindow; }
    CameraSelect *cameraSelect() const { return select; }

signals:
    // The preview's latency mode was changed (from the keys); a playing preview restarts.
    void previewLatencyChanged();

private:
    bool refusedWhileDriving(const QString &what);
    void sendOnce(const ViscaCommand &command, const QString &notice);
    void togglePreviewLatency();

    Camera *camera;
    CameraMotion *motion;
    NoticeWindow *noticeWindow;
    KeyMapWindow *keyMap;
    CameraSelect *select;
};

#endif
