#include "ui/cameraselect.h"

#include "app/corvanta.h"
#include "camera/camera.h"
#include "settings/appsettings.h"
#include "ui/mainwindowui.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace {
const QString connectText = QStringLiteral("Connect");
const QString disconnectText = QStringLiteral("Disconnect");
} // namespace

CameraSelect::CameraSelect(MainWindowUi *ui, Camera *camera, QObject *parent)
    : QObject(parent)
    , ui(ui)
    , camera(camera)
{
    // After the window's own slots have set the button's text for the new state.
    for (auto signal : {&Camera::cameraConnected, &Camera::cameraDisconnected, &Camera::cameraError})
        connect(camera, signal, this, &CameraSelect::step, Qt::QueuedConnection);
}

QString CameraSelect::addressOf(int number) const
{
    const Corvanta *app = Corvanta::instance();
    if (!app || !app->appSettings() || number < 1 || number > ui->ipCombo->count())
        return {};
    return app->appSettings()->addressOf(ui->ipCombo->itemText(number - 1));
}

void CameraSelect::select(int number)
{
    const QString address = addressOf(number);
    if (address.isEmpty()) {
        emit notice(QStringLiteral("No saved camera %1").arg(number));
        return;
    }
    emit notice(QStringLiteral("Camera %1 \u00B7 %2").arg(number).arg(ui->ipCombo->itemText(number - 1)));
    // Already linked to it (or on the way, with nothing else asked since): nothing to do.
    const QString state = ui->connectBtn->text();
    if (state != connectText && camera->ipAddr() == address && (pending == 0 || pending == number)) {
        pending = 0;
        return;
    }
    pending = number;
    step();
}

void CameraSelect::step()
{
    if (!pending)
        return;
    const QString state = ui->connectBtn->text();
    if (state == disconnectText) {
        if (camera->ipAddr() == addressOf(pending)) {
            pending = 0; // a switch back to the camera that was still linked
            return;
        }
        ui->connectBtn->click();
        return;
    }
    if (state != connectText)
        return; // Connecting or Disconnecting: this runs again when it settles
    const int number = pending;
    pending = 0;
    ui->ipCombo->setCurrentIndex(number - 1);
    ui->loadBtn->click();
    ui->connectBtn->click();
}

int CameraSelect::currentNumber() const
{
    if (ui->connectBtn->text() != connectText) {
        for (int number = 1; number <= ui->ipCombo->count(); ++number)
            if (addressOf(number) == camera->ipAddr())
                return number;
    }
    return ui->ipCombo->currentIndex() + 1;
}

void CameraSelect::next()
{
    const int count = ui->ipCombo->count();
    if (count == 0) {
        emit notice(QStringLiteral("No saved cameras"));
        return;
    }
    select(pending ? pending % count + 1 : currentNumber() % count + 1);
}

void CameraSelect::previous()
{
    const int count = ui->ipCombo->count();
    if (count == 0) {
        emit notice(QStringLiteral("No saved cameras"));
        return;
    }
    const int from = pending ? pending : qMax(1, currentNumber());
    select((from + count - 2) % count + 1);
}
