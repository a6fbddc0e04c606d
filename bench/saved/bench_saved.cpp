// Saved cameras: the cost of one save through the real main window's Save button
// (the store's save, then the list cleared and refilled from the store's names) with
// 10 to 10,000 cameras already saved, beside the store alone. Run once per count:
// the window reads its list at start, so each count needs a fresh program.
#include "savedcameras.h"

#include "benchhome.h"
#include "benchoptions.h"
#include "monotonic.h"
#include "remotedriver.h"
#include "resultfile.h"
#include "summary.h"

#include "app/corvanta.h"
#include "settings/appsettings.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QTextStream>

#include <cstdio>

namespace {

struct SaveTimes
{
    // Until the click returns: save and list refill, what the button's slot does.
    std::vector<std::int64_t> click;
    // Until the event loop is idle again: QSettings writes the file from a posted
    // event, and the list repaints, both still in the operator's way.
    std::vector<std::int64_t> untilIdle;
};

struct StoreTimes
{
    std::vector<std::int64_t> save, fileWrite, names;
};

bool saveThroughButton(RemoteDriver &driver, int saves, SaveTimes &times)
{
    auto *combo = driver.widget<QComboBox>("ipCombo");
    auto *saveButton = driver.widget<QAbstractButton>("saveBtn");
    for (int i = 0; i < saves; ++i) {
        driver.widget<QLineEdit>("ipEdit")->setText(newCameraAddress(i));
        driver.widget<QLineEdit>("camNameEdit")->setText(newCameraName(i));
        RemoteDriver::settle(20);
        const int before = combo->count();
        const std::int64_t start = monotonicNanos();
        RemoteDriver::click(saveButton);
        const std::int64_t clicked = monotonicNanos();
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        const std::int64_t idle = monotonicNanos();
        if (combo->count() != before + 1)
            return false;
        times.click.push_back(clicked - start);
        times.untilIdle.push_back(idle - start);
    }
    return true;
}

// The store on its own file with the same cameras, with no window in the process's way.
bool saveInStoreAlone(const QString &filePath, int cameras, int saves, StoreTimes &times)
{
    if (!writeSavedCameras(filePath, cameras))
        return false;
    AppSettings store(filePath);
    for (int i = 0; i < saves; ++i) {
        const std::int64_t start = monotonicNanos();
        store.save(newCameraAddress(i), newCameraName(i));
        const std::int64_t saved = monotonicNanos();
        // QSettings writes the file when its posted update request is delivered.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
        const std::int64_t written = monotonicNanos();
        const QStringList names = store.names();
        const std::int64_t listed = monotonicNanos();
        if (names.size() != cameras + i + 1)
            return false;
        times.save.push_back(saved - start);
        times.fileWrite.push_back(written - saved);
        times.names.push_back(listed - written);
    }
    return true;
}

void report(int cameras, int saves, const SaveTimes &ui, const StoreTimes &store, const QString &out)
{
    const Summary click = summarize(ui.click);
    const Summary idle = summarize(ui.untilIdle);
    const Summary save = summarize(store.save);
    const Summary write = summarize(store.fileWrite);
    const Summary names = summarize(store.names);
    ResultFile result(QStringLiteral("saved-%1").arg(cameras));
    const QString count = QLocale(QLocale::English).toString(cameras);
    const QString storeAlone = QStringLiteral("store alone: save %1, file write %2, names() %3")
                                   .arg(formatMicros(save.medianMicros), formatMicros(write.medianMicros),
                                        formatMicros(names.medianMicros));
    // The target is judged at 1,000 cameras, on the click and, apart, on the click
    // together with the file write that QSettings defers to the next event-loop pass.
    const bool judged = cameras == 1000;
    result.addRow({QStringLiteral("Save button, %1 saved: save + list refill / until idle (median of %2)")
                       .arg(count)
                       .arg(saves),
                   formatMicros(click.medianMicros) + QStringLiteral(" / ") + formatMicros(idle.medianMicros),
                   storeAlone, judged ? QStringLiteral("< 5 ms (save + refill)") : QString(),
                   judged ? verdict(click.medianMicros < 5000.0) : QString()});
    if (judged) {
        result.addRow({QStringLiteral("  the same, until idle: with QSettings' deferred file write"),
                       formatMicros(idle.medianMicros), QString(), QStringLiteral("< 5 ms"),
                       verdict(idle.medianMicros < 5000.0)});
    }
    result.setFigure(QStringLiteral("cameras"), cameras);
    result.setFigure(QStringLiteral("saves"), saves);
    result.setFigure(QStringLiteral("button_click"), click.toJson());
    result.setFigure(QStringLiteral("button_until_idle"), idle.toJson());
    result.setFigure(QStringLiteral("store_save"), save.toJson());
    result.setFigure(QStringLiteral("store_file_write"), write.toJson());
    result.setFigure(QStringLiteral("store_names"), names.toJson());
    result.write(out);
    QTextStream(stdout) << "saved " << cameras << ": click " << formatMicros(click.medianMicros) << ", until idle "
                        << formatMicros(idle.medianMicros) << ", store save " << formatMicros(save.medianMicros)
                        << " + write " << formatMicros(write.medianMicros) << "\n";
}

int fail(const char *what)
{
    std::fprintf(stderr, "bench_saved: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int cameras = options.number(QStringLiteral("cameras"), 1000);
    const int saves = options.number(QStringLiteral("saves"), 15);
    BenchHome home;
    prepareLikeTheProgram(argc, argv);
    if (!writeSavedCameras(home.settingsFileFor(QStringLiteral("halvorine-remote")), cameras))
        return fail("cannot write the saved cameras");
    Corvanta app(argc, argv);
    RemoteDriver driver;
    if (!driver.window() || !driver.showAndWaitUntilExposed(10000))
        return fail("the main window did not show");
    if (driver.widget<QComboBox>("ipCombo")->count() != cameras)
        return fail("the window did not list the saved cameras");

    SaveTimes ui;
    StoreTimes store;
    if (!saveThroughButton(driver, saves, ui))
        return fail("a save through the button did not add one camera");
    if (!saveInStoreAlone(home.dataHome() + QStringLiteral("/store-alone.ini"), cameras, saves, store))
        return fail("a save in the store alone did not add one camera");
    report(cameras, saves, ui, store, options.outDirectory());
    return 0;
}
