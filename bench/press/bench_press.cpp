// Press to wire: how long from the operator's press (release) on an arrow button until
// the drive (stop) message's last byte reaches the camera, beside the same nine bytes
// written by a bare POSIX client (the system's floor), by a minimal Qt window's one
// styled QPushButton (the floor a Qt program can reach) and by a bare QTcpSocket, in
// the same process and run.
//
// Where the clock starts: just before the press/release QMouseEvent is handed to
// QApplication::notify for the real up-arrow button of the real main window. What the X
// server, xcb and Qt's platform layer spend before that is not included (it is the same
// for every Qt program and no bench in-process can stamp it). Where it stops: when the
// peer's thread returns from recv() with the message's ninth byte.
#include "messagesenders.h"

#include "benchoptions.h"
#include "monotonic.h"
#include "recordingpeer.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"
#include "summary.h"


#include <QAbstractButton>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

constexpr int warmUpPairs = 100;
constexpr int rounds = 4;

struct SeriesTimes
{
    std::vector<std::int64_t> press, release, pressHandled, releaseHandled;
};

// One way of sending, with its own peer on its own loopback address.
struct Series
{
    MessageSender *sender;
    RecordingPeer *peer;
    SeriesTimes times;
};

bool sendOne(Series &series, bool pressing, bool keep)
{
    const std::size_t before = series.peer->arrivals();
    const std::int64_t start = monotonicNanos();
    pressing ? series.sender->press() : series.sender->release();
    const std::int64_t handled = monotonicNanos();
    if (!series.sender->waitForArrivals(*series.peer, before + 1))
        return false;
    if (keep) {
        const std::int64_t wire = series.peer->arrivalNanos(before) - start;
        (pressing ? series.times.press : series.times.release).push_back(wire);
        (pressing ? series.times.pressHandled : series.times.releaseHandled).push_back(handled - start);
    }
    return true;
}

bool runPairs(Series &series, int pairs, bool keep)
{
    for (int i = 0; i < pairs; ++i) {
        if (!sendOne(series, true, keep) || !sendOne(series, false, keep))
            return false;
    }
    return true;
}

// The series take turns in rounds, so that a change in the machine's load during the
// run falls on all of them alike.
bool measureInRounds(std::vector<Series *> &all, int pairs)
{
    for (Series *series : all) {
        if (!runPairs(*series, warmUpPairs, false))
            return false;
    }
    for (int round = 0; round < rounds; ++round) {
        for (std::size_t i = 0; i < all.size(); ++i) {
            Series *series = all[(i + static_cast<std::size_t>(round)) % all.size()];
            if (!runPairs(*series, pairs / rounds, true))
                return false;
        }
    }
    return true;
}

QString medianAndP99(const Summary &summary)
{
    return formatMicros(summary.medianMicros) + QStringLiteral(" / ") + formatMicros(summary.p99Micros);
}

// A floor the remote is set against: the bare POSIX client (what the system allows)
// or one styled QPushButton (what a Qt program can reach: it repaints before it emits).
struct Floor
{
    const char *peer;
    const char *name;
    double factor;
};
const Floor posixFloor{" bare POSIX client", "floor", 2.0};
const Floor qtButtonFloor{" one styled QPushButton → QTcpSocket", "Qt floor", 1.1};

void addComparison(ResultFile &result, const QString &what, const Summary &remote, const Summary &floor,
                   const Floor &kind)
{
    const double limit = kind.factor * floor.p99Micros;
    result.addRow({what + QStringLiteral(" (median / p99)"), medianAndP99(remote),
                   medianAndP99(floor) + QString::fromUtf8(kind.peer),
                   QStringLiteral("p99 ≤ %1× %2 (").arg(kind.factor).arg(QString::fromUtf8(kind.name))
                       + formatMicros(limit) + QStringLiteral(")"),
                   verdict(remote.p99Micros <= limit)});
}

void addInformation(ResultFile &result, const QString &what, const Summary &figure)
{
    result.addRow({what + QStringLiteral(" (median / p99)"), medianAndP99(figure), QString(), QString(), QString()});
}

QJsonObject seriesFigures(const SeriesTimes &times)
{
    return QJsonObject{{"press_to_wire", summarize(times.press).toJson()},
                       {"release_to_wire", summarize(times.release).toJson()},
                       {"press_call_returns", summarize(times.pressHandled).toJson()},
                       {"release_call_returns", summarize(times.releaseHandled).toJson()}};
}

void report(const Series &remote, const Series &posix, const Series &qtButton, const Series &qtSocket, int pairs,
            const QString &out)
{
    ResultFile result(QStringLiteral("press"));
    addComparison(result, QStringLiteral("Press → drive message at peer"), summarize(remote.times.press),
                  summarize(posix.times.press), posixFloor);
    addComparison(result, QStringLiteral("Release → stop message at peer"), summarize(remote.times.release),
                  summarize(posix.times.release), posixFloor);
    addComparison(result, QStringLiteral("Press → drive message at peer, against Qt's floor"),
                  summarize(remote.times.press), summarize(qtButton.times.press), qtButtonFloor);
    addComparison(result, QStringLiteral("Release → stop message at peer, against Qt's floor"),
                  summarize(remote.times.release), summarize(qtButton.times.release), qtButtonFloor);
    addInformation(result, QStringLiteral("  of which press event handled in the GUI thread"),
                   summarize(remote.times.pressHandled));
    addInformation(result, QStringLiteral("  peer: same bytes by QTcpSocket, no GUI, press"),
                   summarize(qtSocket.times.press));
    result.setFigure(QStringLiteral("pairs"), pairs);
    result.setFigure(QStringLiteral("remote_arrow_button"), seriesFigures(remote.times));
    result.setFigure(QStringLiteral("floor_posix_client"), seriesFigures(posix.times));
    result.setFigure(QStringLiteral("qtcpsocket_no_gui"), seriesFigures(qtSocket.times));
    result.setFigure(QStringLiteral("floor_qt_button"), seriesFigures(qtButton.times));
    result.write(out);
    QTextStream(stdout) << "press: remote press " << medianAndP99(summarize(remote.times.press)) << ", floor "
                        << medianAndP99(summarize(posix.times.press)) << ", qt button "
                        << medianAndP99(summarize(qtButton.times.press)) << ", qtcpsocket "
                        << medianAndP99(summarize(qtSocket.times.press)) << "\n";
}

std::unique_ptr<RecordingPeer> startPeer(const char *address, bool wakeEventLoop)
{
    RecordingPeer::Options options;
    options.address = address;
    auto peer = std::make_unique<RecordingPeer>(options);
    std::string error;
    if (!peer->start(error)) {
        std::fprintf(stderr, "bench_press: peer: %s\n", error.c_str());
        return nullptr;
    }
    if (wakeEventLoop)
        peer->setArrivalHook(RemoteDriver::eventLoopWaker());
    return peer;
}

bool waitForClient(const RecordingPeer &peer)
{
    return RemoteDriver::runUntil([&] { return peer.hasClient(); }, 5000);
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_press: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int pairs = options.number(QStringLiteral("pairs"), 2000);
    RemoteUnderBench program(argc, argv);
    RemoteDriver &driver = program.driver();
    if (!program.show())
        return fail("the main window did not show");

    auto remotePeer = startPeer("127.0.0.61", true);
    auto posixPeer = startPeer("127.0.0.64", false);
    auto qtPeer = startPeer("127.0.0.65", true);
    auto buttonPeer = startPeer("127.0.0.66", true);
    if (!remotePeer || !posixPeer || !qtPeer || !buttonPeer)
        return 1;
    if (!driver.connectTo(QStringLiteral("127.0.0.61"), *remotePeer, 10000))
        return fail("the remote did not connect to its peer");
    PosixSender posix;
    QtSocketSender qtSocket;
    if (!posix.connectTo("127.0.0.64", 5678) || !qtSocket.connectTo("127.0.0.65", 5678)
        || !waitForClient(*posixPeer) || !waitForClient(*qtPeer))
        return fail("a floor client did not connect");
    ArrowButtonSender arrow(driver.widget<QAbstractButton>("upBtn"));
    QtButtonSender qtButton(driver.widget<QAbstractButton>("upBtn"));
    if (!qtButton.showAndWaitUntilExposed() || !qtButton.connectTo("127.0.0.66", 5678) || !waitForClient(*buttonPeer))
        return fail("the Qt floor's window did not show or connect");

    Series remote{&arrow, remotePeer.get(), {}};
    Series posixFloor{&posix, posixPeer.get(), {}};
    Series qtFloor{&qtSocket, qtPeer.get(), {}};
    Series buttonFloor{&qtButton, buttonPeer.get(), {}};
    std::vector<Series *> all{&remote, &posixFloor, &buttonFloor, &qtFloor};
    if (!measureInRounds(all, pairs))
        return fail("a message did not arrive in time");
    report(remote, posixFloor, buttonFloor, qtFloor, pairs, options.outDirectory());
    return 0;
}
