// Memory: the remote's resident memory idle, and across 10,000 press/release cycles on
// an arrow against a peer that answers every message as a camera does (ACK 90 41 FF,
// then completion 90 51 FF), read at every quarter. The remote reads and drops those
// answers; any growth across the cycles would be a leak in the control path. Then the
// same across 10,000 connect/disconnect cycles through the Connect button: a leak
// there would be in the link's socket set-up or the button's state changes. The
// figure is the bench process's, which is the real application object and window plus
// the peer's thread and its stamp buffer (allocated and touched before the first read).
#include "benchoptions.h"
#include "processmemory.h"
#include "recordingpeer.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"


#include <QAbstractButton>
#include <QJsonArray>
#include <QTextStream>

#include <cstdio>
#include <functional>

namespace {

constexpr int readings = 4;

QString mebibytes(qint64 bytes)
{
    return QString::number(static_cast<double>(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MiB");
}

// Lets the answers and any deferred work drain before memory is read.
qint64 settledResidentBytes()
{
    RemoteDriver::settle(300);
    return residentBytes();
}

bool cycle(QAbstractButton *arrow, const RecordingPeer &peer)
{
    const std::size_t before = peer.arrivals();
    RemoteDriver::press(arrow);
    if (!RemoteDriver::runUntil([&] { return peer.arrivals() >= before + 1; }, 5000))
        return false;
    RemoteDriver::release(arrow);
    return RemoteDriver::runUntil([&] { return peer.arrivals() >= before + 2; }, 5000);
}

bool reconnect(RemoteDriver &driver, const RecordingPeer &peer)
{
    auto *connectButton = driver.widget<QAbstractButton>("connectBtn");
    RemoteDriver::click(connectButton); // Disconnect: settles before the click returns
    if (connectButton->text() != QLatin1String("Connect"))
        return false;
    // Until the peer has seen the close, its "client" is still the old connection.
    if (!RemoteDriver::runUntil([&] { return !peer.hasClient(); }, 5000))
        return false;
    return driver.connectTo(QStringLiteral("127.0.0.62"), peer, 5000);
}

// Reads memory at every quarter of `cycles` runs of `step`; false if a step fails.
bool readAcross(int cycles, const std::function<bool()> &step, QJsonArray &atCycles, QJsonArray &rss,
                QString &series)
{
    for (int reading = 0; reading <= readings; ++reading) {
        const int done = cycles * reading / readings;
        const qint64 bytes = settledResidentBytes();
        atCycles.append(done);
        rss.append(bytes);
        series += (reading ? QStringLiteral(", ") : QString()) + mebibytes(bytes);
        if (reading == readings)
            break;
        for (int i = done; i < cycles * (reading + 1) / readings; ++i) {
            if (!step())
                return false;
        }
    }
    return true;
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_memory: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int cycles = options.number(QStringLiteral("cycles"), 10000);
    RemoteUnderBench remote(argc, argv);
    RemoteDriver &driver = remote.driver();
    if (!remote.show())
        return fail("the main window did not show");

    RecordingPeer::Options peerOptions;
    peerOptions.address = "127.0.0.62";
    peerOptions.answer = true;
    peerOptions.capacity = static_cast<std::size_t>(cycles) * 2 + 16;
    RecordingPeer peer(peerOptions);
    std::string error;
    if (!peer.start(error))
        return fail(error.c_str());
    peer.setArrivalHook(RemoteDriver::eventLoopWaker());

    const qint64 idle = settledResidentBytes();
    if (!driver.connectTo(QStringLiteral("127.0.0.62"), peer, 10000))
        return fail("the remote did not connect to its peer");
    auto *arrow = driver.widget<QAbstractButton>("upBtn");
    QJsonArray atCycles;
    QJsonArray rss;
    QString series;
    if (!readAcross(cycles, [&] { return cycle(arrow, peer); }, atCycles, rss, series))
        return fail("a message did not arrive in time");
    QJsonArray atReconnects;
    QJsonArray reconnectRss;
    QString reconnectSeries;
    if (!readAcross(cycles, [&] { return reconnect(driver, peer); }, atReconnects, reconnectRss, reconnectSeries))
        return fail("a disconnect or a new connection did not settle in time");
    const auto grownIn = [](const QJsonArray &series, int from) {
        return static_cast<qint64>(series.last().toDouble() - series.at(from).toDouble());
    };
    const auto grown = [&](int from) { return grownIn(rss, from); };
    // A few pages more or less are the allocator's business, not a leak.
    const qint64 tolerance = 256 * 1024;
    ResultFile result(QStringLiteral("memory"));
    result.addRow({QStringLiteral("Resident memory, idle (window shown, not connected)"), mebibytes(idle), QString(),
                   QString(), QString()});
    result.addRow({QStringLiteral("RSS after 0 / 2,500 / 5,000 / 7,500 / 10,000 press/release cycles"), series,
                   QString(),
                   QStringLiteral("no growth: %1 from 0, %2 from 2,500 (±0.25 MiB)")
                       .arg(mebibytes(grown(0)), mebibytes(grown(1))),
                   verdict(grown(0) <= tolerance)});
    result.addRow({QStringLiteral("RSS after 0 / 2,500 / 5,000 / 7,500 / 10,000 connect/disconnect cycles"),
                   reconnectSeries, QString(),
                   QStringLiteral("no growth: %1 from 0, %2 from 2,500 (±0.25 MiB)")
                       .arg(mebibytes(grownIn(reconnectRss, 0)), mebibytes(grownIn(reconnectRss, 1))),
                   verdict(grownIn(reconnectRss, 0) <= tolerance)});
    result.setFigure(QStringLiteral("idle_rss_bytes"), idle);
    result.setFigure(QStringLiteral("reconnect_cycles"), atReconnects);
    result.setFigure(QStringLiteral("reconnect_rss_bytes"), reconnectRss);
    result.setFigure(QStringLiteral("cycles"), atCycles);
    result.setFigure(QStringLiteral("rss_bytes"), rss);
    result.setFigure(QStringLiteral("messages_answered"), static_cast<qint64>(peer.arrivals()));
    result.write(options.outDirectory());
    QTextStream(stdout) << "memory: idle " << mebibytes(idle) << ", cycles " << series << ", reconnects "
                        << reconnectSeries << "\n";
    return 0;
}
