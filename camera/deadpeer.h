#ifndef HALVORINE_DEADPEER_H
#define HALVORINE_DEADPEER_H

#include <QtGlobal>

// A camera that loses power or its cable sends neither a reset nor a FIN: without
// help the operating system keeps such a connection for as long as nothing is
// written (for ever) and retransmits a write for some 15 minutes. The link never
// sends anything of its own into the VISCA stream, so these limits are asked of
// the transport alone; its errors reach the link through the socket's usual error
// signal.
namespace DeadPeer {

// Idle link: the first keepalive probe after 5 s of silence, then one every 2 s;
// 3 unanswered probes end the connection (5 + 3 x 2 = 11 s at most, sooner on
// Linux where the user timeout below ends it at the second unanswered probe).
constexpr int keepAliveIdleSeconds = 5;
constexpr int keepAliveIntervalSeconds = 2;
constexpr int keepAliveProbeCount = 3;
// Written data that the camera has not acknowledged after this long ends the
// connection: a press into a dead link is reported within a few seconds.
constexpr int unacknowledgedLimitMilliseconds = 3000;
// Connection attempt to an address where nothing answers: two SYN
// retransmissions after the first, 1 and 3 s after it, so the kernel gives up on
// an attempt after about 7 s instead of about 127 s. Qt (5.15 and 6) takes that
// ETIMEDOUT from connect() for "still connecting" and connects again on the same
// socket, until its own limit of 30 s per attempt (two attempts per address) ends
// it; within that time the camera is asked again every 7 s, so one that comes up
// meanwhile is reached within a few seconds rather than after the kernel's 16 s
// backoff. Windows gives up after about 21 s of its own accord.
constexpr int connectRetransmissions = 2;

// On an established connection: keepalive and the user timeout.
void watchEstablished(qintptr descriptor);
// On a connection that is still being made: bounds the number of SYN retries.
void limitConnectAttempt(qintptr descriptor);

} // namespace DeadPeer

#endif
