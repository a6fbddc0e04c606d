#include "control.h"

int controlInput(demux_t *demux, int query, va_list args)
{
    switch (query) {
    case DEMUX_CAN_SEEK:
    case DEMUX_CAN_PAUSE:
    case DEMUX_CAN_CONTROL_PACE:
        // A live camera: the server sets the pace, libVLC follows the PCR.
        *va_arg(args, bool *) = false;
        return VLC_SUCCESS;
    case DEMUX_GET_PTS_DELAY: {
        // The media's network-caching: libVLC shows the first picture at once,
        // then buffers this long before it plays on, each frame this long
        // after its PCR.
        const int64_t cachingMs = var_InheritInteger(demux, "network-caching");
        *va_arg(args, int64_t *) = cachingMs * 1000;
        msg_Dbg(demux, "network-caching %lld ms", static_cast<long long>(cachingMs));
        return VLC_SUCCESS;
    }
    default:
        return VLC_EGENERIC;
    }
}
