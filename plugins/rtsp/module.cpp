// halvorine_rtsp: an "access_demux" module for rtsp:// media, for libVLC 3
// builds without live555 (Debian's). RTSP/RTP is done by libavformat; the
// elementary streams go to libVLC's own decoders. This file is the module's
// face to libVLC: Open, Demux, Control and Close, none of which lets a C++
// exception out into libVLC's C frames.

#include "control.h"
#include "demux_sys.h"
#include "packet_forwarding.h"
#include "session_start.h"

#include <vlc_common.h>
#include <vlc_demux.h>
#include <vlc_interrupt.h>
#include <vlc_plugin.h>

#include <memory>
#include <new>

namespace {

// Bounds every socket wait: a server that stops answering or sending ends the
// input after about twice this long (measured with libavformat 59). The
// program may set it per media (":halvorine-rtsp-timeout=N"). Stop does not
// wait for it (see RtspConnection).
constexpr const char *kTimeoutOption = "halvorine-rtsp-timeout";
constexpr int kDefaultTimeoutSeconds = 5;

// The low-latency preview's (":halvorine-rtsp-adaptive-delay"): each packet held
// back by a delay that follows the network's jitter (AdaptiveDelay), on top of a
// network-caching that the program then keeps small.
constexpr const char *kAdaptiveDelayOption = "halvorine-rtsp-adaptive-delay";

// libavformat asked to be called again: wait a little, so that a connection
// that keeps answering so does not spin a core, but wake at once on Stop.
constexpr mtime_t kRetryPauseUs = 10 * 1000;

int demuxOne(demux_t *demux)
{
    demux_sys_t &sys = *demux->p_sys;
    if (!sys.clock)
        return startSession(demux, sys);
    const int result = sys.connection.read(sys.packet);
    if (result == AVERROR(EAGAIN)) {
        vlc_msleep_i11e(kRetryPauseUs);
        return VLC_DEMUXER_SUCCESS;
    }
    if (result == AVERROR_EOF || result == AVERROR_EXIT) {
        msg_Dbg(demux, "end of stream: %s", avErrorText(result).c_str());
        return VLC_DEMUXER_EOF;
    }
    if (result < 0) {
        msg_Err(demux, "reading failed: %s", avErrorText(result).c_str());
        return VLC_DEMUXER_EGENERIC;
    }
    forwardPacket(demux, sys, *sys.packet);
    av_packet_unref(sys.packet);
    return VLC_DEMUXER_SUCCESS;
}

int Demux(demux_t *demux)
{
    // No C++ exception may unwind through libVLC's C frames.
    try {
        return demuxOne(demux);
    } catch (...) {
        av_packet_unref(demux->p_sys->packet);
        msg_Err(demux, "reading failed: out of memory");
        return VLC_DEMUXER_EGENERIC;
    }
}

void destroySys(demux_sys_t *sys)
{
    sys->connection.close();
    av_packet_free(&sys->packet);
    delete sys;
}

struct SysDeleter {
    void operator()(demux_sys_t *sys) const { destroySys(sys); }
};
using SysPointer = std::unique_ptr<demux_sys_t, SysDeleter>;

// psz_location is the URL without "rtsp://" (and may carry user:pass@ and a
// port). Nothing goes to the network yet (see startSession).
int prepareSession(demux_t *demux)
{
    SysPointer sys(new demux_sys_t);
    sys->packet = av_packet_alloc();
    if (!sys->packet)
        return VLC_ENOMEM;
    sys->url = std::string("rtsp://") + demux->psz_location;
    sys->timeoutUs = var_InheritInteger(demux, kTimeoutOption) * CLOCK_FREQ;
    if (var_InheritBool(demux, kAdaptiveDelayOption)) {
        sys->delay = std::make_unique<AdaptiveDelay>();
        msg_Dbg(demux, "adaptive delay on top of the network-caching");
    }
    demux->p_sys = sys.release();
    demux->pf_demux = Demux;
    demux->pf_control = controlInput;
    return VLC_SUCCESS;
}

int Open(vlc_object_t *object)
{
    demux_t *demux = reinterpret_cast<demux_t *>(object);
    if (!demux->psz_location || !*demux->psz_location)
        return VLC_EGENERIC;
    try {
        return prepareSession(demux);
    } catch (const std::bad_alloc &) {
        return VLC_ENOMEM;
    } catch (...) {
        return VLC_EGENERIC;
    }
}

void Close(vlc_object_t *object)
{
    demux_t *demux = reinterpret_cast<demux_t *>(object);
    // The ES belong to the es_out, which deletes them after this returns.
    destroySys(demux->p_sys);
}

} // namespace

// Below live555 (which libVLC builds usually bring for rtsp://), so that a
// libVLC with its own RTSP input keeps using it; above 0 so that ours is
// still picked when it is the only one.
vlc_module_begin()
    set_shortname("Halvorine RTSP")
    set_description("RTSP input through libavformat")
    set_category(CAT_INPUT)
    set_subcategory(SUBCAT_INPUT_ACCESS)
    set_capability("access_demux", 1)
    add_shortcut("rtsp")
    set_callbacks(Open, Close)
    add_integer(kTimeoutOption, kDefaultTimeoutSeconds, "RTSP timeout (seconds)",
                "How long to wait for a silent RTSP server before the input ends.", true)
        change_integer_range(1, 600)
    add_bool(kAdaptiveDelayOption, false, "Adaptive delay",
             "Hold packets back just as long as the network's jitter needs, on top of the network-caching.", true)
vlc_module_end()
