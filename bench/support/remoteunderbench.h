#ifndef HALVORINE_BENCH_REMOTEUNDERBENCH_H
#define HALVORINE_BENCH_REMOTEUNDERBENCH_H

#include "benchhome.h"
#include "recordingpeer.h"
#include "remotedriver.h"

#include "app/corvanta.h"

#include <QPoint>
#include <QString>

#include <memory>

// The real remote as a bench runs it: a throw-away home for its saved cameras, the
// process prepared as the program's main() prepares it, the real application object
// and the driver of its main window, made in that order.
class RemoteUnderBench
{
public:
    RemoteUnderBench(int &argc, char **argv);

    RemoteDriver &driver() { return driver_; }
    const BenchHome &home() const { return home_; }
    // Shows the main window (at `at`, where given) and waits until it is on the
    // screen; false when there is no window or it never showed.
    bool show();
    bool show(QPoint at);
    // Starts a camera peer on `address` that takes messages without answering
    // and connects the remote to it, for benches that need the link up but do
    // not time it; empty, or what failed. The peer lives as long as this object.
    QString connectToQuietCamera(const QString &address);

private:
    struct PreparedProcess {
        PreparedProcess(int argc, char **argv) { prepareLikeTheProgram(argc, argv); }
    };

    BenchHome home_;
    PreparedProcess prepared_;
    Corvanta app_;
    RemoteDriver driver_;
    std::unique_ptr<RecordingPeer> camera_;
};

#endif
