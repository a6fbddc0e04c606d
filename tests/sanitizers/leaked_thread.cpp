// Loses a QThread of its own, and must be reported for it: the sanitizer build leaves
// only QtTest's watchdog thread out of the leak check, never a thread our code makes.

#include <QThread>

namespace {

// A subclass, as QtTest's watchdog is: it enters QThread through the base-object
// constructor, the one the sanitizer build wraps.
class LostThread : public QThread {};

// Never started: a thread that ran may still be on its way out when the check runs,
// and its own storage would then still point at the object. A hundred of them, as a
// register or a stack slot the optimiser leaves behind may still hold the last one.
[[gnu::noinline]] void loseThreads()
{
    for (int i = 0; i < 100; ++i)
        new LostThread;
}

} // namespace

int main()
{
    loseThreads();
    return 0;
}
