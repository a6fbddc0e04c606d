// How a stream of the camera's SDP is described to libVLC, whatever values the
// SDP claims.

// QtTest first: vlc_common.h defines msleep() as a macro, which QThread declares.
#include <QtTest>

#include "es_format_from_stream.h"

#include <memory>

namespace {

struct ContextDeleter {
    void operator()(AVFormatContext *context) const { avformat_free_context(context); }
};

// One stream as libavformat's SDP parser leaves it.
class SdpStream {
public:
    SdpStream(AVMediaType type, AVCodecID codec)
        : context_(avformat_alloc_context())
    {
        stream_ = avformat_new_stream(context_.get(), nullptr);
        stream_->codecpar->codec_type = type;
        stream_->codecpar->codec_id = codec;
    }
    AVCodecParameters &par() { return *stream_->codecpar; }
    void setChannels(int channels)
    {
#if LIBAVUTIL_VERSION_INT >= AV_VERSION_INT(57, 24, 100)
        av_channel_layout_uninit(&par().ch_layout);
        par().ch_layout.order = AV_CHANNEL_ORDER_UNSPEC;
        par().ch_layout.nb_channels = channels;
#else
        par().channels = channels;
#endif
    }
    bool describe(es_format_t &fmt) const { return esFormatFromStream(*stream_, fmt); }

private:
    std::unique_ptr<AVFormatContext, ContextDeleter> context_;
    AVStream *stream_ = nullptr;
};

} // namespace

class EsFormatTest : public QObject {
    Q_OBJECT

private slots:
    void channelCounts_data()
    {
        QTest::addColumn<int>("claimed");
        QTest::addColumn<bool>("passedOn");
        QTest::addColumn<int>("channels");
        QTest::newRow("none said") << 0 << true << 1;
        QTest::newRow("stereo") << 2 << true << 2;
        QTest::newRow("most libVLC takes") << INPUT_CHAN_MAX << true << INPUT_CHAN_MAX;
        QTest::newRow("one too many") << INPUT_CHAN_MAX + 1 << false << 0;
        QTest::newRow("256, 0 as a byte") << 256 << false << 0;
        QTest::newRow("300, 44 as a byte") << 300 << false << 0;
    }
    void channelCounts()
    {
        QFETCH(int, claimed);
        QFETCH(bool, passedOn);
        QFETCH(int, channels);
        SdpStream stream(AVMEDIA_TYPE_AUDIO, AV_CODEC_ID_PCM_MULAW);
        stream.par().sample_rate = 8000;
        stream.setChannels(claimed);
        es_format_t fmt;
        QCOMPARE(stream.describe(fmt), passedOn);
        if (!passedOn)
            return;
        QCOMPARE(int(fmt.audio.i_channels), channels);
        QCOMPARE(fmt.audio.i_rate, 8000u);
        es_format_Clean(&fmt);
    }

    void unknownCodecIsNotPassedOn()
    {
        SdpStream stream(AVMEDIA_TYPE_VIDEO, AV_CODEC_ID_THEORA);
        es_format_t fmt;
        QVERIFY(!stream.describe(fmt));
    }
};

QTEST_GUILESS_MAIN(EsFormatTest)
#include "tst_plugin_es_format.moc"
