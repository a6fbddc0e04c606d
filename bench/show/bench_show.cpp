// A show's two timings on loopback, each beside its peer from the same run:
// - camera select: the Ctrl+2 key event until the second camera has the first drive
//   (an Up key pressed as soon as its link is up), beside a bare QTcpSocket's connect
//   and nine-byte write to the same kind of peer; target ≤ 50 ms.
// - preset key: the 3 key's press until the recall's last byte is at the camera,
//   beside the Up key's press until its drive's last byte is there.
// Keys are QKeyEvents handed to QApplication::notify for the focused button, as the
// press bench hands its mouse events (what X and xcb spend before is not included).
#include "benchoptions.h"
#include "monotonic.h"
#include "recordingpeer.h"
#include "remotedriver.h"
#include "remoteunderbench.h"
#include "resultfile.h"
#include "summary.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTcpSocket>
#include <QTextStream>

#include <cstdio>
#include <memory>

namespace {

// The OSD button, which keeps no keys; the window may not be active without a window
// manager, so it is named rather than found as the focus widget.
QWidget *keyTarget = nullptr;

// X11 key codes of the digit row: 1 is 10, 2 is 11, 3 is 12.
void key(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode, bool down)
{
    QWidget *target = QApplication::focusWidget() ? QApplication::focusWidget() : keyTarget;
    QKeyEvent event(down ? QEvent::KeyPress : QEvent::KeyRelease, qtKey, modifiers, scanCode, 0, 0);
    QApplication::sendEvent(target, &event);
}

void tap(int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode)
{
    key(qtKey, modifiers, scanCode, true);
    key(qtKey, modifiers, scanCode, false);
}

std::unique_ptr<RecordingPeer> startPeer(const char *address, std::size_t length)
{
    RecordingPeer::Options options;
    options.address = address;
    options.messageLength = length;
    auto peer = std::make_unique<RecordingPeer>(options);
    std::string error;
    if (!peer->start(error)) {
        std::fprintf(stderr, "bench_show: peer: %s\n", error.c_str());
        return nullptr;
    }
    peer->setArrivalHook(RemoteDriver::eventLoopWaker());
    return peer;
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_show: %s\n", what);
    return 1;
}

QString medianAndP99(const Summary &s)
{
    return formatMicros(s.medianMicros) + QStringLiteral(" / ") + formatMicros(s.p99Micros);
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int switches = options.number(QStringLiteral("switches"), 40);
    const int presses = options.number(QStringLiteral("presses"), 300);
    RemoteUnderBench program(argc, argv);
    RemoteDriver &driver = program.driver();
    if (!program.show())
        return fail("the main window did not show");

    // Camera 1 takes seven-byte recalls, camera 2 nine-byte drives; the floor's peer
    // takes the bare socket's nine bytes.
    auto first = startPeer("127.0.22.11", 7);
    auto second = startPeer("127.0.22.12", 9);
    auto floorPeer = startPeer("127.0.22.13", 9);
    if (!first || !second || !floorPeer)
        return 1;
    const auto save = [&](const char *address, const char *name) {
        driver.widget<QLineEdit>("ipEdit")->setText(QString::fromLatin1(address));
        driver.widget<QLineEdit>("camNameEdit")->setText(QString::fromLatin1(name));
        RemoteDriver::click(driver.widget<QAbstractButton>("saveBtn"));
    };
    save("127.0.22.11", "1 first");
    save("127.0.22.12", "2 second");
    keyTarget = driver.widget<QAbstractButton>("osdBtn");
    keyTarget->setFocus(Qt::OtherFocusReason);
    const auto state = [&] { return driver.widget<QAbstractButton>("connectBtn")->text(); };
    const auto linkedTo = [&](const RecordingPeer &peer) {
        return RemoteDriver::runUntil([&] { return state() == QLatin1String("Disconnect") && peer.hasClient(); }, 5000);
    };

    std::vector<std::int64_t> selectToDrive, floorConnect, presetToWire, arrowToWire;
    for (int i = 0; i < switches; ++i) {
        tap(Qt::Key_1, Qt::ControlModifier, 10);
        if (!linkedTo(*first))
            return fail("camera 1 did not link");
        // Preset key and arrow key take turns on the two links below.
        for (int p = 0; p < presses / switches; ++p) {
            const std::size_t before = first->arrivals();
            const std::int64_t start = monotonicNanos();
            key(Qt::Key_3, Qt::NoModifier, 12, true);
            if (!RemoteDriver::runUntil([&] { return first->arrivals() > before; }, 2000))
                return fail("the recall did not arrive");
            presetToWire.push_back(first->arrivalNanos(before) - start);
            key(Qt::Key_3, Qt::NoModifier, 12, false);
        }
        const std::size_t before = second->arrivals();
        const std::int64_t start = monotonicNanos();
        tap(Qt::Key_2, Qt::ControlModifier, 11);
        if (!RemoteDriver::runUntil([&] { return state() == QLatin1String("Disconnect") && second->connectionCount() > i; }, 5000))
            return fail("camera 2 did not link");
        key(Qt::Key_Up, Qt::NoModifier, 111, true);
        if (!RemoteDriver::runUntil([&] { return second->arrivals() > before; }, 2000))
            return fail("the first drive did not reach camera 2");
        selectToDrive.push_back(second->arrivalNanos(before) - start);
        key(Qt::Key_Up, Qt::NoModifier, 111, false);
        for (int p = 0; p < presses / switches; ++p) {
            const std::size_t from = second->arrivals();
            const std::int64_t pressed = monotonicNanos();
            key(Qt::Key_Up, Qt::NoModifier, 111, true);
            if (!RemoteDriver::runUntil([&] { return second->arrivals() > from; }, 2000))
                return fail("the drive did not arrive");
            arrowToWire.push_back(second->arrivalNanos(from) - pressed);
            key(Qt::Key_Up, Qt::NoModifier, 111, false);
            RemoteDriver::runUntil([&] { return second->arrivals() > from + 1; }, 2000);
        }
        // The floor: a bare socket's connect and first nine bytes, same machine, same turn.
        QTcpSocket bare;
        const std::size_t floorBefore = floorPeer->arrivals();
        const std::int64_t floorStart = monotonicNanos();
        bare.connectToHost(QStringLiteral("127.0.22.13"), 5678);
        if (!bare.waitForConnected(2000))
            return fail("the floor's socket did not connect");
        bare.write(QByteArray::fromHex("810106010E0E0301FF"));
        bare.flush();
        if (!RemoteDriver::runUntil([&] { return floorPeer->arrivals() > floorBefore; }, 2000))
            return fail("the floor's bytes did not arrive");
        floorConnect.push_back(floorPeer->arrivalNanos(floorBefore) - floorStart);
        bare.abort();
    }

    const Summary select = summarize(selectToDrive), bare = summarize(floorConnect);
    const Summary preset = summarize(presetToWire), arrow = summarize(arrowToWire);
    ResultFile result(QStringLiteral("show"));
    result.addRow({QStringLiteral("Camera select key → new camera linked, first drive at it (median / p99)"),
                   medianAndP99(select), medianAndP99(bare) + QStringLiteral(" bare QTcpSocket connect + write"),
                   QStringLiteral("p99 ≤ 50 ms"), verdict(select.p99Micros <= 50000)});
    result.addRow({QStringLiteral("Preset key → recall at peer (median / p99)"), medianAndP99(preset),
                   medianAndP99(arrow) + QStringLiteral(" arrow key → drive, same run"),
                   QStringLiteral("p99 ≤ 1.1× arrow key (") + formatMicros(1.1 * arrow.p99Micros) + QStringLiteral(")"),
                   verdict(preset.p99Micros <= 1.1 * arrow.p99Micros)});
    result.setFigure(QStringLiteral("select_to_first_drive"), select.toJson());
    result.setFigure(QStringLiteral("floor_bare_connect_write"), bare.toJson());
    result.setFigure(QStringLiteral("preset_key_to_wire"), preset.toJson());
    result.setFigure(QStringLiteral("arrow_key_to_wire"), arrow.toJson());
    result.write(options.outDirectory());
    QTextStream(stdout) << "show: select " << medianAndP99(select) << " (bare connect " << medianAndP99(bare)
                        << "), preset key " << medianAndP99(preset) << " (arrow key " << medianAndP99(arrow) << ")\n";
    return 0;
}
