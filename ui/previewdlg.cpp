#include "ui/previewdlg.h"

#include "app/heapreturn.h"
#include "app/showmessage.h"
#include "settings/previewlatency.h"
#include "ui/previewdlgui.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFrame>
#include <QLayout>
#include <QMainWindow>
#include <QPushButton>

#include <vlc/vlc.h>

namespace {
const char networkCachingOption[] = ":network-caching=300";
// Low latency: libVLC's cache covers decoding and the video output only, the RTSP
// input delays the packets just enough for the jitter it sees, and one decoding
// thread holds no frame back (each frame thread holds one).
const char *const lowLatencyOptions[] = {":network-caching=20", ":halvorine-rtsp-adaptive-delay",
                                         ":avcodec-threads=1"};
// Snap off: a dialog window again, with minimise, maximise and close buttons.
constexpr Qt::WindowFlags floatingFlags =
    Qt::Dialog | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
} // namespace

PreviewDlg::PreviewDlg(QWidget *parent)
    : QDialog(parent, Qt::WindowFlags())
    , active(false)
    , address(QStringLiteral("0.0.0.0"))
    , ui(new PreviewDlgUi())
    , vlcInstance(nullptr)
    , mediaPlayer(nullptr)
    , media(nullptr)
    , mainWindow(nullptr)
{
    ui->setupUi(this);
    mainWindow = qobject_cast<QMainWindow *>(parent);
    connect(ui->playBtn, SIGNAL(clicked(bool)), this, SLOT(onStartBtnClicked()));
    connect(ui->StopBtn, SIGNAL(clicked(bool)), this, SLOT(onStopBtnClicked()));
    connect(ui->snapCheck, SIGNAL(toggled(bool)), this, SLOT(onSnapChecked(bool)));

    vlcInstance = libvlc_new(0, nullptr);
    if (!vlcInstance) {
        showMessage(QStringLiteral("Can not open your live stream"));
        close();
    }
}

PreviewDlg::~PreviewDlg()
{
    delete ui;
    ui = nullptr;
    // Stop while the frame's native window still exists: libVLC draws into it.
    if (mediaPlayer) {
        libvlc_media_player_stop(mediaPlayer);
        libvlc_media_player_release(mediaPlayer);
        mediaPlayer = nullptr;
    }
    if (vlcInstance)
        libvlc_release(vlcInstance);
}

void PreviewDlg::playStream()
{
    if (!vlcInstance) {
        // libVLC could not start at all: say so rather than hand it a missing instance.
        showMessage(QStringLiteral("Can not open your live stream"));
        return;
    }
    if (active) {
        stopStream();
        active = false;
    }

    const QByteArray url = (QStringLiteral("rtsp://") + address + QStringLiteral("/1")).toUtf8();
    media = libvlc_media_new_location(vlcInstance, url.constData());
    if (!media) {
        showMessage(QStringLiteral("Can not open your stream"));
        return;
    }
    if (PreviewLatencyChoice::current() == PreviewLatency::Low) {
        for (const char *option : lowLatencyOptions)
            libvlc_media_add_option(media, option);
    } else {
        libvlc_media_add_option(media, networkCachingOption);
    }
    mediaPlayer = libvlc_media_player_new_from_media(media);

    int playResult = 0;
    if (mediaPlayer) {
        libvlc_audio_set_volume(mediaPlayer, 0);
        attachVideoWindow();
        playResult = libvlc_media_player_play(mediaPlayer);
    }
    const bool failed = !mediaPlayer || playResult == -1;

    // The player keeps what it needs of the media. Released, and the player
    // accounted for in `active`, before any message: the box runs a nested event
    // loop in which the camera link may start or stop a stream, and that must
    // find nothing half-held to overwrite.
    libvlc_media_release(media);
    media = nullptr;
    active = true;
    if (failed)
        showMessage(QStringLiteral("Can not open your live stream."));
}

// Hands the frame's native window to the player; asking for the handle gives the
// frame a native window of its own.
void PreviewDlg::attachVideoWindow()
{
    const WId handle = ui->player->winId();
#if defined(Q_OS_WIN)
    libvlc_media_player_set_hwnd(mediaPlayer, reinterpret_cast<void *>(handle));
#elif defined(Q_OS_MACOS)
    libvlc_media_player_set_nsobject(mediaPlayer, reinterpret_cast<void *>(handle));
#else
    libvlc_media_player_set_xwindow(mediaPlayer, static_cast<uint32_t>(handle));
#endif
}

int PreviewDlg::picturesShown() const
{
    if (!isPlaying())
        return -1;
    libvlc_media_t *playing = libvlc_media_player_get_media(mediaPlayer);
    if (!playing)
        return -1;
    libvlc_media_stats_t stats;
    const bool known = libvlc_media_get_stats(playing, &stats);
    libvlc_media_release(playing);
    return known ? stats.i_displayed_pictures : -1;
}

void PreviewDlg::stopStream()
{
    if (active && mediaPlayer) {
        libvlc_media_player_stop(mediaPlayer);
        libvlc_media_player_release(mediaPlayer);
        // libVLC leaves its last picture in the frame's window; paint the frame black
        // again so that a stopped preview does not look like a frozen camera.
        ui->player->update();
        HeapReturn::afterPlayerStopped();
    }
    mediaPlayer = nullptr;
    active = false;
}

void PreviewDlg::setAddressAndPlay(QString newAddress)
{
    stopStream();
    address = newAddress;
    playStream();
}

void PreviewDlg::closeEvent(QCloseEvent *event)
{
    stopStream();
    // Accepted here rather than passed on, so closing never rejects the dialog.
    event->accept();
}

void PreviewDlg::onStartBtnClicked()
{
    playStream();
}

void PreviewDlg::onStopBtnClicked()
{
    stopStream();
}

void PreviewDlg::onSnapChecked(bool checked)
{
    QLayout *dock = mainWindow && mainWindow->centralWidget() ? mainWindow->centralWidget()->layout() : nullptr;
    if (checked) {
        setWindowFlags(Qt::Widget);
        if (dock)
            dock->addWidget(this);
    } else {
        setWindowFlags(floatingFlags);
        if (dock)
            dock->removeWidget(this);
    }
    if (mainWindow)
        mainWindow->adjustSize();
}
