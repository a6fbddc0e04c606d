// The low-latency preview's adaptive delay, fed by the stream clock's lateness as
// the module feeds it: a clean stream, a burst of jitter, and the return.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "adaptive_delay.h"
#include "stream_clock.h"

#include <algorithm>
#include <random>

namespace {
constexpr AVRational kVideoClock{1, 90000};
constexpr mtime_t kTransit = 3000;     // the quickest packets' way through the network
constexpr mtime_t kCleanNoise = 2000;  // scheduling noise on a clean network
constexpr mtime_t kHiccup = 80 * 1000; // the machine busy elsewhere for a moment
constexpr double kJitterFrom = 10, kJitterUntil = 30, kEnd = 70; // seconds
} // namespace

class AdaptiveDelayTest : public QObject {
    Q_OBJECT

private slots:
    void followsTheJitterAndComesBack_data()
    {
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("jitterMs");
        QTest::addColumn<int>("hiccupEvery"); // frames between hiccups on the clean network, or 0
        QTest::newRow("25 fps, 150 ms") << 25 << 150 << 0;
        QTest::newRow("50 fps, 150 ms") << 50 << 150 << 0;
        QTest::newRow("25 fps, 40 ms") << 25 << 40 << 0;
        QTest::newRow("50 fps, 300 ms") << 50 << 300 << 0;
        QTest::newRow("25 fps, 150 ms, a hiccup every 3 s") << 25 << 150 << 75;
        QTest::newRow("50 fps, 40 ms, a hiccup every 3 s") << 50 << 40 << 150;
    }

    void followsTheJitterAndComesBack()
    {
        QFETCH(int, fps);
        QFETCH(int, jitterMs);
        QFETCH(int, hiccupEvery);
        const mtime_t interval = CLOCK_FREQ / fps;
        const mtime_t jitter = jitterMs * 1000;
        StreamClock clock(1);
        AdaptiveDelay delay;
        const AdaptiveDelay::Tuning tuning;
        std::mt19937 random(23);
        std::uniform_int_distribution<mtime_t> noise(0, kCleanNoise), hold(0, jitter);

        mtime_t cleanDelay = 0, largest = 0, lastShown = 0, lastDelay = 0, lastRelease = 0;
        int late = 0, lateByAFrame = 0;
        double backAt = -1;
        const int frames = static_cast<int>(kEnd * fps);
        for (int frame = 0; frame < frames; ++frame) {
            const double seconds = double(frame) / fps;
            const mtime_t captured = VLC_TS_0 + frame * interval;
            const bool jittery = seconds >= kJitterFrom && seconds < kJitterUntil;
            // A hiccup holds one packet back, and the next one with it.
            const bool hiccup = hiccupEvery > 0 && frame % hiccupEvery == hiccupEvery / 2;
            // Held back in order, as the test server's --jitter holds them.
            const mtime_t held = jittery ? hold(random) : hiccup ? kHiccup : noise(random);
            const mtime_t arrival = lastRelease = std::max(lastRelease, captured + kTransit + held);
            const PacketTiming timing = clock.stamp(0, frame * 3600 * 25 / fps, AV_NOPTS_VALUE, kVideoClock, arrival);
            const mtime_t now = delay.delayFor(arrival, timing.dts, timing.lateness);
            QVERIFY(now >= 0 && now <= std::max(jitter, kHiccup) + kCleanNoise + tuning.margin);
            // The pictures never closer together than 15/16 of a frame interval while
            // the delay comes down (no skip, no burst).
            if (timing.lateness != VLC_TS_INVALID && timing.lateness > now)
                ++late;
            if (timing.lateness != VLC_TS_INVALID && timing.lateness > now + interval)
                ++lateByAFrame;
            const mtime_t shown = captured + now;
            if (frame > 0)
                QVERIFY(shown - lastShown >= interval - interval / tuning.fallDivider);
            if (seconds > 2 && seconds < kJitterFrom)
                cleanDelay = std::max(cleanDelay, now);
            if (jittery)
                largest = std::max(largest, now);
            if (seconds >= kJitterUntil && backAt < 0 && now <= cleanDelay + interval)
                backAt = seconds - kJitterUntil;
            lastShown = shown;
            lastDelay = now;
        }
        qInfo("clean %lld us, under jitter up to %lld us, back within a frame %.1f s after it stopped, %d late (%d by a frame) of %d",
              static_cast<long long>(cleanDelay), static_cast<long long>(largest), backAt, late, lateByAFrame, frames);
        // Hiccups are late themselves and hold nothing else back. Under jitter a little
        // more than the forgiven share comes later than its delay, most by less than a
        // frame interval; those later still (a repeated frame each) are the forgiven
        // share at most, and the packets that open the jitter.
        QVERIFY(cleanDelay <= kCleanNoise + tuning.margin);
        const int hiccups = hiccupEvery > 0 ? int(kHiccup / interval) * frames / hiccupEvery : 0;
        const int jittered = int((kJitterUntil - kJitterFrom) * fps);
        const int opening = 1 + int(tuning.memory / interval) * tuning.forgivenPerMille / 1000;
        QVERIFY2(late <= hiccups + jittered * 2 * tuning.forgivenPerMille / 1000 + opening, qPrintable(QString::number(late)));
        QVERIFY2(lateByAFrame <= hiccups + jittered * tuning.forgivenPerMille / 1000 + opening, qPrintable(QString::number(lateByAFrame)));
        QVERIFY(largest >= jitter * 9 / 10);
        QVERIFY(backAt >= 0 && backAt <= 30);
        QVERIFY(lastDelay <= cleanDelay + interval / 4);
    }

    void aLongGapForgetsTheOldJitter()
    {
        AdaptiveDelay delay;
        const mtime_t margin = AdaptiveDelay::Tuning().margin;
        QCOMPARE(delay.delayFor(VLC_TS_0, VLC_TS_0, 200 * 1000), 200 * 1000 + margin);
        QCOMPARE(delay.delayFor(VLC_TS_0 + 40 * 1000, VLC_TS_0 + 40 * 1000, 250 * 1000), 200 * 1000 + margin);
        const mtime_t later = VLC_TS_0 + 60 * CLOCK_FREQ;
        QCOMPARE(delay.delayFor(later, later, VLC_TS_INVALID), margin);
        // Without the stream's time going on, the delay stays where it is.
        AdaptiveDelay stalled;
        stalled.delayFor(VLC_TS_0, VLC_TS_0, 100 * 1000);
        QCOMPARE(stalled.delayFor(later, VLC_TS_0, 0), 100 * 1000 + margin);
    }
};

QTEST_GUILESS_MAIN(AdaptiveDelayTest)
#include "tst_plugin_adaptive_delay.moc"
