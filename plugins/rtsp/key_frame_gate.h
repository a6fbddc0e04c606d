#pragma once

// A picture can only be decoded from a key frame on: anything earlier (joining
// a running stream mid-interval) would show as grey smear. One gate per video
// stream holds its packets back until the first key frame.
class KeyFrameGate {
public:
    explicit KeyFrameGate(bool closed = false) : waiting_(closed) {}

    // True if a packet may pass; the first key frame opens the gate for good.
    bool admit(bool isKeyFrame);
    // Whether the packet just admitted was the one that opened the gate.
    bool justOpened() const { return justOpened_; }
    unsigned skipped() const { return skipped_; }

private:
    bool waiting_;
    bool justOpened_ = false;
    unsigned skipped_ = 0;
};
