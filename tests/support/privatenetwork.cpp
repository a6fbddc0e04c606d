#include "privatenetwork.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <unistd.h>

namespace PrivateNetwork {

namespace {

const QString tableName = QStringLiteral("halvorine_test");

bool bringLoopbackUp(QString *error)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        *error = QStringLiteral("socket: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags |= IFF_UP;
        ok = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    if (!ok)
        *error = QStringLiteral("bringing up lo: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    ::close(fd);
    return ok;
}

// Runs nft with the rules on its standard input.
bool runNft(const QString &rules, QString *error)
{
    QProcess nft;
    nft.start(QStringLiteral("nft"), {QStringLiteral("-f"), QStringLiteral("-")});
    if (!nft.waitForStarted(5000)) {
        *error = QStringLiteral("nft did not start: %1").arg(nft.errorString());
        return false;
    }
    nft.write(rules.toUtf8());
    nft.closeWriteChannel();
    if (!nft.waitForFinished(10000) || nft.exitStatus() != QProcess::NormalExit || nft.exitCode() != 0) {
        *error = QStringLiteral("nft failed: %1").arg(QString::fromLocal8Bit(nft.readAllStandardError()).trimmed());
        return false;
    }
    return true;
}

// On loopback every packet passes the input hook once, whichever way it goes;
// dropping it there leaves the sender none the wiser (a drop at the output hook
// would fail the sender's own call with EPERM instead).
QString tableWith(const QString &rules)
{
    return QStringLiteral("table ip %1 {\n"
                          "  chain incoming {\n"
                          "    type filter hook input priority 0; policy accept;\n"
                          "%2"
                          "  }\n"
                          "}\n")
        .arg(tableName, rules);
}

QString errnoText(const char *call)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(call), QString::fromLocal8Bit(std::strerror(errno)));
}

// Puts a file with `content` over `target`, for this mount namespace only. The
// mount holds the file open, so it is unlinked at once.
QString overlayFile(const char *target, const QByteArray &content)
{
    char source[] = "/tmp/halvorine-overlay-XXXXXX";
    const int fd = ::mkstemp(source);
    if (fd < 0)
        return errnoText("mkstemp");
    const bool written = ::write(fd, content.constData(), content.size()) == content.size();
    ::close(fd);
    const bool mounted = written && ::mount(source, target, nullptr, MS_BIND, nullptr) == 0;
    const QString error = written ? errnoText("bind mount") : errnoText("write");
    ::unlink(source);
    return mounted ? QString() : error;
}

} // namespace

QString enterWithNames(const QString &nameServer, const QString &hostsLines)
{
    if (::geteuid() != 0)
        return QStringLiteral("private network and mount namespaces need root");
    if (::unshare(CLONE_NEWNET | CLONE_NEWNS) != 0)
        return errnoText("unshare(CLONE_NEWNET | CLONE_NEWNS)");
    // Else the bind mounts below would propagate to the machine's namespace.
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return errnoText("making / private");
    QString error;
    if (!bringLoopbackUp(&error))
        return error;
    // Long tries: a query to a silent server holds getaddrinfo() for a minute.
    error = overlayFile("/etc/resolv.conf",
                        QStringLiteral("nameserver %1\noptions timeout:30 attempts:2\n").arg(nameServer).toUtf8());
    if (!error.isEmpty())
        return error;
    QFile hosts(QStringLiteral("/etc/hosts"));
    const QByteArray machineHosts = hosts.open(QIODevice::ReadOnly) ? hosts.readAll() : QByteArray();
    return overlayFile("/etc/hosts", hostsLines.toUtf8() + '\n' + machineHosts);
}

QString enter()
{
    if (::geteuid() != 0)
        return QStringLiteral("a private network namespace and nftables need root");
    if (QStandardPaths::findExecutable(QStringLiteral("nft")).isEmpty())
        return QStringLiteral("nft (Debian's nftables) is not installed");
    if (::unshare(CLONE_NEWNET) != 0)
        return QStringLiteral("unshare(CLONE_NEWNET): %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    QString error;
    if (!bringLoopbackUp(&error))
        return error;
    if (!runNft(tableWith(QString()), &error))
        return error;
    return QString();
}

bool dropAddress(const QString &address, QString *error)
{
    const QString rules = QStringLiteral("    ip saddr %1 drop\n    ip daddr %1 drop\n").arg(address);
    return runNft(QStringLiteral("flush table ip %1\n").arg(tableName) + tableWith(rules), error);
}

bool restore(QString *error)
{
    return runNft(QStringLiteral("flush table ip %1\n").arg(tableName) + tableWith(QString()), error);
}

} // namespace PrivateNetwork
