// camera-sim: a stand-in for the PTZ camera, so the remote can be tried
// without hardware. VISCA over TCP on port 5678, RTSP video at /1 on port 554.
#include "headstate.h"
#include "scenerenderer.h"
#include "simserver.h"
#include "stampedframe.h"
#include "videoserver.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QGuiApplication>
#include <QTextStream>
#include <chrono>
#include <cstdio>

namespace {

struct Options
{
    QHostAddress address;
    quint16 controlPort = 5678;
    quint16 rtspPort = 554;
    bool video = true;
    bool stamp = false;
    int scene = 1;
};

bool parsePort(const QString &text, quint16 *port)
{
    bool ok = false;
    const uint value = text.toUInt(&ok);
    if (!ok || value == 0 || value > 65535)
        return false;
    *port = quint16(value);
    return true;
}

// Exits on --help/--version; returns an error message for bad options.
QString parseOptions(const QCoreApplication &app, Options *options)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated PTZ camera for the Halvorine remote: answers VISCA over TCP like the real "
        "head (pan/tilt drive, zoom, focus, presets, home, OSD menu by recall of preset 95, "
        "Enter/Back) and serves its "
        "picture as H.264 over RTSP at rtsp://<address>/1. Logs every message on stdout."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption address(QStringLiteral("address"),
        QStringLiteral("Address to listen on (default 127.0.0.1)."), QStringLiteral("ip"),
        QStringLiteral("127.0.0.1"));
    const QCommandLineOption control({QStringLiteral("control-port")},
        QStringLiteral("TCP port for VISCA control (default 5678)."), QStringLiteral("port"),
        QStringLiteral("5678"));
    const QCommandLineOption rtsp({QStringLiteral("port-rtsp"), QStringLiteral("rtsp-port")},
        QStringLiteral("RTSP port for video (default 554; below 1024 needs root or "
                       "cap_net_bind_service)."), QStringLiteral("port"), QStringLiteral("554"));
    const QCommandLineOption noVideo(QStringLiteral("no-video"),
        QStringLiteral("Control only: serve no RTSP video."));
    const QCommandLineOption stamp(QStringLiteral("stamp"),
        QStringLiteral("For benchmarks: draw each frame's time (CLOCK_MONOTONIC, ms) as a band of cells "
                       "across the top of the picture, end every log line with the monotonic time, and "
                       "log the first frame that shows the head moving (still) after a drive (stop)."));
    const QCommandLineOption scene(QStringLiteral("scene"),
        QStringLiteral("Which camera of a show this one is, 1..%1 (default 1): its picture looks another "
                       "way and its status band says CAM n.").arg(SceneRenderer::maxScene),
        QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({address, control, rtsp, noVideo, stamp, scene});

    if (!parser.parse(app.arguments()))
        return parser.errorText();
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();
    if (!parser.positionalArguments().isEmpty())
        return QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first());
    if (!options->address.setAddress(parser.value(address)))
        return QStringLiteral("Not an IP address: '%1'.").arg(parser.value(address));
    if (!parsePort(parser.value(control), &options->controlPort))
        return QStringLiteral("Bad --control-port '%1' (1..65535).").arg(parser.value(control));
    if (!parsePort(parser.value(rtsp), &options->rtspPort))
        return QStringLiteral("Bad --port-rtsp '%1' (1..65535).").arg(parser.value(rtsp));
    bool sceneOk = false;
    options->scene = parser.value(scene).toInt(&sceneOk);
    if (!sceneOk || options->scene < 1 || options->scene > SceneRenderer::maxScene)
        return QStringLiteral("Bad --scene '%1' (1..%2).").arg(parser.value(scene)).arg(SceneRenderer::maxScene);
    options->video = !parser.isSet(noVideo);
    options->stamp = parser.isSet(stamp);
    return {};
}

bool logMonotonic = false; // --stamp

// "yyyy-MM-dd HH:mm:ss.zzz words", and with --stamp " [monotonic 12345.678 ms]"
// after the words, for a bench to set against its own CLOCK_MONOTONIC stamps.
void log(const QString &text)
{
    static QTextStream out(stdout);
    const auto monotonic = std::chrono::steady_clock::now().time_since_epoch();
    out << QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")) << ' ' << text;
    if (logMonotonic)
        out << QStringLiteral(" [monotonic %1 ms]")
                   .arg(std::chrono::duration<double, std::milli>(monotonic).count(), 0, 'f', 3);
    out << Qt::endl; // endl flushes: tests and people read this live
}

void warn(const QString &text)
{
    std::fprintf(stderr, "camera-sim: %s\n", qPrintable(text));
    std::fflush(stderr);
}

} // namespace

int main(int argc, char *argv[])
{
    // Frames are drawn off screen; the simulator never opens a window.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("camera-sim"));
    app.setApplicationVersion(QStringLiteral("1.0"));

    Options options;
    const QString error = parseOptions(app, &options);
    if (!error.isEmpty()) {
        warn(error + QStringLiteral(" Try --help."));
        return 2;
    }

    logMonotonic = options.stamp;
    HeadState head;
    SimServer control(head);
    // Qt 6's headers bring in <cmath>, whose ::log makes a bare &log ambiguous.
    QObject::connect(&control, &SimServer::event, static_cast<void (*)(const QString &)>(&log));
    if (!control.listen(options.address, options.controlPort)) {
        warn(QStringLiteral("cannot listen for VISCA on %1:%2: %3")
                 .arg(options.address.toString()).arg(options.controlPort).arg(control.errorString()));
        return 1;
    }
    log(QStringLiteral("listening for VISCA on %1:%2").arg(options.address.toString()).arg(control.port()));

    MotionNotice motion;
    VideoServer video([&head, &motion, stamp = options.stamp, scene = options.scene] {
        const qint64 drawnAt = StampedFrame::monotonicMs();
        const PanTilt where = head.position();
        QImage frame = SceneRenderer::render(where, head.menu(), {640, 360}, scene);
        if (stamp) {
            StampedFrame::drawStamp(frame, drawnAt);
            const QString notice = motion.frameDrawn(where, drawnAt);
            if (!notice.isEmpty())
                log(notice);
        }
        return frame;
    });
    if (options.video) {
        QString why;
        const QString url = QStringLiteral("rtsp://%1%2/1").arg(options.address.toString(),
            options.rtspPort == 554 ? QString() : QStringLiteral(":%1").arg(options.rtspPort));
        if (video.start(options.address, options.rtspPort, &why))
            log(QStringLiteral("serving video at ") + url);
        else
            warn(QStringLiteral("no video at %1: %2. Carrying on with control only.").arg(url, why));
    }
    return app.exec();
}
