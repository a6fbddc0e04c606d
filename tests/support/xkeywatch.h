#ifndef HALVORINE_XKEYWATCH_H
#define HALVORINE_XKEYWATCH_H

// Counts, from a connection of its own to the test's X server, the key presses the
// server delivers to a window: proof that the server really auto-repeats a held key,
// whatever the program under test makes of it. This connection does not ask for
// detectable auto-repeat, so each repeat shows as one more press.
class XKeyWatch
{
public:
    explicit XKeyWatch(unsigned long window);
    ~XKeyWatch();
    XKeyWatch(const XKeyWatch &) = delete;
    XKeyWatch &operator=(const XKeyWatch &) = delete;

    bool isOpen() const { return display != nullptr; }
    // Presses seen since construction or the last reset().
    int presses();
    void reset();

    // Sets the server's auto-repeat: on, first repeat after delayMs, then every intervalMs.
    bool setAutoRepeat(unsigned delayMs, unsigned intervalMs);

private:
    void drain();

    struct _XDisplay *display = nullptr;
    unsigned long window;
    int count = 0;
};

#endif
