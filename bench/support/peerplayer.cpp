#include "peerplayer.h"

#include "remotedriver.h"

#include <X11/Xlib.h>

#include <QDeadlineTimer>
#include <QFile>

namespace {

struct XConnection
{
    Display *display = XOpenDisplay(nullptr);
    ~XConnection()
    {
        if (display)
            XCloseDisplay(display);
    }
};

} // namespace

PeerPlayer::PeerPlayer(const QString &name, const QString &program, const QStringList &arguments,
                       const QProcessEnvironment &environment)
    : label(name)
    , program(program)
    , arguments(arguments)
{
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(QProcess::nullDevice());
}

PeerPlayer::~PeerPlayer()
{
    stop();
}

std::set<unsigned long> PeerPlayer::topLevelWindows() const
{
    std::set<unsigned long> windows;
    XConnection x;
    if (!x.display)
        return windows;
    Window root = 0, parent = 0;
    Window *children = nullptr;
    unsigned count = 0;
    if (XQueryTree(x.display, DefaultRootWindow(x.display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i) {
            XWindowAttributes attributes {};
            if (XGetWindowAttributes(x.display, children[i], &attributes) && attributes.map_state == IsViewable
                && attributes.width >= 160 && attributes.height >= 90)
                windows.insert(children[i]);
        }
        XFree(children);
    }
    return windows;
}

bool PeerPlayer::start(QString &error, int timeoutMs)
{
    const std::set<unsigned long> before = topLevelWindows();
    process.start(program, arguments);
    if (!process.waitForStarted(5000)) {
        error = label + QStringLiteral(": ") + process.errorString();
        return false;
    }
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        for (unsigned long window : topLevelWindows()) {
            if (!before.count(window)) {
                playerWindow = window;
                return true;
            }
        }
        if (process.state() != QProcess::Running) {
            error = label + QStringLiteral(" ended before it showed a window");
            return false;
        }
        RemoteDriver::settle(50);
    }
    error = label + QStringLiteral(" showed no window");
    return false;
}

void PeerPlayer::stop()
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000))
        process.kill();
    process.waitForFinished(2000);
}

CvlcHome::CvlcHome()
{
    QFile::setPermissions(home.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther);
}

PlayerCommand CvlcHome::command(const QString &name, const QStringList &options, const QString &url,
                                const QString &pluginFolder) const
{
    PlayerCommand command;
    command.name = name;
    command.program = QStringLiteral("setpriv");
    command.arguments = QStringList{"--reuid=nobody", "--regid=nogroup", "--clear-groups", "cvlc"} + options
        + QStringList{url};
    command.environment.insert(QStringLiteral("VLC_PLUGIN_PATH"), pluginFolder);
    command.environment.insert(QStringLiteral("HOME"), home.path());
    return command;
}
