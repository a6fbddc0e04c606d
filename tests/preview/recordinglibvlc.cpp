#include "recordinglibvlc.h"

#include <QSet>
#include <QString>
#include <cstdint>

#include <vlc/vlc.h>

// Opaque in the real library; here only their addresses matter.
struct libvlc_instance_t
{
    int unused;
};
struct libvlc_media_t
{
    int unused;
};
struct libvlc_media_player_t
{
    int unused;
};

namespace RecordingLibVlc {

namespace {
Behaviour currentBehaviour;
QStringList recorded;
int mediaCount = 0;
int playerCount = 0;
int instanceCount = 0;
int badReleaseCount = 0;
QSet<const void *> liveHandles;

template<typename Handle> Handle *created(Handle *handle)
{
    liveHandles.insert(handle);
    return handle;
}

// Counts a release of something never created, or released already: the
// counters alone would let a double release make up for a leak.
bool released(const void *handle)
{
    if (liveHandles.remove(handle))
        return true;
    ++badReleaseCount;
    return false;
}
} // namespace

Behaviour &behaviour() { return currentBehaviour; }
QStringList &calls() { return recorded; }
int liveMedia() { return mediaCount; }
int livePlayers() { return playerCount; }
int liveInstances() { return instanceCount; }
int badReleases() { return badReleaseCount; }

void reset()
{
    currentBehaviour = Behaviour();
    recorded.clear();
    badReleaseCount = 0;
}

} // namespace RecordingLibVlc

using namespace RecordingLibVlc;

extern "C" {

libvlc_instance_t *libvlc_new(int argc, const char *const *argv)
{
    recorded << QStringLiteral("new(%1,%2)").arg(argc).arg(argv ? "args" : "null");
    if (currentBehaviour.failInstance)
        return nullptr;
    ++instanceCount;
    return created(new libvlc_instance_t());
}

void libvlc_release(libvlc_instance_t *instance)
{
    recorded << QStringLiteral("release");
    if (!released(instance))
        return;
    --instanceCount;
    delete instance;
}

libvlc_media_t *libvlc_media_new_location(libvlc_instance_t *instance, const char *location)
{
    recorded << QStringLiteral("media_new_location(%1)").arg(QString::fromUtf8(location));
    if (!instance || currentBehaviour.failMedia)
        return nullptr;
    ++mediaCount;
    return created(new libvlc_media_t());
}

void libvlc_media_add_option(libvlc_media_t *, const char *option)
{
    recorded << QStringLiteral("media_add_option(%1)").arg(QString::fromUtf8(option));
}

void libvlc_media_release(libvlc_media_t *media)
{
    recorded << QStringLiteral("media_release");
    if (!released(media))
        return;
    --mediaCount;
    delete media;
}

libvlc_media_player_t *libvlc_media_player_new_from_media(libvlc_media_t *)
{
    recorded << QStringLiteral("player_new_from_media");
    if (currentBehaviour.failPlayer)
        return nullptr;
    ++playerCount;
    return created(new libvlc_media_player_t());
}

void libvlc_media_player_release(libvlc_media_player_t *player)
{
    recorded << QStringLiteral("player_release");
    if (!released(player))
        return;
    --playerCount;
    delete player;
}

void libvlc_media_player_stop(libvlc_media_player_t *)
{
    recorded << QStringLiteral("player_stop");
}

int libvlc_media_player_play(libvlc_media_player_t *)
{
    recorded << QStringLiteral("player_play");
    return currentBehaviour.playResult;
}

// Only the benches ask what a player has shown; nothing plays here.
libvlc_media_t *libvlc_media_player_get_media(libvlc_media_player_t *)
{
    return nullptr;
}

int libvlc_media_get_stats(libvlc_media_t *, libvlc_media_stats_t *)
{
    return 0;
}

int libvlc_audio_set_volume(libvlc_media_player_t *, int volume)
{
    recorded << QStringLiteral("audio_set_volume(%1)").arg(volume);
    return 0;
}

void libvlc_media_player_set_xwindow(libvlc_media_player_t *, uint32_t drawable)
{
    recorded << QStringLiteral("player_set_xwindow(%1)").arg(drawable ? "window" : "none");
}

} // extern "C"
