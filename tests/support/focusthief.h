#ifndef HALVORINE_FOCUSTHIEF_H
#define HALVORINE_FOCUSTHIEF_H

// A window of another program, as far as the program under test can tell: mapped on
// the test's X server by a connection of its own, it takes the keyboard focus away
// the way switching to another application does.
class FocusThief
{
public:
    FocusThief();
    ~FocusThief();
    FocusThief(const FocusThief &) = delete;
    FocusThief &operator=(const FocusThief &) = delete;

    bool isOpen() const { return display != nullptr; }
    // Maps the window if needed and gives it the focus; false when the server refused.
    bool takeFocus();

private:
    struct _XDisplay *display = nullptr;
    unsigned long window = 0;
};

#endif
