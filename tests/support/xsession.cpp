#include "xsession.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QRegularExpression>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace XSession {

QByteArray xdotool(const QStringList &arguments, int timeoutMs)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(1000);
        return QByteArray();
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    QByteArray out = process.readAllStandardOutput();
    return out.isNull() ? QByteArray("") : out;
}

unsigned long waitForWindow(const QString &title, int timeoutMs)
{
    const QString pattern = QLatin1Char('^') + QRegularExpression::escape(title) + QLatin1Char('$');
    const QByteArray out = xdotool({"search", "--sync", "--onlyvisible", "--name", pattern}, timeoutMs);
    return out.trimmed().split('\n').value(0).toULong();
}

bool requestClose(unsigned long window)
{
    Display *display = XOpenDisplay(nullptr);
    if (!display)
        return false;
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
    XCloseDisplay(display);
    return sent != 0;
}

QString windowTitle(unsigned long window)
{
    return QString::fromUtf8(xdotool({"getwindowname", QString::number(window)}).trimmed());
}

} // namespace XSession
