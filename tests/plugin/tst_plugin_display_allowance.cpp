// The low-latency preview's allowance for a slow decoder or display, fed the way
// libVLC counts lost pictures: a picture held back less than the machine needs
// is lost, and the count shows it at the next 250 ms refresh after its time.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "display_allowance.h"

#include <deque>
#include <random>

namespace {
constexpr mtime_t kMs = 1000;
constexpr mtime_t kRefresh = 250 * kMs; // libVLC's statistics
constexpr mtime_t kInFlight = 100 * kMs; // from a packet to its picture's display
constexpr int kPlaySeconds = 600;
} // namespace

class DisplayAllowanceTest : public QObject {
    Q_OBJECT

private slots:
    void holdsBackWhatTheMachineNeeds_data()
    {
        QTest::addColumn<int>("fps");
        QTest::addColumn<int>("needMs");   // beyond the network's delay
        QTest::addColumn<int>("fromS");    // the need only from..
        QTest::addColumn<int>("untilS");   // ..until, or the whole play
        QTest::addColumn<int>("expectMs"); // the allowance at the end
        QTest::addColumn<int>("jitteryPerMille"); // pictures the network made late
        const int play = kPlaySeconds;
        QTest::newRow("a machine with time to spare") << 25 << 0 << 0 << play << 0 << 0;
        QTest::newRow("frame threads, 25 fps") << 25 << 56 << 0 << play << 56 << 0;
        QTest::newRow("a slow display, 50 fps") << 50 << 15 << 0 << play << 15 << 0;
        QTest::newRow("a jittery network, a fast machine") << 25 << 0 << 0 << play << 0 << 30;
        QTest::newRow("a jittery network, frame threads") << 25 << 56 << 0 << play << 56 << 30;
        QTest::newRow("a load that passes") << 25 << 60 << 20 << 25 << 0 << 0;
        QTest::newRow("more than holding back can help") << 25 << 400 << 0 << play << 200 << 0;
    }

    void holdsBackWhatTheMachineNeeds()
    {
        QFETCH(int, fps);
        QFETCH(int, needMs);
        QFETCH(int, fromS);
        QFETCH(int, untilS);
        QFETCH(int, expectMs);
        QFETCH(int, jitteryPerMille);
        std::mt19937 random(28);
        std::uniform_int_distribution<int> perMille(0, 999);
        const DisplayAllowance::Tuning tuning;
        DisplayAllowance allowance;
        const mtime_t interval = CLOCK_FREQ / fps;
        const mtime_t step = std::max(interval, tuning.smallestStep);
        std::deque<mtime_t> uncounted; // lost pictures' times, not yet in the count
        int64_t counted = 0, lostAfterStart = 0;
        int episodes = 0; // runs of lost pictures, after the start
        bool losing = false;
        mtime_t refreshed = 0, previous = 0;
        const int frames = kPlaySeconds * fps;
        for (int frame = 0; frame < frames; ++frame) {
            const mtime_t now = VLC_TS_0 + frame * interval;
            const double seconds = double(frame) / fps;
            if (now - refreshed >= kRefresh) {
                refreshed = now;
                while (!uncounted.empty() && uncounted.front() + kInFlight <= now) {
                    uncounted.pop_front();
                    ++counted;
                }
            }
            const bool jittery = perMille(random) < jitteryPerMille;
            const mtime_t held = allowance.allowanceFor(now, now, counted, jittery);
            // Rises by a frame at most (a frame repeated), falls by 1/16 of one.
            QVERIFY(held - previous <= step);
            QVERIFY(previous - held <= interval / tuning.fallDivider);
            const mtime_t need = seconds >= fromS && seconds < untilS ? needMs * kMs : 0;
            // Never rises past what was needed, and a step.
            QVERIFY(held <= std::max(previous, need + step));
            previous = held;
            const bool lost = held < need;
            if (lost || jittery)
                uncounted.push_back(now);
            if (seconds >= 5) {
                lostAfterStart += lost;
                episodes += lost && !losing;
            }
            losing = lost;
        }
        qInfo("allowance %lld ms at the end, %lld of %d pictures lost after 5 s, in %d runs",
              static_cast<long long>(allowance.current() / kMs), static_cast<long long>(lostAfterStart), frames,
              episodes);
        QVERIFY(allowance.current() >= expectMs * kMs);
        QVERIFY(allowance.current() <= expectMs * kMs + step);
        // Coming down to try again loses pictures ever more rarely: 10 s of quiet, then
        // 20, 40 ... (a fixed quiet would try some 50 times in 10 minutes).
        QVERIFY2(episodes <= (needMs > 0 && needMs < 200 ? 6 : 0) + (untilS - fromS < 60 ? 1 : 0),
                 qPrintable(QString::number(episodes)));
        if (needMs * kMs <= tuning.ceiling)
            QVERIFY(lostAfterStart * 100 <= frames);
    }

    void losesNothingToTheStartOrAMissingCount()
    {
        DisplayAllowance allowance;
        // Lost pictures while the play starts, and libVLC without statistics.
        QCOMPARE(allowance.allowanceFor(VLC_TS_0, VLC_TS_0, 0), 0);
        QCOMPARE(allowance.allowanceFor(VLC_TS_0 + CLOCK_FREQ, VLC_TS_0 + CLOCK_FREQ, 5), 0);
        QCOMPARE(allowance.allowanceFor(VLC_TS_0 + 3 * CLOCK_FREQ, VLC_TS_0 + 3 * CLOCK_FREQ, -1), 0);
        // A count that went back is where libVLC's count stands from then on.
        QCOMPARE(allowance.allowanceFor(VLC_TS_0 + 4 * CLOCK_FREQ, VLC_TS_0 + 4 * CLOCK_FREQ, 2), 0);
        QVERIFY(allowance.allowanceFor(VLC_TS_0 + 5 * CLOCK_FREQ, VLC_TS_0 + 5 * CLOCK_FREQ, 3) > 0);
    }
};

QTEST_GUILESS_MAIN(DisplayAllowanceTest)
#include "tst_plugin_display_allowance.moc"
