#ifndef HALVORINE_SHOWACTION_H
#define HALVORINE_SHOWACTION_H

#include <QString>

// What a key or a controller button asks for, whatever input it came from. Held
// actions (the drives, zoom and focus) last until the key or button comes up; the
// others happen once, on the press.
struct ShowAction
{
    enum Kind {
        None,
        DriveUp, DriveDown, DriveLeft, DriveRight, // held
        ZoomIn, ZoomOut,                           // held
        FocusNear, FocusFar,                       // held
        RecallPreset,   // number: the preset
        StorePreset,    // number: the preset
        SelectCamera,   // number: 1 for the first saved camera
        NextCamera, PreviousCamera,
        Home,
        OnePushFocus,
        KeyMap,
        PreviewLatency, // low latency on or off, kept for the next starts
    };

    Kind kind = None;
    int number = 0;

    bool isHeld() const { return kind >= DriveUp && kind <= FocusFar; }
    bool operator==(const ShowAction &other) const { return kind == other.kind && number == other.number; }
    bool operator!=(const ShowAction &other) const { return !(*this == other); }
    // For the key map and the notices: "Recall preset 3", "Focus near".
    QString description() const;
};

#endif
