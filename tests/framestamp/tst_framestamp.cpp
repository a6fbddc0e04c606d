// The capture stamp of the latency bench: what the test server writes must read back
// from the screen as the same time, whatever the scaling and levels, and a read taken
// half way between two frames must never give a third time.
#include "framestamp.h"
#include "starttestserver.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>

#include <random>
#include <time.h>
#include <vector>

namespace {

constexpr int width = 640;
constexpr int height = 360;

std::vector<std::uint8_t> stampedLuma(std::uint32_t milliseconds)
{
    std::vector<std::uint8_t> luma(static_cast<std::size_t>(width) * height, 90);
    FrameStamp::write(luma.data(), width, width, height, milliseconds);
    return luma;
}

// The row through the middle of the band, scaled to `shownWidth` (nearest pixel) and
// mapped to other levels, as a player and the screen read-back would show it.
std::vector<std::uint8_t> shownRow(const std::vector<std::uint8_t> &luma, int shownWidth, int black, int white)
{
    const std::uint8_t *row = luma.data() + static_cast<std::size_t>(height / 16) * width;
    std::vector<std::uint8_t> shown(static_cast<std::size_t>(shownWidth));
    for (int x = 0; x < shownWidth; ++x) {
        const int source = row[x * width / shownWidth];
        shown[static_cast<std::size_t>(x)] = static_cast<std::uint8_t>(black + (source - 16) * (white - black) / (235 - 16));
    }
    return shown;
}

qint64 monotonicMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

} // namespace

class TestFrameStamp : public QObject
{
    Q_OBJECT

private slots:
    void readsBackWhatWasWritten_data()
    {
        QTest::addColumn<int>("shownWidth");
        QTest::addColumn<int>("black");
        QTest::addColumn<int>("white");
        QTest::newRow("as made") << width << 16 << 235;
        QTest::newRow("full range") << width << 0 << 255;
        QTest::newRow("shrunk to a small player") << 333 << 16 << 235;
        QTest::newRow("grown to full HD, dim") << 1920 << 40 << 180;
    }
    void readsBackWhatWasWritten()
    {
        QFETCH(int, shownWidth);
        QFETCH(int, black);
        QFETCH(int, white);
        std::mt19937 random(7);
        for (std::uint32_t value : {0u, 1u, 0xFFFFFFu, 0x800000u, 0x2AAAAAu}) {
            std::uint32_t read = 0;
            QVERIFY(FrameStamp::read(shownRow(stampedLuma(value), shownWidth, black, white).data(), shownWidth, &read));
            QCOMPARE(read, value);
        }
        for (int i = 0; i < 200; ++i) {
            // The value is taken modulo 2^24.
            const std::uint32_t value = static_cast<std::uint32_t>(random());
            std::uint32_t read = 0;
            QVERIFY(FrameStamp::read(shownRow(stampedLuma(value), shownWidth, black, white).data(), shownWidth, &read));
            QCOMPARE(read, value & FrameStamp::valueMask);
        }
    }

    void aTornOrBlankReadGivesNoTimeOrOneOfTheTwo()
    {
        std::mt19937 random(11);
        int refused = 0;
        for (int i = 0; i < 2000; ++i) {
            const std::uint32_t before = random() & FrameStamp::valueMask;
            const std::uint32_t after = (before + 40) & FrameStamp::valueMask;
            auto row = shownRow(stampedLuma(before), width, 16, 235);
            const auto next = shownRow(stampedLuma(after), width, 16, 235);
            // The screen updated from some column on.
            const int from = static_cast<int>(random() % width);
            std::copy(next.begin() + from, next.end(), row.begin() + from);
            std::uint32_t read = 0;
            if (!FrameStamp::read(row.data(), width, &read)) {
                ++refused;
                continue;
            }
            QVERIFY2(read == before || read == after, qPrintable(QString::number(read)));
        }
        QVERIFY(refused > 0);
        const std::vector<std::uint8_t> black(width, 16);
        std::uint32_t read = 0;
        QVERIFY(!FrameStamp::read(black.data(), width, &read));
        QVERIFY(!FrameStamp::read(black.data(), 40, &read));
    }

    void unwrapGivesTheLatestTimeWithThoseLowBits()
    {
        const qint64 period = qint64(1) << 24;
        QCOMPARE(FrameStamp::unwrap(100, 5 * period + 150), 5 * period + 100);
        QCOMPARE(FrameStamp::unwrap(100, 5 * period + 100), 5 * period + 100);
        // Captured just before the low bits wrapped, read just after.
        QCOMPARE(FrameStamp::unwrap(0xFFFFF0, 5 * period + 20), 5 * period - 16);
    }

    // The server's stamps survive H.264 at its own settings: consecutive frames read
    // as consecutive capture times, close to now.
    void theServersFramesCarryTheirCaptureTime()
    {
        std::vector<qint64> times;
        qint64 now = 0;
        if (!decodeStamps({}, 25, times, now))
            return;
        for (std::size_t f = 1; f < times.size(); ++f)
            QVERIFY2(times[f] > times[f - 1], qPrintable(QStringLiteral("frame %1 is not later than the one before").arg(f)));
        // 24 frame intervals of 40 ms; a loaded machine makes single frames late.
        const qint64 span = times.back() - times.front();
        QVERIFY2(span >= 24 * 40 - 200 && span <= 24 * 40 + 200, qPrintable(QStringLiteral("%1 ms").arg(span)));
        QVERIFY2(now - times.back() >= 0 && now - times.back() < 5000, qPrintable(QString::number(now - times.back())));
    }

    // Packets held back at random must still come at the pace they were captured:
    // held back up to 150 ms, the last of 4 s of frames is at most that (and the
    // decoder's own time) behind.
    void jitteredPacketsKeepTheCapturePace()
    {
        std::vector<qint64> times;
        qint64 now = 0;
        if (!decodeStamps({"--jitter", "150"}, 100, times, now))
            return;
        const qint64 behind = now - times.back();
        QVERIFY2(behind >= 0 && behind < 1000, qPrintable(QStringLiteral("the last frame arrived %1 ms after its capture").arg(behind)));
    }

private:
    // The capture times of the first `count` frames the server sends with `options`,
    // decoded by ffmpeg, and the time it finished.
    bool decodeStamps(const QStringList &options, int count, std::vector<qint64> &times, qint64 &now)
    {
        const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
        if (ffmpeg.isEmpty()) {
            QTest::qSkip("ffmpeg is not installed", __FILE__, __LINE__);
            return false;
        }
        RtspTestServer server(QStringLiteral("127.0.0.50"), {"--stamp", "--fps", "25"}, 8554);
        if (server.start(options) != RtspTestServer::Start::Ready) {
            QTest::qFail(qPrintable(server.diagnostics()), __FILE__, __LINE__);
            return false;
        }
        QProcess decoder;
        decoder.start(ffmpeg, {"-loglevel", "error", "-rtsp_transport", "tcp", "-i", "rtsp://127.0.0.50:8554/1",
                               "-frames:v", QString::number(count), "-f", "rawvideo", "-pix_fmt", "gray", "-"});
        if (!decoder.waitForFinished(30000)) {
            QTest::qFail("ffmpeg did not finish", __FILE__, __LINE__);
            return false;
        }
        now = monotonicMilliseconds();
        const QByteArray frames = decoder.readAllStandardOutput();
        if (frames.size() != count * width * height) {
            QTest::qFail(qPrintable(QStringLiteral("%1 bytes decoded").arg(frames.size())), __FILE__, __LINE__);
            return false;
        }
        for (int f = 0; f < count; ++f) {
            const auto *row = reinterpret_cast<const std::uint8_t *>(frames.constData())
                + static_cast<qsizetype>(f) * width * height + static_cast<qsizetype>(height / 16) * width;
            std::uint32_t value = 0;
            if (!FrameStamp::read(row, width, &value)) {
                QTest::qFail(qPrintable(QStringLiteral("no stamp in frame %1").arg(f)), __FILE__, __LINE__);
                return false;
            }
            times.push_back(FrameStamp::unwrap(value, now));
        }
        return true;
    }
};

QTEST_GUILESS_MAIN(TestFrameStamp)
#include "tst_framestamp.moc"
