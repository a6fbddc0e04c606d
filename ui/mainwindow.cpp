#include "ui/mainwindow.h"

#include "app/corvanta.h"
#include "app/showmessage.h"
#include "camera/camera.h"
#include "camera/cameramotion.h"
#include "camera/viscadrive.h"
#ifndef HALVORINE_WITHOUT_INPUT
#include "input/gamepadinput.h"
#include "input/keyboarddriver.h"
#include "ui/noticewindow.h"
#include "ui/showcontrol.h"
#endif
#include "settings/appsettings.h"
#include "ui/mainwindowui.h"
#include "ui/previewdlg.h"

#include <QComboBox>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString connectText = QStringLiteral("Connect");
const QString connectingText = QStringLiteral("Connecting");
const QString disconnectText = QStringLiteral("Disconnect");
const QString disconnectingText = QStringLiteral("Disconnecting");
const QString toggleOnIcon = QStringLiteral(":/assets/img/toggle-on.png");
const QString toggleOffIcon = QStringLiteral(":/assets/img/toggle-off.png");
} // namespace

// One icon object per light: every new QIcon made from the file has a cache key of
// its own, so each state change would leave another copy of the drawn light in Qt's
// pixmap cache.
MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , lightOn(toggleOnIcon)
    , lightOff(toggleOffIcon)
{
    ui = new MainWindowUi();
    ui->setupUi(this);
    // Creating the dialog creates the libVLC instance, and may already report a failure.
    previewDialog = new PreviewDlg(this);
    camera = new Camera(QStringLiteral("0.0.0.0"));
    motion = new CameraMotion(camera);
    startInput();
    connectSignals();
    refillCameraList();
}

// The keyboard and game controllers. The start-up bench builds the program once
// without them (HALVORINE_WITHOUT_INPUT) to measure what they add to start-up.
void MainWindow::startInput()
{
#ifdef HALVORINE_WITHOUT_INPUT
    keyboard = nullptr;
    gamepad = nullptr;
    showControl = nullptr;
#else
    showControl = new ShowControl(this, ui, camera, motion);
    keyboard = new KeyboardDriver(motion);
    keyboard->watchWindow(this);
    keyboard->watchWindow(previewDialog);
    // Where arrow keys edit text or step through the list, they keep doing so.
    keyboard->keepKeysFor(ui->ipEdit);
    keyboard->keepKeysFor(ui->camNameEdit);
    keyboard->keepKeysFor(ui->ipCombo);
    // Controllers only once the window is up, off the start-up path; no controller
    // can drive before the operator connects anyway.
    gamepad = new GamepadInput(camera, motion);
    connect(keyboard, &KeyboardDriver::requested, showControl,
            [this](const ShowAction &action) { showControl->perform(CameraMotion::Keyboard, action, true); });
    connect(gamepad->show(), &ControllerShow::action, showControl, [this](const ShowAction &action, bool pressed) {
        showControl->perform(CameraMotion::Controller, action, pressed);
    });
    connect(gamepad->show(), &ControllerShow::refused, showControl->notices(), &NoticeWindow::notify);
    connect(showControl, &ShowControl::previewLatencyChanged, this, [this] {
        if (previewDialog->isPlaying())
            previewDialog->playStream();
    });
    QTimer::singleShot(GamepadInput::startDelayMs, gamepad, [this] { gamepad->start(); });
#endif
}

MainWindow::~MainWindow()
{
#ifndef HALVORINE_WITHOUT_INPUT
    delete keyboard;
    keyboard = nullptr;
#endif
    // A camera left moving would run on to its end stop: whatever input started a
    // motion, its stop goes out before the link closes, and the controllers find
    // nothing left to stop when they go.
    motion->stopBeforeClosing();
#ifndef HALVORINE_WITHOUT_INPUT
    delete gamepad;
    gamepad = nullptr;
    delete showControl;
    showControl = nullptr;
#endif
    delete motion;
    motion = nullptr;
    // Then the link: closing its socket may emit cameraDisconnected, whose slot
    // still needs the Connect button and the preview dialog.
    delete camera;
    camera = nullptr;
    delete previewDialog;
    previewDialog = nullptr;
    delete ui;
}

void MainWindow::connectSignals()
{
    connect(ui->connectBtn, SIGNAL(clicked(bool)), this, SLOT(connectCamera()));
    connect(ui->saveBtn, SIGNAL(clicked(bool)), this, SLOT(saveIpAddr()));
    connect(ui->previewBtn, SIGNAL(clicked(bool)), this, SLOT(preview()));
    connect(ui->removeBtn, SIGNAL(clicked(bool)), this, SLOT(removeIpAddr()));
    connect(ui->upBtn, SIGNAL(pressed()), this, SLOT(moveUp()));
    connect(ui->downBtn, SIGNAL(pressed()), this, SLOT(moveDown()));
    connect(ui->leftBtn, SIGNAL(pressed()), this, SLOT(moveLeft()));
    connect(ui->rightBtn, SIGNAL(pressed()), this, SLOT(moveRight()));
    connect(ui->upBtn, SIGNAL(released()), this, SLOT(moveStop()));
    connect(ui->downBtn, SIGNAL(released()), this, SLOT(moveStop()));
    connect(ui->leftBtn, SIGNAL(released()), this, SLOT(moveStop()));
    connect(ui->rightBtn, SIGNAL(released()), this, SLOT(moveStop()));
    connect(ui->osdBtn, SIGNAL(clicked(bool)), this, SLOT(osd()));
    connect(ui->enterBtn, SIGNAL(clicked(bool)), this, SLOT(osdEnter()));
    connect(ui->backBtn, SIGNAL(clicked(bool)), this, SLOT(osdBack()));
    connect(camera, SIGNAL(cameraConnected()), this, SLOT(cameraConnected()));
    connect(camera, SIGNAL(cameraDisconnected()), this, SLOT(cameraDisconnected()));
    connect(camera, SIGNAL(cameraError()), this, SLOT(cameraError()));
    connect(ui->loadBtn, SIGNAL(clicked(bool)), this, SLOT(loadCamera()));
}

AppSettings *MainWindow::store()
{
    Corvanta *app = Corvanta::instance();
    return app ? app->appSettings() : nullptr;
}

// Appends the store's names; callers clear the list first where needed.
void MainWindow::refillCameraList()
{
    if (AppSettings *settings = store()) {
        const QStringList names = settings->names();
        for (const QString &name : names)
            ui->ipCombo->insertItem(ui->ipCombo->count(), name);
    }
}

void MainWindow::connectCamera()
{
    const QString state = ui->connectBtn->text();
    if (state == connectText) {
        ui->connectBtn->setText(connectingText);
        motion->connectTo(ui->ipEdit->text());
    } else if (state == disconnectText) {
        ui->connectBtn->setText(disconnectingText);
        // Whatever still moves is stopped before the link closes.
        motion->disconnectFromCamera();
    }
    // "Connecting" and "Disconnecting" wait for the link to settle.
}

void MainWindow::saveIpAddr()
{
    AppSettings *settings = store();
    if (!settings)
        return;
    const QString address = ui->ipEdit->text();
    if (settings->contains(address))
        return;
    settings->save(address, ui->camNameEdit->text());
    ui->ipCombo->clear();
    refillCameraList();
}

void MainWindow::preview()
{
    previewDialog->show();
    if (camera->isOpen())
        startPreviewStream();
}

// Starts the stream of the linked camera; the second call replaces the stream that
// the first one opened.
void MainWindow::startPreviewStream()
{
    previewDialog->setAddressAndPlay(camera->ipAddr());
    previewDialog->playStream();
}

void MainWindow::removeIpAddr()
{
    if (AppSettings *settings = store())
        settings->remove(ui->ipCombo->currentText());
    ui->ipCombo->removeItem(ui->ipCombo->currentIndex());
}

void MainWindow::moveUp() { driveOnScreen(ViscaDrive::Arrow::Up); }
void MainWindow::moveDown() { driveOnScreen(ViscaDrive::Arrow::Down); }
void MainWindow::moveLeft() { driveOnScreen(ViscaDrive::Arrow::Left); }
void MainWindow::moveRight() { driveOnScreen(ViscaDrive::Arrow::Right); }

void MainWindow::driveOnScreen(ViscaDrive::Arrow arrow)
{
    motion->hold(CameraMotion::OnScreen, CameraMotion::Axis::PanTilt, ViscaDrive::arrowDrive(arrow));
}

void MainWindow::moveStop()
{
    motion->letGo(CameraMotion::OnScreen, CameraMotion::Axis::PanTilt);
}

void MainWindow::osd() { camera->sendOsd(); }
void MainWindow::osdEnter() { camera->sendOsdEnter(); }
void MainWindow::osdBack() { camera->sendOsdBack(); }

void MainWindow::cameraConnected()
{
    ui->connectBtn->setIcon(lightOn);
    ui->connectBtn->setText(disconnectText);
    if (previewDialog->isVisible())
        startPreviewStream();
}

void MainWindow::cameraDisconnected()
{
    ui->connectBtn->setIcon(lightOff);
    ui->connectBtn->setText(connectText);
    if (previewDialog->isVisible())
        previewDialog->stopStream();
}

void MainWindow::cameraError()
{
    const QString state = ui->connectBtn->text();
    if (state == connectingText)
        ui->connectBtn->setText(connectText);
    else if (state == disconnectingText)
        ui->connectBtn->setText(disconnectText);
    showMessage(QStringLiteral("Camera Connection Error!"));
}

void MainWindow::loadCamera()
{
    const QString name = ui->ipCombo->currentText();
    if (AppSettings *settings = store())
        ui->ipEdit->setText(settings->addressOf(name));
    ui->camNameEdit->setText(name);
}
