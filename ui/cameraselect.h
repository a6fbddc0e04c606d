#ifndef HALVORINE_CAMERASELECT_H
#define HALVORINE_CAMERASELECT_H

#include <QObject>
#include <QString>

class Camera;
class MainWindowUi;

// Switching cameras from the keyboard or a controller: picks a camera of the Saved
// Cameras list (in the list's order, 1 the first) and does what the operator would do
// by hand, through the window's own buttons: Disconnect (whose stops reach the old
// camera before its link closes), select it in the list, Load, Connect. The state is
// the Connect button's text; a link still Connecting or Disconnecting is let finish
// first, so there are never two links, and the last camera asked for is the one
// that ends up connected.
class CameraSelect : public QObject
{
    Q_OBJECT

public:
    CameraSelect(MainWindowUi *ui, Camera *camera, QObject *parent = nullptr);

    // Camera `number` (1 ..) of the list; next and previous go round from the camera
    // linked now (or the one shown in the list).
    void select(int number);
    void next();
    void previous();

    // The camera being switched to, 0 when none.
    int pendingNumber() const { return pending; }

signals:
    // A word for the operator: "Camera 2 · Studio Left", "No saved camera 7".
    void notice(const QString &text);

private:
    void step();
    int currentNumber() const;
    QString addressOf(int number) const;

    MainWindowUi *ui;
    Camera *camera;
    int pending = 0;
};

#endif
