#include "vlc_preview.h"

#include <QElapsedTimer>
#include <QHash>
#include <QtGlobal>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBytesPerLine = VlcPreview::kWidth * 4;
constexpr int kMaxLogLines = 200;
constexpr size_t kMaxKeptFrames = 100; // 4 s at 25 fps
constexpr int kSilencePeak = 1000; // of 32767; the test tone is at half scale

qint64 nowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

} // namespace

QStringList VlcPreview::serverStream()
{
    return {QStringLiteral("--width"), QString::number(kWidth), QStringLiteral("--height"), QString::number(kHeight),
            QStringLiteral("--motion")};
}

QStringList VlcPreview::lowLatencyOptions(int decodingThreads)
{
    return {QStringLiteral(":network-caching=20"), QStringLiteral(":halvorine-rtsp-adaptive-delay"),
            QStringLiteral(":avcodec-threads=%1").arg(decodingThreads)};
}

VlcPreview::VlcPreview(const QStringList &mediaOptions)
    : mediaOptions_(mediaOptions)
    , pixels_(kBytesPerLine * kHeight)
{
    qputenv("VLC_PLUGIN_PATH", HALVORINE_PLUGIN_DIR);
    // Under a loaded machine libVLC's decoder would otherwise skip the inverse DCT of
    // late frames ("hurry up"), handing over grey, colourless pictures that say
    // nothing about the input module. Statistics stay on, as in the program: the
    // low-latency preview reads its lost pictures from them.
    const char *args[] = {"--no-video-title-show", "--no-snapshot-preview", "--no-avcodec-hurry-up"};
    vlc_ = libvlc_new(sizeof args / sizeof *args, args);
    if (!vlc_)
        qFatal("libvlc_new() failed");
    libvlc_log_set(vlc_, &VlcPreview::onLog, this);
    player_ = libvlc_media_player_new(vlc_);
    libvlc_video_set_callbacks(player_, &VlcPreview::lockPicture, nullptr, &VlcPreview::displayPicture, this);
    libvlc_video_set_format(player_, "RV32", kWidth, kHeight, kBytesPerLine);
    libvlc_audio_set_callbacks(player_, &VlcPreview::playAudio, nullptr, nullptr, nullptr, nullptr, this);
    libvlc_audio_set_format(player_, "S16N", 8000, 1);
    libvlc_event_manager_t *events = libvlc_media_player_event_manager(player_);
    libvlc_event_attach(events, libvlc_MediaPlayerEndReached, &VlcPreview::onEvent, this);
    libvlc_event_attach(events, libvlc_MediaPlayerEncounteredError, &VlcPreview::onEvent, this);
}

VlcPreview::~VlcPreview()
{
    libvlc_media_player_stop(player_);
    libvlc_media_player_release(player_);
    libvlc_log_unset(vlc_);
    libvlc_release(vlc_);
}

void VlcPreview::play(const QString &url)
{
    libvlc_media_t *media = libvlc_media_new_location(vlc_, url.toUtf8().constData());
    for (const QString &option : mediaOptions_)
        libvlc_media_add_option(media, option.toUtf8().constData());
    libvlc_media_player_set_media(player_, media);
    libvlc_media_release(media);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        playStartNs_ = nowNs();
    }
    libvlc_media_player_play(player_);
}

void *VlcPreview::lockPicture(void *self, void **planes)
{
    *planes = static_cast<VlcPreview *>(self)->pixels_.data();
    return nullptr;
}

// libVLC shows the last picture again while it waits (buffering, a stalled
// clock); only a picture that differs from the one before counts as a new
// frame. The server's --motion makes every real frame differ.
void VlcPreview::displayPicture(void *self, void *)
{
    auto *preview = static_cast<VlcPreview *>(self);
    const std::vector<uchar> &pixels = preview->pixels_;
    const size_t hash = qHashBits(pixels.data(), pixels.size());
    // The visible size libVLC's decoder reports for the stream (the size the
    // video output is set up with is the decoder's buffer, padded).
    unsigned width = 0;
    unsigned height = 0;
    libvlc_video_get_size(preview->player_, 0, &width, &height);
    std::lock_guard<std::mutex> lock(preview->mutex_);
    if (!preview->frameTimesMs_.empty() && hash == preview->latestHash_)
        return;
    preview->latestHash_ = hash;
    preview->latest_ = QImage(pixels.data(), kWidth, kHeight, kBytesPerLine, QImage::Format_RGB32).copy();
    if (preview->frames_.size() < kMaxKeptFrames)
        preview->frames_.push_back(preview->latest_);
    preview->frameTimesMs_.push_back((nowNs() - preview->playStartNs_) / 1000000);
    preview->frameSourceSizes_.emplace_back(static_cast<int>(width), static_cast<int>(height));
    preview->changed_.notify_all();
}

void VlcPreview::playAudio(void *self, const void *samples, unsigned count, int64_t)
{
    auto *preview = static_cast<VlcPreview *>(self);
    const auto *pcm = static_cast<const int16_t *>(samples);
    int peak = 0;
    for (unsigned i = 0; i < count; ++i)
        peak = std::max(peak, std::abs(static_cast<int>(pcm[i])));
    std::lock_guard<std::mutex> lock(preview->mutex_);
    preview->audioPeak_ = std::max(preview->audioPeak_, peak);
    preview->changed_.notify_all();
}

void VlcPreview::onEvent(const libvlc_event_t *, void *self)
{
    auto *preview = static_cast<VlcPreview *>(self);
    std::lock_guard<std::mutex> lock(preview->mutex_);
    preview->ended_ = true;
    preview->changed_.notify_all();
}

void VlcPreview::onLog(void *self, int level, const libvlc_log_t *context, const char *format, va_list args)
{
    const char *module = nullptr;
    libvlc_log_get_context(context, &module, nullptr, nullptr);
    const bool ours = module && std::strcmp(module, "halvorine_rtsp") == 0;
    if ((!ours && level < LIBVLC_WARNING) || !format)
        return;
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    auto *preview = static_cast<VlcPreview *>(self);
    std::lock_guard<std::mutex> lock(preview->mutex_);
    preview->moduleLogged_ = preview->moduleLogged_ || ours;
    if (preview->log_.size() < kMaxLogLines)
        preview->log_ << QStringLiteral("%1: %2").arg(module ? module : "?", text);
}

template<typename Predicate>
bool VlcPreview::waitUntil(int timeoutMs, Predicate ready)
{
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready);
}

bool VlcPreview::waitForFrames(int count, int timeoutMs)
{
    return waitUntil(timeoutMs, [&] { return frameTimesMs_.size() >= static_cast<size_t>(count); });
}

bool VlcPreview::waitForSound(int timeoutMs)
{
    return waitUntil(timeoutMs, [&] { return audioPeak_ > kSilencePeak; });
}

bool VlcPreview::waitForEnd(int timeoutMs)
{
    return waitUntil(timeoutMs, [&] { return ended_; });
}

qint64 VlcPreview::msUntilFrame(int number) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return number >= 1 && static_cast<size_t>(number) <= frameTimesMs_.size() ? frameTimesMs_[number - 1] : -1;
}

qint64 VlcPreview::msSincePlay() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return (nowNs() - playStartNs_) / 1000000;
}

QSize VlcPreview::sourceSize(int number) const
{
    std::lock_guard<std::mutex> lock(mutex_);
    for (int i = std::min<int>(number, int(frameSourceSizes_.size())); i >= 1; --i) {
        if (!frameSourceSizes_[size_t(i - 1)].isEmpty())
            return frameSourceSizes_[size_t(i - 1)];
    }
    return {};
}

int VlcPreview::waitForFrameOfSize(const QSize &size, int after, int timeoutMs)
{
    int found = 0;
    waitUntil(timeoutMs, [&] {
        for (size_t i = static_cast<size_t>(std::max(after, 0)); i < frameSourceSizes_.size() && !found; ++i) {
            if (frameSourceSizes_[i] == size)
                found = static_cast<int>(i) + 1;
        }
        return found != 0;
    });
    return found;
}

int VlcPreview::frameCount() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return static_cast<int>(frameTimesMs_.size());
}

std::vector<QImage> VlcPreview::frames() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
}

QImage VlcPreview::latestFrame() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return latest_;
}

qint64 VlcPreview::stopAndMeasureMs()
{
    QElapsedTimer timer;
    timer.start();
    libvlc_media_player_stop(player_);
    return timer.elapsed();
}

bool VlcPreview::ourModuleLogged() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return moduleLogged_;
}

QString VlcPreview::log() const
{
    std::lock_guard<std::mutex> lock(mutex_);
    return log_.join('\n');
}
