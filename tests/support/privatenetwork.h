#ifndef HALVORINE_PRIVATENETWORK_H
#define HALVORINE_PRIVATENETWORK_H

#include <QString>

// A network namespace of the test process's own, with its loopback up, in which
// nftables can make an address vanish: its packets are dropped as they arrive,
// with no reset and no ICMP, as when a camera loses its cable or its power.
// Needs root (or CAP_NET_ADMIN and CAP_SYS_ADMIN) and the nft program.
namespace PrivateNetwork {

// Moves the calling process (and every child it starts later) into a new network
// namespace. Call it first thing in main(), before any thread or socket exists.
// Returns an empty string on success, else why it is not available.
QString enter();

// Like enter(), without nftables, and in a mount namespace of its own as well, in
// which /etc/resolv.conf names `nameServer` alone and /etc/hosts holds `hostsLines`
// (the test's own names first, then the machine's). Call it first thing in main().
QString enterWithNames(const QString &nameServer, const QString &hostsLines);

// Drops every packet to or from the address, in both directions.
bool dropAddress(const QString &address, QString *error);
// Lets every packet through again.
bool restore(QString *error);

} // namespace PrivateNetwork

#endif
