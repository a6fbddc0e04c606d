#ifndef HALVORINE_QUITSIGNALS_H
#define HALVORINE_QUITSIGNALS_H

#include <QObject>

class QSocketNotifier;

// Ends the program through its event loop, as closing the window does, when the
// system asks it to end: SIGTERM (a logout, a service manager), SIGINT (Ctrl+C in a
// terminal), SIGHUP (the terminal went away). Left to their default, these kill the
// process on the spot, and a camera that was moving would never hear its stop.
//
// A signal handler may do almost nothing safely, so it only writes the signal's
// number into a pipe; the notifier on the pipe's other end runs on the GUI thread
// and quits the event loop there. A second signal of the same kind, while the first
// one's quit is still under way, kills at once, as the operator meant.
//
// On Windows, a GUI program has no console and no such signals; it ends by its
// window, so this does nothing there.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

private:
    void quitOnSignal();

    QSocketNotifier *notifier = nullptr;
};

#endif
