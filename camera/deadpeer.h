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

// On an established connection: keepalive and the user timeout.
void watchEstablished(qintptr descriptor);

} // namespace DeadPeer

#endif
