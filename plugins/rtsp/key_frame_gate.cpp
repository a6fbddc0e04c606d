#include "key_frame_gate.h"

bool KeyFrameGate::admit(bool isKeyFrame)
{
    justOpened_ = false;
    if (!waiting_)
        return true;
    if (!isKeyFrame) {
        ++skipped_;
        return false;
    }
    waiting_ = false;
    justOpened_ = true;
    return true;
}
