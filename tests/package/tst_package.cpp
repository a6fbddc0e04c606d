// The Debian package on the machine itself, as a user gets it: built by CPack from
// this build, installed with apt, started through /usr/bin like the menu entry does,
// playing a preview through the module it installed, and removed without a trace.
// Needs root; two builds on one machine take turns through a lock file.
#include "recordingpeer.h"
#include "rtspserverprocess.h"
#include "xsession.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QString packageName = QStringLiteral("halvorine-remote");
const QString appDir = QStringLiteral("/usr/lib/halvorine-remote");
const QString module = appDir + QStringLiteral("/plugins/libhalvorine_rtsp_plugin.so");
const QString cameraAddress = QStringLiteral("127.0.4.1");
const QString lockFile = QStringLiteral("/run/lock/halvorine-remote-package-test.lock");

struct Run {
    int exitCode = -1;
    QString output;
    bool ok() const { return exitCode == 0; }
};

Run run(const QString &program, const QStringList &arguments, int timeoutMs = 180000)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DEBIAN_FRONTEND"), QStringLiteral("noninteractive"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished(5000);
        result.output = program + QStringLiteral(" timed out\n");
    }
    result.output += QString::fromLocal8Bit(process.readAll());
    if (process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    return result;
}

// Another apt or dpkg run (a developer's, or CI's) may hold the lock for a while.
Run apt(const QStringList &arguments)
{
    return run(QStringLiteral("apt-get"),
               QStringList{"-y", "-q", "-o", "DPkg::Lock::Timeout=120", "--no-install-recommends"} + arguments);
}

bool packageInstalled()
{
    return run(QStringLiteral("dpkg-query"), {"-W", "-f=${Status}", packageName}).output.contains("install ok installed");
}

// The paths the package holds, from `dpkg-deb -c`: "./usr/bin/x -> target" becomes "/usr/bin/x".
QStringList packagePaths(const QString &deb)
{
    QStringList paths;
    const QStringList lines = run(QStringLiteral("dpkg-deb"), {"-c", deb}).output.split('\n', Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        QString path = line.section(' ', 5, -1, QString::SectionSkipEmpty).section(QStringLiteral(" -> "), 0, 0);
        path = QDir::cleanPath(path.mid(1));
        if (!path.isEmpty() && path != QLatin1String("/"))
            paths << path;
    }
    return paths;
}

bool exists(const QString &path)
{
    return QFileInfo(path).exists() || QFileInfo(path).isSymLink();
}

QByteArray procFile(qint64 pid, const char *name)
{
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The test pattern's yellow, cyan and magenta bars, each over a good share of the
// window's upper half, as the X server shows it.
bool showsColourBars(unsigned long window)
{
    const QImage image = QGuiApplication::primaryScreen()->grabWindow(window).toImage();
    auto lit = [](int v, bool on) { return on ? v > 150 : v < 80; };
    int yellow = 0, cyan = 0, magenta = 0, samples = 0;
    for (int y = 4; y < image.height() / 2; y += 8)
        for (int x = 4; x < image.width() - 4; x += 8) {
            const QColor c = image.pixelColor(x, y);
            yellow += lit(c.red(), true) && lit(c.green(), true) && lit(c.blue(), false);
            cyan += lit(c.red(), false) && lit(c.green(), true) && lit(c.blue(), true);
            magenta += lit(c.red(), true) && lit(c.green(), false) && lit(c.blue(), true);
            ++samples;
        }
    return samples > 0 && yellow > samples / 20 && cyan > samples / 20 && magenta > samples / 20;
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
    QStringList paths;
    QStringList pathsBefore; // those of the package's paths the system had already
    int lock = -1;

private slots:
    void initTestCase()
    {
        if (geteuid() != 0)
            QSKIP("installing a package needs root");
        lock = open(QFile::encodeName(lockFile).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        QVERIFY2(lock >= 0, qPrintable(lockFile));
        QDeadlineTimer patience(300000);
        while (flock(lock, LOCK_EX | LOCK_NB) != 0) {
            QVERIFY2(!patience.hasExpired(), "another build's package test held the lock for 5 minutes");
            QTest::qWait(200);
        }
        if (packageInstalled())
            QSKIP("halvorine-remote is installed on this machine; the test would replace and remove it");

        const Run cpack = run(QStringLiteral(HALVORINE_CPACK), {"-G", "DEB", "--config", HALVORINE_CPACK_CONFIG,
                                                               "-B", work.path()});
        QVERIFY2(cpack.ok(), qPrintable(cpack.output));
        const QStringList debs = QDir(work.path()).entryList({"*.deb"}, QDir::Files);
        QCOMPARE(debs.size(), 1);
        deb = work.filePath(debs.first());
        paths = packagePaths(deb);
        QVERIFY2(paths.contains(module), qPrintable(paths.join('\n')));
        // lintian brings some seventy packages with it; ./test does not install it.
        const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
        if (!lintian.isEmpty()) {
            const Run check = run(lintian, {"--fail-on", "error,warning", deb});
            QVERIFY2(check.ok(), qPrintable(check.output));
        }
        for (const QString &path : qAsConst(paths))
            if (exists(path))
                pathsBefore << path;
    }

    void cleanupTestCase()
    {
        if (!deb.isEmpty() && packageInstalled())
            apt({"remove", packageName});
        if (lock >= 0)
            close(lock);
    }

    void installsTheLayoutTheProgramExpects()
    {
        const Run install = apt({"install", deb});
        QVERIFY2(install.ok(), qPrintable(install.output));
        QVERIFY(packageInstalled());

        const QFileInfo launcher(QStringLiteral("/usr/bin/halvorine-remote"));
        QVERIFY(launcher.isSymLink());
        QCOMPARE(launcher.canonicalFilePath(), appDir + QStringLiteral("/halvorine-remote"));
        QVERIFY(QFileInfo(module).isFile());
        for (const char *path : {"/usr/share/applications/halvorine-remote.desktop",
                                 "/usr/share/icons/hicolor/256x256/apps/halvorine-remote.png",
                                 "/usr/share/metainfo/com.halvorine.CameraOsdRemote.metainfo.xml",
                                 "/usr/share/man/man1/halvorine-remote.1.gz",
                                 "/usr/share/doc/halvorine-remote/copyright"})
            QVERIFY2(QFileInfo::exists(QLatin1String(path)), path);
        const Run metainfo = run(QStringLiteral("appstreamcli"),
                                 {"validate", "--no-net", "/usr/share/metainfo/com.halvorine.CameraOsdRemote.metainfo.xml"});
        QVERIFY2(metainfo.ok(), qPrintable(metainfo.output));
    }

    void menuCommandShowsTheWindowAndPlaysThePreview()
    {
        QVERIFY(packageInstalled());
        RtspServerProcess server(QStringLiteral(HALVORINE_RTSP_SERVER),
                                 {"--address", cameraAddress, "--port", "554", "--codec", "h264",
                                  "--keyframe-interval", "1"});
        QVERIFY2(server.waitUntilReady(), qPrintable(server.errorOutput()));
        RecordingPeer camera(QHostAddress(cameraAddress), 5678);
        QVERIFY2(camera.isListening(), qPrintable(camera.errorString()));

        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), work.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), work.filePath(QStringLiteral("config")));
        // The program sets its own: started through the link, it must still find the
        // modules beside its real self, whatever it inherits.
        env.insert(QStringLiteral("VLC_PLUGIN_PATH"), QStringLiteral("/nonexistent"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(QStringLiteral("/usr/bin/halvorine-remote"), QStringList());
        QVERIFY(program.waitForStarted(10000));
        auto stop = qScopeGuard([&program] {
            if (program.state() != QProcess::NotRunning) {
                program.kill();
                program.waitForFinished(5000);
            }
        });

        const unsigned long window = XSession::waitForWindow(QStringLiteral("Halvorine Camera OSD Remote"));
        QVERIFY2(window != 0, "the main window was not mapped");
        QVERIFY(!messageBoxShown());
#ifdef HALVORINE_PLUGIN_CACHE
        // With the installed module cache valid, libVLC leaves the module unopened until a stream needs it.
        QVERIFY2(!procFile(program.processId(), "maps").contains(module.toUtf8()), "module cache not used");
#endif

        QVERIFY(!XSession::xdotool({"windowfocus", "--sync", QString::number(window)}).isNull());
        QVERIFY(!XSession::xdotool({"type", "--delay", "20", cameraAddress}).isNull());
        // ipEdit -> ... -> connectBtn, then back one to previewBtn once connected.
        QVERIFY(!XSession::xdotool({"key", "--delay", "30", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "Tab", "space"}).isNull());
        QSignalSpy connected(&camera, &RecordingPeer::clientConnected);
        QVERIFY(connected.count() > 0 || connected.wait(10000));
        QVERIFY(!XSession::xdotool({"key", "--delay", "30", "shift+Tab", "space"}).isNull());

        const unsigned long preview = XSession::waitForWindow(QStringLiteral("Preview"));
        QVERIFY2(preview != 0, "the preview window was not mapped");
        QVERIFY(server.waitForLine(QStringLiteral("playing")));
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(preview), 15000);
        QVERIFY2(procFile(program.processId(), "maps").contains(module.toUtf8()),
                 "the stream did not go through the installed module");
        QVERIFY(!messageBoxShown());

        QVERIFY(XSession::requestClose(preview));
        QVERIFY(XSession::requestClose(window));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QCOMPARE(program.exitCode(), 0);
    }

    void removingLeavesNothingBehind()
    {
        const Run remove = apt({"remove", packageName});
        QVERIFY2(remove.ok(), qPrintable(remove.output));
        QVERIFY(!packageInstalled());
        QStringList left;
        for (const QString &path : qAsConst(paths))
            if (!pathsBefore.contains(path) && exists(path))
                left << path;
        QVERIFY2(left.isEmpty(), qPrintable(left.join('\n')));
        QVERIFY(!exists(appDir));
    }
};

QTEST_MAIN(TestPackage)
#include "tst_package.moc"
