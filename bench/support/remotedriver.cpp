#include "remotedriver.h"

#include "recordingpeer.h"

#include "app/platform.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

namespace {

void sendMouse(QAbstractButton *button, QEvent::Type type)
{
    const QPointF local = QRectF(button->rect()).center();
    const QPointF global = button->mapToGlobal(local.toPoint());
    const QPointF inWindow = button->window()->mapFromGlobal(global.toPoint());
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, local, inWindow, global, Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(button, &event);
}

} // namespace

void prepareLikeTheProgram(int argc, char **argv)
{
    Platform::setPluginPath(argc, argv);
    Platform::preferNativeWindowPlatform(argc, argv);
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
#endif
    QGuiApplication::setDesktopSettingsAware(true);
    QCoreApplication::setApplicationName(QStringLiteral("halvorine-remote"));
}

RemoteDriver::RemoteDriver()
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (auto *main = qobject_cast<QMainWindow *>(top))
            mainWindow = main;
    }
}

bool RemoteDriver::showAndWaitUntilExposed(int timeoutMs)
{
    mainWindow->show();
    return runUntil([&] { return mainWindow->windowHandle() && mainWindow->windowHandle()->isExposed(); },
                    timeoutMs);
}

void RemoteDriver::press(QAbstractButton *button)
{
    sendMouse(button, QEvent::MouseButtonPress);
}

void RemoteDriver::release(QAbstractButton *button)
{
    sendMouse(button, QEvent::MouseButtonRelease);
}

void RemoteDriver::click(QAbstractButton *button)
{
    press(button);
    release(button);
}

bool RemoteDriver::connectTo(const QString &address, const RecordingPeer &peer, int timeoutMs)
{
    widget<QLineEdit>("ipEdit")->setText(address);
    auto *connectButton = widget<QAbstractButton>("connectBtn");
    click(connectButton);
    return runUntil([&] { return connectButton->text() == QLatin1String("Disconnect") && peer.hasClient(); },
                    timeoutMs);
}

QString RemoteDriver::connectToStartedPeer(RecordingPeer &peer, const QString &address, int timeoutMs)
{
    std::string error;
    if (!peer.start(error))
        return QStringLiteral("peer: ") + QString::fromStdString(error);
    peer.setArrivalHook(eventLoopWaker());
    if (!connectTo(address, peer, timeoutMs))
        return QStringLiteral("the remote did not connect to its peer");
    return QString();
}

bool RemoteDriver::runUntil(const std::function<bool()> &done, int timeoutMs)
{
    // A slow tick only so that the time-out is seen when nothing else happens. It runs
    // for the whole process rather than being set up per wait, which would put the
    // bench's own timer registration inside the measured interval.
    static QTimer *watchdog = nullptr;
    if (!watchdog) {
        watchdog = new QTimer(QCoreApplication::instance());
        watchdog->start(100);
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

bool RemoteDriver::pollUntil(const std::function<bool()> &done, int intervalMs, int timeoutMs)
{
    QTimer tick;
    tick.start(intervalMs);
    return runUntil(done, timeoutMs);
}

std::function<void()> RemoteDriver::eventLoopWaker()
{
    QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread());
    return [dispatcher] { dispatcher->wakeUp(); };
}

void RemoteDriver::settle(int milliseconds)
{
    const QDeadlineTimer deadline(milliseconds);
    QTimer tick;
    tick.start(10);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}
