#include "cycles.h"

#include "monotonic.h"
#include "previewunderload.h"
#include "processmemory.h"
#include "remotedriver.h"
#include "rtsp_test_server.h"

#include "app/heapreturn.h"
#include "ui/previewdlg.h"

#include <QAbstractButton>
#include <QWindow>

#include <algorithm>
#include <functional>
#include <malloc.h>

namespace {

constexpr int kStepTimeoutMs = 10000;
constexpr int kPictureTimeoutMs = 10000;
// Memory is read once the program has handed back what a stopped player freed.
constexpr int kSettleMs = HeapReturn::delayMs + 500;

// Runs `cycle` `cycles` times, reading memory after each; stops at the first failure.
void runCycles(CycleFigures &figures, int cycles, const std::function<QString(int)> &cycle)
{
    figures.cycles = cycles;
    RemoteDriver::settle(kSettleMs);
    figures.rssStart = figures.rssMax = residentBytes();
    std::vector<std::int64_t> nanos;
    nanos.reserve(std::size_t(cycles));
    figures.rssAtTenths.reserve(11);
    figures.rssAtTenths.push_back(figures.rssStart);
    for (int i = 0; i < cycles; ++i) {
        const std::int64_t began = monotonicNanos();
        const QString failure = cycle(i);
        if (!failure.isEmpty()) {
            figures.error = QStringLiteral("cycle %1: %2").arg(i + 1).arg(failure);
            break;
        }
        nanos.push_back(monotonicNanos() - began);
        ++figures.done;
        figures.rssMax = std::max(figures.rssMax, residentBytes());
        if ((i + 1) % std::max(1, cycles / 10) == 0)
            figures.rssAtTenths.push_back(residentBytes());
    }
    figures.perCycle = summarize(nanos);
    RemoteDriver::settle(kSettleMs);
    figures.rssEnd = residentBytes();
    figures.rssMax = std::max(figures.rssMax, figures.rssEnd);
    malloc_trim(0);
    figures.rssAfterTrim = residentBytes();
}

bool lookForPictures(const PreviewUnderLoad &preview, CycleFigures &figures)
{
    ++figures.picturesLookedFor;
    if (!preview.showsNewPictures(kPictureTimeoutMs))
        return false;
    ++figures.picturesFound;
    return true;
}

} // namespace

CycleFigures playStopCycles(PreviewUnderLoad &preview, int cycles, int checkEvery)
{
    CycleFigures figures;
    RtspTestServer &server = preview.server;
    RemoteDriver::click(preview.stopButton);
    runCycles(figures, cycles, [&](int i) -> QString {
        const int playing = server.count(QStringLiteral("playing"));
        const int ended = server.count(QStringLiteral("client-closed"));
        RemoteDriver::click(preview.playButton);
        if (!server.waitForEvents(QStringLiteral("playing"), playing + 1, kStepTimeoutMs))
            return QStringLiteral("the server saw no PLAY");
        if (i % checkEvery == 0 && !lookForPictures(preview, figures))
            return QStringLiteral("no picture on the screen after Play");
        RemoteDriver::click(preview.stopButton);
        if (!server.waitForEvents(QStringLiteral("client-closed"), ended + 1, kStepTimeoutMs))
            return QStringLiteral("the session did not end after Stop");
        return QString();
    });
    return figures;
}

CycleFigures snapCycles(PreviewUnderLoad &preview, int cycles, int checkEvery)
{
    CycleFigures figures;
    RtspTestServer &server = preview.server;
    RemoteDriver::click(preview.playButton);
    if (!preview.showsNewPictures(kPictureTimeoutMs)) {
        figures.error = QStringLiteral("no picture before the first snap");
        return figures;
    }
    PreviewDlg *dialog = preview.dialog;
    const int endedBefore = server.count(QStringLiteral("client-closed"));
    runCycles(figures, cycles, [&](int i) -> QString {
        RemoteDriver::click(preview.snapCheck);
        if (!RemoteDriver::runUntil([&] { return !dialog->isWindow() && dialog->isVisible(); }, kStepTimeoutMs))
            return QStringLiteral("the preview did not become a panel");
        if (i % checkEvery == 0 && !lookForPictures(preview, figures))
            return QStringLiteral("no picture in the snapped panel");
        RemoteDriver::click(preview.snapCheck);
        if (!RemoteDriver::runUntil([&] { return dialog->isWindow() && !dialog->isVisible(); }, kStepTimeoutMs))
            return QStringLiteral("the preview did not leave the main window");
        dialog->show();
        if (!RemoteDriver::runUntil([&] { return dialog->windowHandle() && dialog->windowHandle()->isExposed(); },
                                    kStepTimeoutMs))
            return QStringLiteral("the floating preview was not shown again");
        return QString();
    });
    figures.sessionsEnded = server.count(QStringLiteral("client-closed")) - endedBefore;
    if (figures.error.isEmpty() && !lookForPictures(preview, figures))
        figures.error = QStringLiteral("no picture in the floating preview after the last cycle");
    return figures;
}
