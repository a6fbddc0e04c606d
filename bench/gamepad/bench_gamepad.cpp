// Game controllers: how long from a controller's event until its message reaches the
// camera, and what the controller input costs while nobody uses it.
//
// Latency: the clock starts just before a virtual controller's D-pad button changes
// (SDL_JoystickSetVirtualButton) and stops when the peer's thread returns from recv()
// with the drive (press) or stop (release) message's ninth byte. The remote's input
// reads SDL from its poll timer; the floor, in the same run and taking turns with it,
// is this bench reading SDL in a busy loop and writing the message from a bare POSIX
// socket the moment the event is out. Presses are spaced beyond the 50 ms pacing of a
// motion stream, so pacing never holds one back.
//
// Idle cost: the process's CPU time over a stretch of its event loop with the camera
// link open and no input subsystem (the floor), then with the controller input
// started and no controller, then with one attached and left alone. A virtual
// controller has no device node to wait on, so the input polls it: the figure is
// that of a polled controller, not of one with a kernel input node (not polled at
// rest), which nothing here can make.
#include "benchoptions.h"
#include "monotonic.h"
#include "recordingpeer.h"
#include "remotedriver.h"
#include "resultfile.h"
#include "summary.h"
#include "virtualpad.h"

#include "camera/camera.h"
#include "camera/cameramotion.h"
#include "input/gamepadinput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <memory>
#include <random>
#include <thread>

namespace {

constexpr int rounds = 4;
constexpr int spacingMs = 60; // beyond CameraMotion::intervalMs

const char remoteAddress[] = "127.0.5.30";
const char floorAddress[] = "127.0.5.31";

std::int64_t processCpuNanos()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return std::int64_t(now.tv_sec) * 1000000000 + now.tv_nsec;
}

// Runs the event loop for `ms` and returns the share of one core the process used.
double cpuPercentOver(int ms)
{
    const std::int64_t cpuBefore = processCpuNanos();
    const std::int64_t wallBefore = monotonicNanos();
    RemoteDriver::runUntil([] { return false; }, ms);
    return 100.0 * double(processCpuNanos() - cpuBefore) / double(monotonicNanos() - wallBefore);
}

void waitSpacing()
{
    RemoteDriver::runUntil([] { return false; }, spacingMs);
}

int connectPosix(const char *address)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in peer{};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(Camera::controlPort);
    inet_pton(AF_INET, address, &peer.sin_addr);
    if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr *>(&peer), sizeof peer) != 0)
        return -1;
    const int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return fd;
}

struct Latencies
{
    std::vector<std::int64_t> press, release;
};

// The remote: the D-pad goes down (up) from a thread of its own at random moments, as
// a real controller's events come whatever the program is doing, while the event loop
// runs; the input notices at its next poll. (Changing the pad from the event loop's
// own thread would time every change just after a poll, and every wait a whole
// interval.)
bool remoteRound(VirtualPad &pad, RecordingPeer &peer, int pairs, Latencies &out)
{
    const std::size_t before = peer.arrivals();
    std::vector<std::int64_t> starts(std::size_t(2 * pairs));
    std::thread presser([&] {
        std::mt19937 random(std::random_device{}());
        std::uniform_int_distribution<int> jitterMicros(0, 10000);
        for (std::size_t i = 0; i < starts.size(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(spacingMs)
                                        + std::chrono::microseconds(jitterMicros(random)));
            starts[i] = monotonicNanos();
            pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_UP, i % 2 == 0);
        }
    });
    const bool arrived = RemoteDriver::runUntil([&] { return peer.arrivals() >= before + starts.size(); },
                                                2 * pairs * (spacingMs + 100));
    presser.join();
    if (!arrived)
        return false;
    for (std::size_t i = 0; i < starts.size(); ++i)
        (i % 2 == 0 ? out.press : out.release).push_back(peer.arrivalNanos(before + i) - starts[i]);
    return true;
}

// The floor: nothing between SDL's event and write() but a busy loop.
bool floorRound(VirtualPad &pad, RecordingPeer &peer, int fd, int pairs, Latencies &out)
{
    static const unsigned char drive[] = {0x81, 0x01, 0x06, 0x01, 0x0E, 0x0E, 0x03, 0x01, 0xFF};
    static const unsigned char stop[] = {0x81, 0x01, 0x06, 0x01, 0x18, 0x14, 0x03, 0x03, 0xFF};
    for (int i = 0; i < 2 * pairs; ++i) {
        const bool pressing = i % 2 == 0;
        const std::size_t before = peer.arrivals();
        const std::int64_t start = monotonicNanos();
        pad.setButton(SDL_CONTROLLER_BUTTON_DPAD_UP, pressing);
        for (bool seen = false; !seen;) {
            SDL_Event event;
            while (SDL_PollEvent(&event)) {
                if (event.type == SDL_CONTROLLERBUTTONDOWN || event.type == SDL_CONTROLLERBUTTONUP)
                    seen = true;
            }
        }
        if (::write(fd, pressing ? drive : stop, sizeof drive) != ssize_t(sizeof drive)
            || !peer.waitForArrivals(before + 1, 2000))
            return false;
        (pressing ? out.press : out.release).push_back(peer.arrivalNanos(before) - start);
        waitSpacing();
    }
    return true;
}

QString medianAndP99(const Summary &summary)
{
    return formatMicros(summary.medianMicros) + QStringLiteral(" / ") + formatMicros(summary.p99Micros);
}

QString percent(double value)
{
    return QString::number(value, 'f', 3) + QStringLiteral(" %");
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_gamepad: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int pairs = options.number(QStringLiteral("pairs"), 200);
    const int idleMs = options.number(QStringLiteral("idle-seconds"), 10) * 1000;
    QCoreApplication app(argc, argv);

    RecordingPeer::Options peerOptions;
    peerOptions.address = remoteAddress;
    RecordingPeer remotePeer(peerOptions);
    peerOptions.address = floorAddress;
    RecordingPeer floorPeer(peerOptions);
    std::string error;
    if (!remotePeer.start(error) || !floorPeer.start(error))
        return fail(error.c_str());
    remotePeer.setArrivalHook(RemoteDriver::eventLoopWaker());

    Camera camera(QString::fromLatin1(remoteAddress));
    camera.connectToCamera();
    const int floorSocket = connectPosix(floorAddress);
    if (floorSocket < 0 || !RemoteDriver::runUntil([&] { return remotePeer.hasClient() && floorPeer.hasClient(); }, 5000))
        return fail("the peers got no client");

    const double floorCpu = cpuPercentOver(idleMs);

    CameraMotion motion(&camera);
    auto input = std::make_unique<GamepadInput>(&camera, &motion);
    const std::int64_t startBegin = monotonicNanos();
    if (!input->start())
        return fail("SDL's game controller subsystem did not start");
    const std::int64_t startNanos = monotonicNanos() - startBegin;
    const double idleCpu = cpuPercentOver(idleMs);

    auto pad = std::make_unique<VirtualPad>();
    if (!pad->isPlugged() || !RemoteDriver::runUntil([&] { return input->attachedCount() == 1; }, 5000))
        return fail("the virtual controller was not attached");
    const double attachedCpu = cpuPercentOver(idleMs);

    Latencies remote, floor;
    // The two take turns, in alternating order. Each event has one reader: the floor's
    // busy loop keeps the event loop, and with it the input's poll timer, from running.
    for (int round = 0; round < rounds; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            const bool remoteTurn = (round + turn) % 2 == 0;
            const bool done = remoteTurn ? remoteRound(*pad, remotePeer, pairs / rounds, remote)
                                         : floorRound(*pad, floorPeer, floorSocket, pairs / rounds, floor);
            if (!done)
                return fail("a message did not reach its peer");
        }
    }
    ::close(floorSocket);

    const Summary press = summarize(remote.press), release = summarize(remote.release);
    const Summary floorPress = summarize(floor.press), floorRelease = summarize(floor.release);
    ResultFile result(QStringLiteral("gamepad"));
    result.addRow({QStringLiteral("Controller D-pad press → drive at peer (median / p99)"), medianAndP99(press),
                   medianAndP99(floorPress) + QStringLiteral(" busy-polling SDL, POSIX write"),
                   QStringLiteral("p99 ≤ 10 ms"), verdict(press.p99Micros <= 10000)});
    result.addRow({QStringLiteral("Controller D-pad release → stop at peer (median / p99)"), medianAndP99(release),
                   medianAndP99(floorRelease) + QStringLiteral(" busy-polling SDL, POSIX write"),
                   QStringLiteral("p99 ≤ 10 ms"), verdict(release.p99Micros <= 10000)});
    result.addRow({QStringLiteral("CPU, controller input started, none attached"), percent(idleCpu),
                   percent(floorCpu) + QStringLiteral(" without controller input"),
                   QStringLiteral("≤ 0.2 % of a core"), verdict(idleCpu <= 0.2)});
    result.addRow({QStringLiteral("CPU, one controller attached, untouched (polled: no device node)"), percent(attachedCpu),
                   percent(floorCpu) + QStringLiteral(" without controller input"),
                   QStringLiteral("≤ 1 % of a core"), verdict(attachedCpu <= 1.0)});
    result.addRow({QStringLiteral("  controller input start (loading SDL2, game controller init)"), formatMicros(startNanos / 1000.0),
                   QString(), QString(), QString()});
    result.setFigure(QStringLiteral("pairs"), pairs);
    result.setFigure(QStringLiteral("press_to_wire"), press.toJson());
    result.setFigure(QStringLiteral("release_to_wire"), release.toJson());
    result.setFigure(QStringLiteral("floor_press_to_wire"), floorPress.toJson());
    result.setFigure(QStringLiteral("floor_release_to_wire"), floorRelease.toJson());
    result.setFigure(QStringLiteral("cpu_percent_floor"), floorCpu);
    result.setFigure(QStringLiteral("cpu_percent_no_controller"), idleCpu);
    result.setFigure(QStringLiteral("cpu_percent_controller_attached"), attachedCpu);
    result.setFigure(QStringLiteral("input_start_micros"), startNanos / 1000.0);
    result.write(options.outDirectory());
    QTextStream(stdout) << "gamepad: press " << medianAndP99(press) << ", floor " << medianAndP99(floorPress)
                        << "; cpu " << percent(floorCpu) << " / " << percent(idleCpu) << " / "
                        << percent(attachedCpu) << "\n";
    return 0;
}
