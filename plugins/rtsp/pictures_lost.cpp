#include "pictures_lost.h"

#include <vlc_input.h>
#include <vlc_input_item.h>

int64_t picturesLost(demux_t *demux)
{
    if (!demux->p_input)
        return -1;
    input_item_t *item = input_GetItem(demux->p_input);
    if (!item)
        return -1;
    int64_t lost = -1;
    // The locks libvlc_media_get_stats() takes, in its order.
    vlc_mutex_lock(&item->lock);
    if (item->p_stats) {
        vlc_mutex_lock(&item->p_stats->lock);
        lost = item->p_stats->i_lost_pictures;
        vlc_mutex_unlock(&item->p_stats->lock);
    }
    vlc_mutex_unlock(&item->lock);
    return lost;
}
