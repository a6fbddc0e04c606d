#include "previewunderload.h"

#include "remotedriver.h"
#include "stampwatcher.h"

#include "ui/previewdlg.h"

#include <QAbstractButton>
#include <QDeadlineTimer>
#include <QFrame>

PreviewUnderLoad::PreviewUnderLoad(RemoteDriver &driver, RtspTestServer &server)
    : driver(driver)
    , server(server)
{
    dialog = driver.window()->findChild<PreviewDlg *>();
    previewButton = driver.widget<QAbstractButton>("previewBtn");
    if (!dialog)
        return;
    player = dialog->findChild<QFrame *>(QStringLiteral("player"));
    playButton = dialog->findChild<QAbstractButton *>(QStringLiteral("playBtn"));
    stopButton = dialog->findChild<QAbstractButton *>(QStringLiteral("StopBtn"));
    snapCheck = dialog->findChild<QAbstractButton *>(QStringLiteral("snapCheck"));
}

QString PreviewUnderLoad::missingWidget() const
{
    const std::pair<const void *, const char *> wanted[] = {
        {dialog, "PreviewDlg"}, {player, "player"},     {previewButton, "previewBtn"},
        {playButton, "playBtn"}, {stopButton, "StopBtn"}, {snapCheck, "snapCheck"}};
    for (const auto &[widget, name] : wanted) {
        if (!widget)
            return QString::fromLatin1(name);
    }
    return QString();
}

bool PreviewUnderLoad::showsNewPictures(int timeoutMs) const
{
    // The frame's place on the screen is read when the watcher starts, so a frame that
    // is still being mapped or laid out is tried again until the time is up.
    const QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        StampWatcher watcher;
        if (watcher.start(player->winId(), 5000)
            && RemoteDriver::pollUntil([&] { return watcher.framesSoFar() >= 2; }, 10,
                                       static_cast<int>(qMin<qint64>(deadline.remainingTime(), 1000))))
            return true;
        watcher.stop();
        RemoteDriver::settle(50);
    }
    return false;
}
