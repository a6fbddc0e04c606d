#include "input/autorepeatmarker.h"

#include "input/x11detectablerepeat.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>

AutoRepeatMarker::AutoRepeatMarker(QObject *parent)
    : QObject(parent)
{
    active = X11::enableDetectableAutoRepeat();
    if (!active)
        return;
    qApp->installEventFilter(this);
    // A key let go while another program had the focus sends its release there; the
    // next press here is a new one.
    connect(qApp, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
        if (state != Qt::ApplicationActive)
            down.clear();
    });
}

AutoRepeatMarker::~AutoRepeatMarker()
{
    if (active)
        qApp->removeEventFilter(this);
}

bool AutoRepeatMarker::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    // Each key event from the window system reaches its native window first, and
    // only then the widgets: look at it once, there.
    if ((type != QEvent::KeyPress && type != QEvent::KeyRelease) || !watched->isWindowType())
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const quint32 code = key->nativeScanCode();
    if (code == 0 || key->isAutoRepeat())
        return false;
    if (type == QEvent::KeyRelease) {
        down.remove(code);
        return false;
    }
    if (!down.contains(code)) {
        down.insert(code);
        return false;
    }
    QKeyEvent repeat(QEvent::KeyPress, key->key(), key->modifiers(), key->nativeScanCode(),
                     key->nativeVirtualKey(), key->nativeModifiers(), key->text(), true, key->count());
    repeat.setTimestamp(key->timestamp());
    QCoreApplication::sendEvent(watched, &repeat);
    key->setAccepted(repeat.isAccepted());
    return true;
}
