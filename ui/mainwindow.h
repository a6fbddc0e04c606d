#ifndef HALVORINE_MAINWINDOW_H
#define HALVORINE_MAINWINDOW_H

#include <QIcon>
#include <QMainWindow>

class AppSettings;
class Camera;
class GamepadInput;
class KeyboardDriver;
class MainWindowUi;
class MotionGuard;
class PreviewDlg;

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
    void connectSignals();
    void refillCameraList();
    void startPreviewStream();
    static AppSettings *store();

    MainWindowUi *ui;
    PreviewDlg *previewDialog;
    Camera *camera;
    const QIcon lightOn;
    const QIcon lightOff;
    // The stop for whatever still moves when its input goes away, and the keyboard
    // and game controllers as more inputs; all live and die with the link they drive.
    MotionGuard *motionGuard;
    KeyboardDriver *keyboard;
    GamepadInput *gamepad;
};

#endif
