// The Debian package on this machine, as a user gets it: built by CPack from this
// build, installed with apt, started through /usr/bin as the menu entry does, playing
// a preview through the module it installed, and removed without a trace. Root only;
// builds on one machine take turns through a lock file in /tmp, the one folder sure
// to be there even in a container (each build removes the package again).
#include "recordingpeer.h"
#include "starttestserver.h"
#include "xsession.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString package = QStringLiteral("halvorine-remote");
const QString module = QStringLiteral("/usr/lib/halvorine-remote/plugins/libhalvorine_rtsp_plugin.so");
const QString cameraAddress = QStringLiteral("127.0.4.1");

// Runs a command to its end (bounded); its merged output, and whether it exited 0.
bool run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(240000);
    if (!finished)
        process.kill();
    if (output)
        *output = QString::fromLocal8Bit(process.readAll());
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Another apt run (a developer's, CI's) may hold dpkg's lock for a while.
bool apt(const QStringList &arguments, QString *output)
{
    return run(QStringLiteral("apt-get"), QStringList{"-y", "-q", "-o", "DPkg::Lock::Timeout=120",
                                                      "--no-install-recommends"} + arguments, output);
}

bool installed()
{
    QString status;
    run(QStringLiteral("dpkg-query"), {"-W", "-f=${Status}", package}, &status);
    return status.contains(QLatin1String("install ok installed"));
}

// The test pattern's yellow, cyan and magenta bars, each over a good share of the
// window's upper half, as the X server shows it.
bool showsColourBars(unsigned long window)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
    int yellow = 0, cyan = 0, magenta = 0, samples = 0;
    for (int y = 4; y < image.height() / 2; y += 8)
        for (int x = 4; x < image.width() - 4; x += 8, ++samples) {
            const QColor c = image.pixelColor(x, y);
            const bool r = c.red() > 150, g = c.green() > 150, b = c.blue() > 150;
            yellow += r && g && c.blue() < 80;
            cyan += g && b && c.red() < 80;
            magenta += r && b && c.green() < 80;
        }
    return samples && yellow > samples / 20 && cyan > samples / 20 && magenta > samples / 20;
}

bool messageBoxShown()
{
    return !XSession::xdotool({"search", "--onlyvisible", "--name", "^Halvorine$"}, 5000).isNull();
}

} // namespace

class TestPackage : public QObject
{
    Q_OBJECT

    QTemporaryDir work;
    QString deb;
    QStringList paths; // what dpkg installed
    int lock = -1;

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("installing a package needs root");
        lock = open("/tmp/halvorine-remote-package-test.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY(lock >= 0);
        QDeadlineTimer patience(300000);
        while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
            QVERIFY2(!patience.hasExpired(), "another build's package test held the lock for 5 minutes");
            QTest::qWait(200);
        }
        qputenv("DEBIAN_FRONTEND", "noninteractive"); // for apt and dpkg, which ask nothing of a test
        if (installed())
            QSKIP("halvorine-remote is installed on this machine; the test would replace and remove it");

        QString output;
        QVERIFY2(run(HALVORINE_CPACK, {"-G", "DEB", "--config", HALVORINE_CPACK_CONFIG, "-B", work.path()}, &output),
                 qPrintable(output));
        const QStringList debs = QDir(work.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        deb = work.filePath(debs.first());
        // lintian brings some seventy packages with it, so ./test does not install it.
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        QVERIFY2(lintian.isEmpty() || run(lintian, {"--fail-on", "error,warning", deb}, &output), qPrintable(output));
    }

    void cleanupTestCase()
    {
        QString output;
        if (!deb.isEmpty() && installed())
            apt({"remove", package}, &output);
        if (lock >= 0)
            close(lock);
    }

    void installsWhereTheProgramLooks()
    {
        QString output;
        QVERIFY2(apt({"install", deb}, &output), qPrintable(output));
        QVERIFY(run(QStringLiteral("dpkg-query"), {"-L", package}, &output));
        paths = output.split('\n', Qt::SkipEmptyParts);
        paths.removeAll(QStringLiteral("/.")); // dpkg's name for the root of the archive
        QVERIFY2(paths.contains(module), qPrintable(output));
        QCOMPARE(QFileInfo(QStringLiteral("/usr/bin/halvorine-remote")).symLinkTarget(),
                 QStringLiteral("/usr/lib/halvorine-remote/halvorine-remote"));
        QVERIFY2(run(QStringLiteral("appstreamcli"),
                     {"validate", "--no-net", "/usr/share/metainfo/com.halvorine.CameraOsdRemote.metainfo.xml"}, &output),
                 qPrintable(output));
    }

    void menuCommandShowsTheWindowAndPlaysThePreview()
    {
        QVERIFY(installed());
        RtspTestServer server(cameraAddress, {"--codec", "h264", "--keyframe-interval", "1"});
        START_TEST_SERVER(server);
        RecordingPeer camera(QHostAddress(cameraAddress), 5678);
        QVERIFY2(camera.isListening(), qPrintable(camera.errorString()));

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
        // Started through the link, the program must set the path to the modules beside
        // its real self, whatever it inherits.
        env.insert(QStringLiteral("VLC_PLUGIN_PATH"), QStringLiteral("/nonexistent"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral("/usr/bin/halvorine-remote"), QStringList());
        QVERIFY(program.waitForStarted(10000));
        auto stop = qScopeGuard([&program] {
            program.kill();
            program.waitForFinished(5000);
        });
        auto mapsModule = [&program] {
            QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains(module.toUtf8());
        };

        const unsigned long window = XSession::waitForWindow(QStringLiteral("Halvorine Camera OSD Remote"));
        QVERIFY2(window != 0, "the main window was not mapped");
        QVERIFY(!messageBoxShown());
#ifdef HALVORINE_PLUGIN_CACHE
        // With the installed module cache valid, libVLC leaves the module closed until a stream needs it.
        QVERIFY2(!mapsModule(), "libVLC opened the module at start-up: the installed module cache is stale");
#endif
        QVERIFY(!XSession::xdotool({"windowfocus", "--sync", QString::number(window)}).isNull());
        QVERIFY(!XSession::xdotool({"type", "--delay", "20", cameraAddress}).isNull());
        // ipEdit -> ... -> connectBtn; once connected, back one to previewBtn.
        QVERIFY(!XSession::xdotool({"key", "--delay", "30", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"}).isNull());
        QSignalSpy connected(&camera, &RecordingPeer::clientConnected);
        QVERIFY(connected.count() > 0 || connected.wait(10000));
        QVERIFY(!XSession::xdotool({"key", "--delay", "30", "shift+Tab", "space"}).isNull());

        const unsigned long preview = XSession::waitForWindow(QStringLiteral("Preview"));
        QVERIFY2(preview != 0, "the preview window was not mapped");
        QVERIFY(server.waitForEvent(QStringLiteral("playing"), 10000));
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(preview), 15000);
        QVERIFY2(mapsModule(), "the stream did not go through the installed module");
        QVERIFY(!messageBoxShown());

        QVERIFY(XSession::requestClose(preview) && XSession::requestClose(window));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    void removingLeavesNothingBehind()
    {
        QString output;
        QVERIFY2(apt({"remove", package}, &output), qPrintable(output));
        QVERIFY(!installed());
        QStringList left;
        for (const QString &path : qAsConst(paths)) {
            const QFileInfo info(path);
            // Folders such as /usr/share/man/man1 belong to other packages as well.
            if ((info.exists() || info.isSymLink()) && (!info.isDir() || !run("dpkg-query", {"-S", path})))
                left << path;
        }
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
