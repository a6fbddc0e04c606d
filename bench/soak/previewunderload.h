#ifndef HALVORINE_BENCH_PREVIEWUNDERLOAD_H
#define HALVORINE_BENCH_PREVIEWUNDERLOAD_H

#include <QString>

class PreviewDlg;
class QAbstractButton;
class QFrame;
class RemoteDriver;
class RtspTestServer;

// The remote's preview as the soak and stress runs drive it: its dialog, the buttons an
// operator uses, and the test server whose event lines tell what reached it.
struct PreviewUnderLoad
{
    RemoteDriver &driver;
    RtspTestServer &server;
    PreviewDlg *dialog = nullptr;
    QFrame *player = nullptr;
    QAbstractButton *previewButton = nullptr;
    QAbstractButton *playButton = nullptr;
    QAbstractButton *stopButton = nullptr;
    QAbstractButton *snapCheck = nullptr;

    PreviewUnderLoad(RemoteDriver &driver, RtspTestServer &server);
    // The widget that could not be found, or an empty string.
    QString missingWidget() const;
    // Whether the player frame shows moving pictures (two different stamps) within
    // `timeoutMs`, read from the screen where the frame is now.
    bool showsNewPictures(int timeoutMs) const;
};

#endif
