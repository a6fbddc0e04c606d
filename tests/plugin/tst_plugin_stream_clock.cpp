// Packet times to libVLC ticks and PCR, without a network or libVLC running.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "stream_clock.h"

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
    // waited for them to pass the old ones would freeze the picture.
    void timesGoingBackRestartThePcr()
    {
        StreamClock clock(1);
        PacketTiming before;
        for (double t = 10.0; t < 13.0; t += 0.04)
            before = clock.stamp(kVideo, videoAt(t), AV_NOPTS_VALUE, kVideoClock);
        const PacketTiming restarted = clock.stamp(kVideo, videoAt(0.0), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(!before.discontinuity);
        QVERIFY(restarted.discontinuity);
        QVERIFY(restarted.pts > VLC_TS_0);
        QVERIFY(restarted.pcr != VLC_TS_INVALID && restarted.pcr < before.pcr);
        const PacketTiming next = clock.stamp(kVideo, videoAt(0.04), AV_NOPTS_VALUE, kVideoClock);
        QVERIFY(!next.discontinuity);
        QCOMPARE(next.pcr - restarted.pcr, mtime_t(40000));
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
