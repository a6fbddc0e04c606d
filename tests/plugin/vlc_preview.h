#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <condition_variable>
#include <mutex>
#include <vector>

#include <vlc/vlc.h>

// A libVLC player as the program uses one, except that pictures go to memory
// (vmem, no X server) and audio to a callback (amem, no sound device).
// Loads our plugin from the build (VLC_PLUGIN_PATH).
class VlcPreview {
public:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 240;

    // rtsp-test-server's options for the picture these players are made for: the
    // size above, and moving, so that every frame is a distinct picture.
    static QStringList serverStream();
    // The media options the program's low-latency preview plays with; a decoder
    // with more threads than its one holds frames back.
    static QStringList lowLatencyOptions(int decodingThreads = 1);

    explicit VlcPreview(const QStringList &mediaOptions = {});
    ~VlcPreview();

    void play(const QString &url);
    bool waitForFrames(int count, int timeoutMs); // distinct pictures
    bool waitForSound(int timeoutMs);     // decoded audio that is not silence
    bool waitForEnd(int timeoutMs);       // Ended or Error
    qint64 msUntilFrame(int number) const; // since play(), 1-based
    qint64 msSincePlay() const;
    // The size the stream's picture had when frame `number` was shown, before
    // libVLC scaled it to kWidth x kHeight. libVLC knows no size for the first
    // pictures of a video output that is still starting (seen on a busy machine):
    // the latest size known by then, empty if none yet.
    QSize sourceSize(int number) const;
    // The first distinct picture after frame `after` whose source had `size`:
    // its number, or 0 if none came in time.
    int waitForFrameOfSize(const QSize &size, int after, int timeoutMs);
    int frameCount() const;
    QImage latestFrame() const;
    std::vector<QImage> frames() const; // the first 100 distinct pictures
    qint64 stopAndMeasureMs();
    bool ourModuleLogged() const; // halvorine_rtsp wrote to the log
    QString log() const;

private:
    static void *lockPicture(void *self, void **planes);
    static void displayPicture(void *self, void *picture);
    static void playAudio(void *self, const void *samples, unsigned count, int64_t pts);
    static void onEvent(const libvlc_event_t *event, void *self);
    static void onLog(void *self, int level, const libvlc_log_t *context, const char *format, va_list args);
    template<typename Predicate> bool waitUntil(int timeoutMs, Predicate ready);

    QStringList mediaOptions_;
    libvlc_instance_t *vlc_ = nullptr;
    libvlc_media_player_t *player_ = nullptr;
    std::vector<uchar> pixels_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    QImage latest_;
    std::vector<QImage> frames_;
    size_t latestHash_ = 0;
    std::vector<qint64> frameTimesMs_;
    std::vector<QSize> frameSourceSizes_; // one per distinct picture
    qint64 playStartNs_ = 0;
    int audioPeak_ = 0;
    bool ended_ = false;
    bool moduleLogged_ = false;
    QStringList log_;
};
