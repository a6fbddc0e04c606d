#include "longplay.h"

#include "monotonic.h"
#include "previewunderload.h"
#include "processmemory.h"
#include "processusage.h"
#include "remotedriver.h"
#include "stampwatcher.h"

#include "ui/previewdlg.h"

#include <QAbstractButton>
#include <QFrame>

#include <algorithm>
#include <unistd.h>

namespace {

// Screen reads 200 times a second: gaps are told to 5 ms, far below the 1 s asked
// for, at a small share of a core.
constexpr int kReadIntervalMicros = 5000;
// Pictures are handed over in slices, so that the watch keeps no list.
constexpr int kSliceMs = 1000;

// The longest gap between new pictures, kept as pictures arrive.
class GapTracker
{
public:
    void startAt(std::int64_t nanos) { start = last = nanos; }
    void add(std::int64_t shownNanos)
    {
        ++count;
        note(shownNanos);
    }
    void note(std::int64_t nanos)
    {
        if (nanos - last > longest) {
            longest = nanos - last;
            longestEnd = nanos;
        }
        last = std::max(last, nanos);
    }
    std::uint64_t count = 0;
    std::int64_t start = 0;
    std::int64_t last = 0;
    std::int64_t longest = 0;
    std::int64_t longestEnd = 0;
};

} // namespace

LongPlayFigures playForLong(PreviewUnderLoad &preview, int warmUpSeconds, int minutes, int sampleSeconds)
{
    LongPlayFigures figures;
    figures.sampleSeconds = sampleSeconds;
    RemoteDriver::click(preview.previewButton);
    preview.dialog->move(0, 0);
    if (!preview.showsNewPictures(20000)) {
        figures.error = QStringLiteral("the preview showed no picture");
        return figures;
    }
    StampWatcher watcher;
    if (!watcher.start(preview.player->winId(), kReadIntervalMicros)) {
        figures.error = QStringLiteral("the player frame cannot be read");
        return figures;
    }
    const std::int64_t warmEnd = monotonicNanos() + std::int64_t(warmUpSeconds) * 1000000000;
    while (monotonicNanos() < warmEnd) {
        RemoteDriver::settle(kSliceMs);
        watcher.takeFrames();
    }

    const pid_t self = getpid();
    const long reader = watcher.threadId();
    const int samples = minutes * 60 / sampleSeconds;
    figures.rssBytes.reserve(std::size_t(samples) + 1);
    figures.cpuPerMinute.reserve(std::size_t(minutes));
    figures.readerCpuPerMinute.reserve(std::size_t(minutes));
    GapTracker gaps;
    const std::int64_t start = monotonicNanos();
    gaps.startAt(start);
    watcher.takeFrames();
    figures.rssBytes.push_back(residentBytes());
    double cpuAtMinute = cpuSecondsOf(self);
    double readerAtMinute = cpuSecondsOfThread(self, reader);
    std::int64_t minuteStart = start;
    for (int second = 1; second <= minutes * 60; ++second) {
        const std::int64_t until = start + std::int64_t(second) * 1000000000;
        RemoteDriver::settle(static_cast<int>(std::max<std::int64_t>(0, until - monotonicNanos()) / 1000000));
        for (const ShownFrame &frame : watcher.takeFrames())
            gaps.add(frame.shownNanos);
        if (second % sampleSeconds == 0)
            figures.rssBytes.push_back(residentBytes());
        if (second % 60 == 0) {
            const std::int64_t now = monotonicNanos();
            const double wall = static_cast<double>(now - minuteStart) / 1e9;
            const double cpu = cpuSecondsOf(self);
            const double readerCpu = cpuSecondsOfThread(self, reader);
            figures.cpuPerMinute.push_back((cpu - cpuAtMinute - (readerCpu - readerAtMinute)) / wall);
            figures.readerCpuPerMinute.push_back((readerCpu - readerAtMinute) / wall);
            cpuAtMinute = cpu;
            readerAtMinute = readerCpu;
            minuteStart = now;
        }
    }
    gaps.note(monotonicNanos());
    watcher.stop();
    figures.pictures = gaps.count;
    figures.longestGapMs = static_cast<double>(gaps.longest) / 1e6;
    figures.longestGapEndedAtS = static_cast<double>(gaps.longestEnd - start) / 1e9;
    return figures;
}
