// The picture: the scene follows the head, the menu is drawn while open, and
// (when it may bind port 554 of 127.0.0.44) the RTSP server streams it at /1.
#include "headstate.h"
#include "scenerenderer.h"
#include "videoserver.h"

#include <QtTest>

#ifdef CAMERA_SIM_VIDEO
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#endif

namespace {

// Mean position of the pixels of exactly this colour; (-1,-1) when none.
QPointF centroid(const QImage &image, QColor colour)
{
    double x = 0, y = 0;
    int count = 0;
    for (int row = 0; row < image.height(); ++row)
        for (int col = 0; col < image.width(); ++col)
            if (image.pixel(col, row) == colour.rgb()) {
                x += col;
                y += row;
                ++count;
            }
    return count ? QPointF(x / count, y / count) : QPointF(-1, -1);
}

QColor landmarkColour(const QString &name)
{
    for (const auto &m : SceneRenderer::landmarks())
        if (m.name == name)
            return m.colour;
    return {};
}

const QColor CursorBar(250, 210, 40);

bool near(QColor a, QColor b, int tolerance)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance
           && qAbs(a.blue() - b.blue()) <= tolerance;
}

// Sum of the brightness steps between neighbours along each row: edges make it large.
qint64 sharpness(const QImage &image)
{
    qint64 sum = 0;
    for (int row = 0; row < image.height() - 40; ++row) // above the status band
        for (int col = 1; col < image.width(); ++col)
            sum += qAbs(qGray(image.pixel(col, row)) - qGray(image.pixel(col - 1, row)));
    return sum;
}

} // namespace

class TestPicture : public QObject
{
    Q_OBJECT
private slots:
    void sceneMovesAgainstThePan_data();
    void sceneMovesAgainstThePan();
    void menuIsDrawnWithItsCursor();
    void focusAndSceneShowInThePicture();
    void streamsThePictureOverRtsp();
    void keyframesDecodeWholeInFfmpeg();
};

void TestPicture::sceneMovesAgainstThePan_data()
{
    QTest::addColumn<double>("pan");
    QTest::addColumn<double>("tilt");
    QTest::addColumn<double>("zoom");
    QTest::newRow("pan right 10") << 10.0 << 0.0 << 1.0;
    QTest::newRow("pan left 12") << -12.0 << 0.0 << 1.0;
    QTest::newRow("tilt up 8") << 0.0 << 8.0 << 1.0;
    QTest::newRow("tilt down 5, pan left 3") << -3.0 << -5.0 << 1.0;
    QTest::newRow("pan right 2, zoomed in 4x") << 2.0 << 0.0 << 4.0;
    QTest::newRow("tilt up 1, pan left 1, zoomed in 2x") << -1.0 << 1.0 << 2.0;
}

// Turning the camera right moves what it sees left, tilting up moves it down,
// by the lens' pixels per degree, which grow with the zoom. Watched on the sun, drawn alone (no overlay
// to cover it) with the head pointed at it.
void TestPicture::sceneMovesAgainstThePan()
{
    QFETCH(double, pan);
    QFETCH(double, tilt);
    QFETCH(double, zoom);
    const QColor sun = landmarkColour(QStringLiteral("Sun"));
    const auto sunAt = [&](PanTilt head) {
        QImage image(640, 360, QImage::Format_RGB32);
        SceneRenderer::paintWorld(image, head);
        return centroid(image, sun);
    };
    const PanTilt facing{100, 40, zoom};
    const QPointF home = sunAt(facing);
    QVERIFY(qAbs(home.x() - 320) < 1 && qAbs(home.y() - 180) < 1);
    const QPointF moved = sunAt({facing.pan + pan, facing.tilt + tilt, zoom});
    const double ppd = 640 * zoom / SceneRenderer::HorizontalFov;
    QVERIFY2(qAbs(moved.x() - (home.x() - pan * ppd)) < 1, qPrintable(QString::number(moved.x() - home.x())));
    QVERIFY2(qAbs(moved.y() - (home.y() + tilt * ppd)) < 1, qPrintable(QString::number(moved.y() - home.y())));
}

void TestPicture::menuIsDrawnWithItsCursor()
{
    OsdMenu menu;
    QCOMPARE(centroid(SceneRenderer::render({}, menu), CursorBar), QPointF(-1, -1));
    menu.open();
    const QPointF first = centroid(SceneRenderer::render({}, menu), CursorBar);
    QVERIFY(first.y() > 0);
    menu.moveCursor(2);
    const QPointF third = centroid(SceneRenderer::render({}, menu), CursorBar);
    QVERIFY2(third.y() > first.y() + 40, qPrintable(QStringLiteral("%1 -> %2").arg(first.y()).arg(third.y())));
}

// Out of focus either way the picture loses most of its edges; scene 2 is the same
// world turned by 60 degrees: the mast, mid-picture in scene 1, is gone from it.
void TestPicture::focusAndSceneShowInThePicture()
{
    const qint64 sharp = sharpness(SceneRenderer::render({}, OsdMenu()));
    for (double focus : {0.0, 1.0, HeadState::SharpFocus - 0.2}) {
        PanTilt soft;
        soft.focus = focus;
        const qint64 blurred = sharpness(SceneRenderer::render(soft, OsdMenu()));
        QVERIFY2(blurred < sharp / 2, qPrintable(QStringLiteral("%1: %2 against %3").arg(focus).arg(blurred).arg(sharp)));
    }
    PanTilt nearlySharp;
    nearlySharp.focus = HeadState::SharpFocus + 0.01;
    QCOMPARE(SceneRenderer::render(nearlySharp, OsdMenu()).copy(0, 0, 640, 300),
             SceneRenderer::render({}, OsdMenu()).copy(0, 0, 640, 300));

    const QColor mast = landmarkColour(QStringLiteral("Mast"));
    QVERIFY(centroid(SceneRenderer::render({}, OsdMenu(), {640, 360}, 1), mast).x() > 0);
    QCOMPARE(centroid(SceneRenderer::render({}, OsdMenu(), {640, 360}, 2), mast), QPointF(-1, -1));
    // Turned back by the pan, scene 2 shows the mast where scene 1 does.
    const PanTilt back{-SceneRenderer::sceneTurn, 0, 1};
    QCOMPARE(centroid(SceneRenderer::render(back, OsdMenu(), {640, 360}, 2), mast),
             centroid(SceneRenderer::render({}, OsdMenu(), {640, 360}, 1), mast));
}

void TestPicture::streamsThePictureOverRtsp()
{
#ifndef CAMERA_SIM_VIDEO
    QSKIP("camera-sim built without gst-rtsp-server");
#else
    HeadState head;
    VideoServer video([&head] { return SceneRenderer::render(head.position(), head.menu()); });
    QString why;
    if (!video.start(QHostAddress(QStringLiteral("127.0.0.44")), 554, &why))
        QSKIP(qPrintable(QStringLiteral("cannot serve on 127.0.0.44:554: ") + why));

    for (const char *element : {"rtspsrc", "rtph264depay", "avdec_h264"}) {
        GstElementFactory *factory = gst_element_factory_find(element);
        if (!factory)
            QSKIP(qPrintable(QStringLiteral("no GStreamer %1 to watch the stream with").arg(element)));
        gst_object_unref(factory);
    }
    GError *error = nullptr;
    GstElement *viewer = gst_parse_launch(
        "rtspsrc location=rtsp://127.0.0.44/1 protocols=tcp latency=0 ! rtph264depay ! avdec_h264 "
        "! videoconvert ! video/x-raw,format=BGRx ! appsink name=sink max-buffers=2 drop=true sync=false",
        &error);
    QVERIFY2(viewer, error ? error->message : "no pipeline");
    auto stopViewer = qScopeGuard([viewer] {
        gst_element_set_state(viewer, GST_STATE_NULL);
        gst_object_unref(viewer);
    });
    GstElement *sink = gst_bin_get_by_name(GST_BIN(viewer), "sink");
    gst_object_unref(sink); // the pipeline keeps it alive
    gst_element_set_state(viewer, GST_STATE_PLAYING);

    // Keeps picture the newest decoded one; polled (QTRY) so that frames keep
    // being drawn and pushed on this thread meanwhile.
    QImage picture;
    const auto pull = [&] {
        GstSample *sample = gst_app_sink_try_pull_sample(GST_APP_SINK(sink), 0);
        if (!sample)
            return !picture.isNull();
        GstStructure *s = gst_caps_get_structure(gst_sample_get_caps(sample), 0);
        int width = 0, height = 0;
        gst_structure_get_int(s, "width", &width);
        gst_structure_get_int(s, "height", &height);
        GstMapInfo map;
        gst_buffer_map(gst_sample_get_buffer(sample), &map, GST_MAP_READ);
        picture = QImage(map.data, width, height, QImage::Format_RGB32).copy();
        gst_buffer_unmap(gst_sample_get_buffer(sample), &map);
        gst_sample_unref(sample);
        return true;
    };
    QTRY_VERIFY_WITH_TIMEOUT(pull(), 15000);
    QCOMPARE(picture.size(), QSize(640, 360));

    // The stream shows the head's state: open the menu and the cursor bar
    // appears where the renderer puts it.
    const OsdMenu reference = [] { OsdMenu m; m.open(); return m; }();
    const QPoint bar = centroid(SceneRenderer::render({}, reference), CursorBar).toPoint();
    QVERIFY(!near(picture.pixelColor(bar), CursorBar, 40));
    head.apply(ViscaCodec::decode(QByteArray::fromHex("8101043F025FFF")));
    QTRY_VERIFY_WITH_TIMEOUT(pull() && near(picture.pixelColor(bar), CursorBar, 40), 10000);
    QCOMPARE(video.viewerPipelines(), 1);
#endif
}

// libavcodec (inside FFmpeg and VLC, so the remote's preview) must get each
// picture as one access unit: parameter sets between the slices of a keyframe
// make it show two half-grey pictures a second.
void TestPicture::keyframesDecodeWholeInFfmpeg()
{
#ifndef CAMERA_SIM_VIDEO
    QSKIP("camera-sim built without gst-rtsp-server");
#else
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    if (ffmpeg.isEmpty())
        QSKIP("no ffmpeg to decode the stream with");
    HeadState head;
    VideoServer video([&head] { return SceneRenderer::render(head.position(), head.menu()); });
    QString why;
    if (!video.start(QHostAddress(QStringLiteral("127.0.0.44")), 554, &why))
        QSKIP(qPrintable(QStringLiteral("cannot serve on 127.0.0.44:554: ") + why));

    QProcess decoder;
    decoder.start(ffmpeg, {"-nostdin", "-v", "warning", "-rtsp_transport", "tcp", "-i", "rtsp://127.0.0.44/1",
                           "-frames:v", "60", "-f", "null", "-"});
    auto stopDecoder = qScopeGuard([&decoder] {
        decoder.kill();
        decoder.waitForFinished();
    });
    // 60 frames hold two or three keyframes; the event loop keeps them coming.
    QTRY_COMPARE_WITH_TIMEOUT(decoder.state(), QProcess::NotRunning, 20000);
    const QByteArray complaints = decoder.readAllStandardError();
    QCOMPARE(decoder.exitCode(), 0);
    QVERIFY2(!complaints.contains("corrupt") && !complaints.contains("conceal"), complaints.constData());
#endif
}

QTEST_MAIN(TestPicture)
#include "tst_picture.moc"
