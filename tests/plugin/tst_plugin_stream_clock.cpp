// Packet times to libVLC ticks and PCR, without a network or libVLC running.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "stream_clock.h"

#include <algorithm>
#include <random>
#include <vector>

namespace {
constexpr AVRational kVideoClock{1, 90000}; // RTP video clock rate
constexpr AVRational kAudioClock{1, 8000};  // G.711
constexpr int kVideo = 0;
constexpr int kAudio = 1;

int64_t videoAt(double seconds) { return static_cast<int64_t>(seconds * 90000); }
int64_t audioAt(double seconds) { return static_cast<int64_t>(seconds * 8000); }
} // namespace

class StreamClockTest : public QObject {
    Q_OBJECT

private slots:
    void ticksAreMicrosecondsFromTheFirstPacket()
    {
        StreamClock clock(1);
        const PacketTiming first = clock.stamp(kVideo, videoAt(100.0), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming later = clock.stamp(kVideo, videoAt(100.04), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(first.pts > VLC_TS_0);
        QCOMPARE(first.dts, first.pts); // RTP gives no decoding times
        QCOMPARE(later.pts - first.pts, mtime_t(40000));
        QCOMPARE(later.pcr, later.dts);
    }

    void pcrWaitsForTheStreamThatLags()
    {
        StreamClock clock(2);
        clock.stamp(kVideo, videoAt(0.0), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming audio = clock.stamp(kAudio, audioAt(0.1), AV_NOPTS_VALUE, kAudioClock);
        const PacketTiming video = clock.stamp(kVideo, videoAt(0.3), AV_NOPTS_VALUE, kVideoClock);
        QCOMPARE(video.pcr, audio.dts);
    }

    void stoppedStreamNoLongerHoldsThePcrBack()
    {
        StreamClock clock(2);
        const PacketTiming audio = clock.stamp(kAudio, audioAt(0.0), AV_NOPTS_VALUE, kAudioClock);
        PacketTiming video;
        for (double t = 0.0; t < 2.0; t += 0.04)
            video = clock.stamp(kVideo, videoAt(t), AV_NOPTS_VALUE, kVideoClock);
        QCOMPARE(video.pcr, video.dts);
        QVERIFY(video.pcr > audio.dts);
    }

    // A camera whose encoder restarts sends times from zero again; a PCR that
    // waited for them to pass the old ones would freeze the picture, and one
    // that stepped back would make libVLC buffer anew.
    void timesGoingBackGoOnFromTheLastTick()
    {
        StreamClock clock(1);
        PacketTiming before;
        for (double t = 10.0; t < 13.0; t += 0.04)
            before = clock.stamp(kVideo, videoAt(t), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming restarted = clock.stamp(kVideo, videoAt(0.0), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(!before.discontinuity);
        QVERIFY(restarted.discontinuity);
        QCOMPARE(restarted.dts - before.dts, mtime_t(40000));
        QCOMPARE(restarted.pcr, restarted.dts);
        const PacketTiming next = clock.stamp(kVideo, videoAt(0.04), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(!next.discontinuity);
        QCOMPARE(next.pcr - restarted.pcr, mtime_t(40000));
    }

    // Video at 25 and audio at 50 packets a second for 8 s, as they arrive;
    // at 4 s one of them restarts with times `jump` seconds away, the other
    // carries on. Nothing may be late (before the PCR announced ahead of it),
    // the PCR never goes back and keeps pace, and the other stream is left alone.
    void oneStreamRestartingLeavesTheOtherAndThePcrAlone_data()
    {
        QTest::addColumn<int>("restarting");
        QTest::addColumn<double>("jump");
        QTest::newRow("video back to zero") << kVideo << -4.0;
        QTest::newRow("audio back to zero") << kAudio << -4.0;
        QTest::newRow("video 3 h back") << kVideo << -3 * 3600.0;
        QTest::newRow("video 3 h on") << kVideo << 3 * 3600.0;
        QTest::newRow("audio 3 h back") << kAudio << -3 * 3600.0;
        QTest::newRow("audio 3 h on") << kAudio << 3 * 3600.0;
    }
    void oneStreamRestartingLeavesTheOtherAndThePcrAlone()
    {
        QFETCH(int, restarting);
        QFETCH(double, jump);
        const double start = 7200.0; // libavformat's NTP-based times are large
        StreamClock clock(2);
        mtime_t pcr = VLC_TS_INVALID;
        mtime_t firstPcr = VLC_TS_INVALID;
        int discontinuities[2] = {0, 0};
        for (int packet = 0; packet < 8 * 50; ++packet) {
            const double t = packet / 50.0;
            for (int stream : {kAudio, kVideo}) {
                if (stream == kVideo && packet % 2)
                    continue;
                const double sent = start + t + (stream == restarting && t >= 4.0 ? jump : 0.0);
                const PacketTiming timing = stream == kVideo
                    ? clock.stamp(kVideo, videoAt(sent), AV_NOPTS_VALUE, kVideoClock)
                    : clock.stamp(kAudio, audioAt(sent), AV_NOPTS_VALUE, kAudioClock);
                if (timing.pcr != VLC_TS_INVALID) {
                    QVERIFY2(pcr == VLC_TS_INVALID || timing.pcr > pcr, qPrintable(QString::number(t)));
                    pcr = timing.pcr;
                    if (firstPcr == VLC_TS_INVALID)
                        firstPcr = pcr;
                }
                QVERIFY2(timing.dts >= pcr, qPrintable(QStringLiteral("stream %1 late at %2 s").arg(stream).arg(t)));
                discontinuities[stream] += timing.discontinuity;
            }
        }
        QCOMPARE(discontinuities[restarting], 1);
        QCOMPARE(discontinuities[1 - restarting], 0);
        QVERIFY2(pcr - firstPcr > mtime_t(7.9 * CLOCK_FREQ), qPrintable(QString::number(pcr - firstPcr)));
    }

    // Audio that joins with times of its own (no RTCP yet to align it): put
    // where the video is, rather than holding the PCR back or arriving late.
    void streamJoiningFarAwayIsPutWithTheOthers()
    {
        StreamClock clock(2);
        PacketTiming video;
        for (double t = 0.0; t < 1.0; t += 0.04)
            video = clock.stamp(kVideo, videoAt(500.0 + t), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming audio = clock.stamp(kAudio, audioAt(3.0), AV_NOPTS_VALUE, kAudioClock);
        QVERIFY(!audio.discontinuity);
        QCOMPARE(audio.dts, video.dts);
        const PacketTiming later = clock.stamp(kAudio, audioAt(3.02), AV_NOPTS_VALUE, kAudioClock);
        QCOMPARE(later.dts - audio.dts, mtime_t(20000));
    }

    // Frames that take 20 ms to arrive, each held back by up to 150 ms more
    // (in order, as a jittery network delivers them). libVLC dates the
    // pictures from when each PCR arrives: the PCR must keep to the quickest
    // frames' pace, not follow each held-back one.
    //
    // Where libavformat's parser hands each frame over only when the next
    // frame's first packet comes, the clock is told so: the PCR must then
    // count from that next frame's packet, not date everything a frame late.
    void pcrKeepsThePaceOfTheQuickestPackets_data()
    {
        QTest::addColumn<bool>("handedOverWithNext");
        QTest::newRow("handed over as it comes") << false;
        QTest::newRow("handed over with the next frame") << true;
    }
    void pcrKeepsThePaceOfTheQuickestPackets()
    {
        QFETCH(bool, handedOverWithNext);
        StreamClock clock(1);
        if (handedOverWithNext)
            clock.setHandedOverWithNextUnit(kVideo);
        std::mt19937 random(7);
        std::uniform_int_distribution<mtime_t> hold(0, 150000);
        const mtime_t start = 1000 * CLOCK_FREQ; // mdate() of the first capture
        constexpr int kFrames = 150;
        std::vector<mtime_t> arrival(kFrames + 1);
        for (int frame = 0; frame <= kFrames; ++frame)
            arrival[frame] = std::max(frame ? arrival[frame - 1] : 0, start + frame * 40000 + 20000 + hold(random));
        mtime_t offset = VLC_TS_INVALID, pcr = VLC_TS_INVALID, worst = 0;
        for (int frame = 0; frame < kFrames; ++frame) {
            const mtime_t captured = start + frame * 40000;
            const mtime_t handover = arrival[handedOverWithNext ? frame + 1 : frame];
            const PacketTiming timing = clock.stamp(kVideo, videoAt(frame * 0.04), AV_NOPTS_VALUE, kVideoClock, handover);
            if (offset == VLC_TS_INVALID)
                offset = timing.dts - captured;
            if (timing.pcr == VLC_TS_INVALID)
                continue;
            QVERIFY(pcr == VLC_TS_INVALID || timing.pcr > pcr);
            pcr = timing.pcr;
            // How long after the capture of the time it announces the PCR came.
            if (frame >= 50)
                worst = std::max(worst, handover - (pcr - offset));
        }
        QVERIFY2(worst >= 20000 && worst < 35000, qPrintable(QStringLiteral("%1 µs").arg(worst)));
    }

    void smallReorderingIsNoRestart()
    {
        StreamClock clock(1);
        clock.stamp(kVideo, videoAt(1.0), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming earlier = clock.stamp(kVideo, videoAt(0.96), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(!earlier.discontinuity);
        QCOMPARE(earlier.pcr, VLC_TS_INVALID); // the PCR never goes back
    }
};

QTEST_GUILESS_MAIN(StreamClockTest)
#include "tst_plugin_stream_clock.moc"
