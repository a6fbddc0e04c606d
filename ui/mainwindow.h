#ifndef HALVORINE_MAINWINDOW_H
#define HALVORINE_MAINWINDOW_H

#include <QIcon>
#include <QMainWindow>

#include "camera/viscadrive.h"

class AppSettings;
class Camera;
class CameraMotion;
class GamepadInput;
class KeyboardDriver;
class MainWindowUi;
class PreviewDlg;
class ShowControl;

// The operator's window: turns button presses into camera commands, keeps the
// Connect button in step with the camera link, and the camera list with the store.
// The connection state is the Connect button's text: "Connect", "Connecting",
// "Disconnect" or "Disconnecting".
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private slots:
    void connectCamera();
    void saveIpAddr();
    void preview();
    void removeIpAddr();
    void moveUp();
    void moveDown();
    void moveLeft();
    void moveRight();
    void moveStop();
    void osd();
    void osdEnter();
    void osdBack();
    void cameraConnected();
    void cameraDisconnected();
    void cameraError();
    void loadCamera();

private:
    void startInput();
    void driveOnScreen(ViscaDrive::Arrow arrow);
    void connectSignals();
    void refillCameraList();
    void startPreviewStream();
    static AppSettings *store();

    MainWindowUi *ui;
    PreviewDlg *previewDialog;
    Camera *camera;
    const QIcon lightOn;
    const QIcon lightOff;
    // The one writer of motion to the link, and the keyboard and game controllers as
    // more inputs beside the arrows; all live and die with the link they drive.
    CameraMotion *motion;
    KeyboardDriver *keyboard;
    GamepadInput *gamepad;
    // Presets, home, focus, camera select and the notices, for both.
    ShowControl *showControl;
};

#endif
