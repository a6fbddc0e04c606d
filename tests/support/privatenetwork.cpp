#include "privatenetwork.h"

#include <QProcess>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
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

} // namespace

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
