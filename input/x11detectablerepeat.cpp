#include "input/x11detectablerepeat.h"

#include <QGuiApplication>

#if defined(HALVORINE_HAVE_XCB_XKB)
#include <cstdlib>
#include <xcb/xcb.h>
// xkb.h names a structure field "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QX11Info>
#endif
#endif

namespace X11 {

#if defined(HALVORINE_HAVE_XCB_XKB)
namespace {

xcb_connection_t *qtConnection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    return QX11Info::connection();
#else
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
#endif
}

} // namespace
#endif

bool enableDetectableAutoRepeat()
{
#if defined(HALVORINE_HAVE_XCB_XKB)
    xcb_connection_t *connection = qtConnection();
    if (!connection)
        return false;
    // Qt's xcb plugin has already made XKB's UseExtension request on this connection,
    // which XKB wants first; without XKB the reply is an error, and we report false.
    // PerClientFlags changes only the flags named in `change`: Qt's own (grabs use
    // the XKB state, lookups while grabbed) stay as they are. One round trip, at start.
    const uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t *reply = xcb_xkb_per_client_flags_reply(
        connection, xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0), nullptr);
    const bool enabled = reply && (reply->value & flag);
    std::free(reply);
    return enabled;
#else
    return false;
#endif
}

} // namespace X11
