// Where the glass-to-glass delay starts: from the capture stamp until an access unit
// is whole in libavformat, as the RTSP module reads it (out of libavformat's H.264
// parser, which hands over a frame when the next one's first packet comes) and as it
// could be at best (without the parser: when the frame's last packet arrived, which
// only the RTP marker bit tells at once, and libavformat keeps that bit to itself).
// Each access unit is decoded at once to read its stamp. No screen,
// no libVLC: the rest of the delay (libVLC's cache, decoder and video output) is
// glass to glass less this.
#include "rtsp_test_server.h"

#include "benchoptions.h"
#include "monotonic.h"
#include "resultfile.h"

#include "framestamp.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <QCoreApplication>
#include <QJsonArray>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <vector>
#include <unistd.h>

namespace {

const QString serverAddress = QStringLiteral("127.0.0.69");

double nowMs()
{
    return static_cast<double>(monotonicNanos()) / 1e6;
}

double percentile(std::vector<double> values, double share)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(std::ceil(share * static_cast<double>(values.size())));
    return values[std::min(values.size() - 1, rank == 0 ? 0 : rank - 1)];
}

// Decodes one access unit and gives its capture time (ms), or a negative value.
class StampDecoder
{
public:
    explicit StampDecoder(const AVCodecParameters &parameters)
    {
        const AVCodec *codec = avcodec_find_decoder(parameters.codec_id);
        context = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(context, &parameters);
        context->flags |= AV_CODEC_FLAG_LOW_DELAY;
        context->thread_count = 1;
        avcodec_open2(context, codec, nullptr);
        frame = av_frame_alloc();
        packet = av_packet_alloc();
    }
    ~StampDecoder()
    {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&context);
    }
    double captured(const std::vector<std::uint8_t> &accessUnit)
    {
        if (av_new_packet(packet, static_cast<int>(accessUnit.size())) < 0)
            return -1;
        std::copy(accessUnit.begin(), accessUnit.end(), packet->data);
        avcodec_send_packet(context, packet);
        av_packet_unref(packet);
        double time = -1;
        while (avcodec_receive_frame(context, frame) == 0) {
            std::uint32_t value = 0;
            const std::uint8_t *row = frame->data[0] + static_cast<std::ptrdiff_t>(frame->height / 16) * frame->linesize[0];
            if (FrameStamp::read(row, frame->width, &value))
                time = static_cast<double>(FrameStamp::unwrap(value, static_cast<std::int64_t>(nowMs())));
        }
        return time;
    }

private:
    AVCodecContext *context = nullptr;
    AVFrame *frame = nullptr;
    AVPacket *packet = nullptr;
};

// Capture → access unit whole, for `seconds` of the stream read with or without the parser.
bool measure(const QString &url, bool withParser, int seconds, std::vector<double> &delays)
{
    AVFormatContext *context = avformat_alloc_context();
    if (!withParser)
        context->flags |= AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
    AVDictionary *options = nullptr;
    av_dict_set(&options, "rtsp_transport", "tcp", 0);
    const int opened = avformat_open_input(&context, url.toUtf8().constData(), nullptr, &options);
    av_dict_free(&options);
    if (opened < 0)
        return false;
    StampDecoder decoder(*context->streams[0]->codecpar);
    AVPacket *packet = av_packet_alloc();
    std::vector<std::uint8_t> accessUnit;
    std::int64_t accessUnitTime = AV_NOPTS_VALUE;
    double lastArrival = 0;
    const double end = nowMs() + seconds * 1000.0;
    while (nowMs() < end && av_read_frame(context, packet) >= 0) {
        const double arrived = nowMs();
        // Without the parser, a packet is one RTP payload; an access unit was whole
        // when the last packet before the next time arrived.
        if (!withParser && packet->pts != accessUnitTime && !accessUnit.empty()) {
            const double captured = decoder.captured(accessUnit);
            if (captured > 0)
                delays.push_back(lastArrival - captured);
            accessUnit.clear();
        }
        accessUnitTime = packet->pts;
        lastArrival = arrived;
        accessUnit.insert(accessUnit.end(), packet->data, packet->data + packet->size);
        if (withParser) {
            const double captured = decoder.captured(accessUnit);
            if (captured > 0)
                delays.push_back(arrived - captured);
            accessUnit.clear();
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&context);
    return !delays.empty();
}

} // namespace

int main(int argc, char **argv)
{
    const BenchOptions options(argc, argv);
    const int seconds = options.number(QStringLiteral("seconds"), 10);
    const QString out = options.outDirectory();
    QCoreApplication app(argc, argv);
    if (!RtspTestServer::mayServeUsualPort())
        return reportNotMeasured(QStringLiteral("arrival"), QStringLiteral("Capture → access unit in libavformat"),
                                 QString::fromLatin1(RtspTestServer::needsRootNote), out, 0);
    avformat_network_init();
    ResultFile result(QStringLiteral("arrival"));
    QJsonArray figures;
    int failures = 0;
    struct Stream { int width, height, fps; };
    for (const Stream &stream : {Stream{640, 360, 25}, Stream{640, 360, 50}, Stream{1920, 1080, 25}, Stream{1920, 1080, 50}}) {
        const QString label = QStringLiteral("%1×%2 @ %3 fps").arg(stream.width).arg(stream.height).arg(stream.fps);
        RtspTestServer server(serverAddress, {"--codec", "h264", "--keyframe-interval", "1", "--stamp", "--width",
                                              QString::number(stream.width), "--height", QString::number(stream.height),
                                              "--fps", QString::number(stream.fps)});
        std::vector<double> parsed, whole;
        if (server.start() != RtspTestServer::Start::Ready
            || !measure(server.url(), true, seconds, parsed) || !measure(server.url(), false, seconds, whole)) {
            ++failures;
            continue;
        }
        const auto text = [](const std::vector<double> &delays) {
            return QStringLiteral("%1 / %2 ms").arg(percentile(delays, 0.5), 0, 'f', 1).arg(percentile(delays, 0.95), 0, 'f', 1);
        };
        result.addRow({QStringLiteral("Capture → access unit out of libavformat's H.264 parser, ") + label
                           + QStringLiteral(" (median / p95)"),
                       text(parsed), QStringLiteral("whole without the parser: ") + text(whole), QString(), QString()});
        figures.append(QJsonObject{{"stream", label},
                                   {"parser_median_ms", percentile(parsed, 0.5)}, {"parser_p95_ms", percentile(parsed, 0.95)},
                                   {"whole_median_ms", percentile(whole, 0.5)}, {"whole_p95_ms", percentile(whole, 0.95)},
                                   {"frames", qint64(parsed.size())}});
    }
    result.setFigure(QStringLiteral("streams"), figures);
    result.write(out);
    QTextStream(stdout) << "arrival: " << figures.size() << " streams measured, " << failures << " failures\n";
    return failures == 0 ? 0 : 1;
}
