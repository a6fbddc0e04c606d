#ifndef HALVORINE_BENCH_REMOTEDRIVER_H
#define HALVORINE_BENCH_REMOTEDRIVER_H

#include <QMainWindow>
#include <QString>

#include <functional>

class RecordingPeer;
class QAbstractButton;

// Sets the process up as the program's own main() does before its application object
// exists: same platform choice, same attributes, same application name (so the saved
// cameras live where the program keeps them).
void prepareLikeTheProgram(int argc, char **argv);

// Drives the real main window that the real application object built, with the
// events an operator's mouse produces, and runs its event loop while waiting.
class RemoteDriver
{
public:
    // Finds the application's main window; window() is null when there is none.
    RemoteDriver();

    QMainWindow *window() const { return mainWindow; }
    template <typename Widget>
    Widget *widget(const char *objectName) const
    {
        return mainWindow->findChild<Widget *>(QString::fromLatin1(objectName));
    }

    bool showAndWaitUntilExposed(int timeoutMs);
    // Mouse press / release in the middle of the button, through QApplication::notify.
    static void press(QAbstractButton *button);
    static void release(QAbstractButton *button);
    static void click(QAbstractButton *button);
    // Starts the peer, lets its arrivals wake the event loop, and connects the remote to
    // it; the reason when any of it fails, else an empty string.
    QString connectToStartedPeer(RecordingPeer &peer, const QString &address, int timeoutMs);
    // Types the address, clicks Connect, waits for "Disconnect" and the peer's accept.
    bool connectTo(const QString &address, const RecordingPeer &peer, int timeoutMs);

    // Runs the event loop, sleeping in it, until `done` holds; false after the time-out.
    // Whoever makes `done` true from another thread calls wakeEventLoop().
    static bool runUntil(const std::function<bool()> &done, int timeoutMs);
    // Runs the event loop, checking `done` every `intervalMs` as well as on every event.
    static bool pollUntil(const std::function<bool()> &done, int intervalMs, int timeoutMs);
    static std::function<void()> eventLoopWaker();
    // Lets every pending event (posted events, repaints, deferred writes) run.
    static void settle(int milliseconds);

private:
    QMainWindow *mainWindow = nullptr;
};

#endif
