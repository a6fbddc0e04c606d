#ifndef HALVORINE_RECORDINGLIBVLC_H
#define HALVORINE_RECORDINGLIBVLC_H

#include <QStringList>

// A stand-in for the libVLC functions the preview dialog calls. Linked instead of
// the real library, it records every call in order and can be told to fail.
namespace RecordingLibVlc {

struct Behaviour
{
    bool failInstance = false;
    bool failMedia = false;
    bool failPlayer = false;
    int playResult = 0;
};

Behaviour &behaviour();
QStringList &calls();
// Handles created and not yet released, by kind.
int liveMedia();
int livePlayers();
int liveInstances();
// Release calls given a handle that is null or no longer live.
int badReleases();
void reset();

} // namespace RecordingLibVlc

#endif
