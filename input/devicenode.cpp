#include "input/devicenode.h"

#include <QFile>
#include <QSocketNotifier>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#endif

DeviceNode::DeviceNode(QObject *parent)
    : QObject(parent)
{
}

DeviceNode::~DeviceNode()
{
    close();
}

bool DeviceNode::open(const QString &path)
{
    close();
#ifdef Q_OS_LINUX
    fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(notifier, &QSocketNotifier::activated, this, &DeviceNode::readable);
    return true;
#else
    Q_UNUSED(path);
    return false;
#endif
}

void DeviceNode::setWatching(bool on)
{
    if (notifier)
        notifier->setEnabled(on);
}

bool DeviceNode::takeNews()
{
#ifdef Q_OS_LINUX
    bool any = false;
    // An input node hands out whole events (24 bytes each) and refuses smaller reads.
    char buffer[1024];
    while (fd >= 0) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            any = true;
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            // EAGAIN: emptied. Anything else (ENODEV once unplugged, or an end) means
            // the node is gone, and a notifier left on it would fire without end.
            if (got == 0 || errno != EAGAIN) {
                close();
                any = true;
            }
            break;
        }
    }
    return any;
#else
    return false;
#endif
}

void DeviceNode::close()
{
    delete notifier;
    notifier = nullptr;
#ifdef Q_OS_LINUX
    if (fd >= 0)
        ::close(fd);
#endif
    fd = -1;
}
