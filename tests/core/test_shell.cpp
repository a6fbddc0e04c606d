// The application shell as a process: environment for libVLC, where the settings
// live, first run, and saved cameras across a restart. Each case starts this same
// binary again in a "phase" that builds the real application object.
#include "app/corvanta.h"
#include "app/platform.h"
#include "apptestmain.h"
#include "testenvironment.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>
#include <cstring>

namespace {

template <typename T = QPushButton>
T *widget(QMainWindow *window, const char *name)
{
    return window->findChild<T *>(QString::fromLatin1(name));
}

void print(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
}

// Child side: one short life of the application object.
int runPhase(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Platform::setPluginPath(argc, argv);
    const QByteArray phase = argv[2];
    if (phase == "scale")
        Platform::scaleForTheScreenAsQt5Does();
    Corvanta app(argc, argv);
    QMainWindow *window = applicationMainWindow();
    if (!window)
        return 3;
    if (phase == "env") {
        print(qgetenv("VLC_PLUGIN_PATH"));
    } else if (phase == "save" && argc >= 5) {
        widget<QLineEdit>(window, "ipEdit")->setText(QString::fromUtf8(argv[3]));
        widget<QLineEdit>(window, "camNameEdit")->setText(QString::fromUtf8(argv[4]));
        QTest::mouseClick(widget(window, "saveBtn"), Qt::LeftButton);
        print(QByteArray::number(widget<QComboBox>(window, "ipCombo")->count()));
    } else if (phase == "load" && argc >= 4) {
        auto *combo = widget<QComboBox>(window, "ipCombo");
        QStringList listed;
        for (int i = 0; i < combo->count(); ++i)
            listed << combo->itemText(i);
        print(listed.join(QLatin1Char('|')).toUtf8());
        combo->setCurrentIndex(combo->findText(QString::fromUtf8(argv[3])));
        QTest::mouseClick(widget(window, "loadBtn"), Qt::LeftButton);
        print(widget<QLineEdit>(window, "ipEdit")->text().toUtf8());
    } else if (phase == "scale") {
        window->show();
        print(QByteArray::number(window->devicePixelRatioF()) + ' ' + QByteArray::number(window->logicalDpiY()));
    } else {
        return 2;
    }
    std::fflush(stdout);
    return 0;
}

struct PhaseResult
{
    int exitCode = -1;
    QList<QByteArray> lines;
};

PhaseResult runChild(const QString &program, const QStringList &arguments, const QProcessEnvironment &environment)
{
    QProcess child;
    child.setProcessEnvironment(environment);
    child.start(program, QStringList{QStringLiteral("--phase")} + arguments);
    PhaseResult result;
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::NormalExit)
        return result;
    result.exitCode = child.exitCode();
    result.lines = child.readAllStandardOutput().split('\n');
    return result;
}

} // namespace

class TestShell : public QObject
{
    Q_OBJECT

    QTemporaryDir home;
    QProcessEnvironment environment()
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        return env;
    }
    QString settingsFile()
    {
        return home.filePath(QStringLiteral("data/%1/settings.ini").arg(QCoreApplication::applicationName()));
    }

private slots:
    void pluginPathReplacesAnInheritedValue()
    {
        QProcessEnvironment env = environment();
        env.insert(QStringLiteral("VLC_PLUGIN_PATH"), QStringLiteral("/inherited/elsewhere"));
        const PhaseResult result = runChild(QCoreApplication::applicationFilePath(), {"env"}, env);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(QString::fromUtf8(result.lines.value(0)), QCoreApplication::applicationDirPath() + "/plugins");
    }

    void pluginPathOfANonAsciiDirectoryIsUtf8()
    {
        QTemporaryDir place;
        const QString dir = place.filePath(QStringLiteral("Fernbedienung ü 日本"));
        QVERIFY(QDir().mkpath(dir));
        const QString copy = dir + "/" + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
        QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
        const PhaseResult result = runChild(copy, {"env"}, environment());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.value(0), (QFileInfo(dir).canonicalFilePath() + "/plugins").toUtf8());
    }

    void firstRunThenSavedCamerasSurviveARestart()
    {
        const QString program = QCoreApplication::applicationFilePath();
        PhaseResult first = runChild(program, {"load", "Lobby"}, environment());
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(first.lines.value(0), QByteArray()); // nothing listed
        QCOMPARE(first.lines.value(1), QByteArray("0.0.0.0"));

        QCOMPARE(runChild(program, {"save", "192.0.2.10", "Lobby"}, environment()).lines.value(0), QByteArray("1"));
        QCOMPARE(runChild(program, {"save", "cam.example ü", "Kapelle Süd"}, environment()).lines.value(0),
                 QByteArray("2"));
        QVERIFY2(QFile::exists(settingsFile()), qPrintable(settingsFile()));

        PhaseResult again = runChild(program, {"load", "Lobby"}, environment());
        QCOMPARE(again.exitCode, 0);
        QStringList listed = QString::fromUtf8(again.lines.value(0)).split('|');
        listed.sort();
        QCOMPARE(listed, (QStringList{"Kapelle Süd", "Lobby"}));
        QCOMPARE(again.lines.value(1), QByteArray("192.0.2.10"));
        QCOMPARE(runChild(program, {"load", "Kapelle Süd"}, environment()).lines.value(1),
                 QString("cam.example ü").toUtf8());
    }

    void linuxPrefersTheX11PlatformUnlessTheUserChose()
    {
        const QByteArray saved = qgetenv("QT_QPA_PLATFORM");
        char program[] = "halvorine-remote";
        char option[] = "-platform";
        char value[] = "wayland";
        char *plain[] = {program, nullptr};
        char *chosen[] = {program, option, value, nullptr};

        qunsetenv("QT_QPA_PLATFORM");
        Platform::preferNativeWindowPlatform(1, plain);
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("xcb"));

        qunsetenv("QT_QPA_PLATFORM");
        Platform::preferNativeWindowPlatform(3, chosen);
        QVERIFY(qgetenv("QT_QPA_PLATFORM").isEmpty());

        qputenv("QT_QPA_PLATFORM", "wayland");
        Platform::preferNativeWindowPlatform(1, plain);
        QCOMPARE(qgetenv("QT_QPA_PLATFORM"), QByteArray("wayland"));
        qputenv("QT_QPA_PLATFORM", saved);
    }

    // The Qt 5.15 build's scaling, in either build: a fractional factor rounds to a whole
    // one; the text keeps the screen's DPI where the factor rounds down and the usual 96
    // where it rounds up. (Qt 6 left alone draws 125 % at 1.25, and 150 % at 2 with
    // 72-DPI text.)
    void screenScaleIsQt5s_data()
    {
        QTest::addColumn<QString>("screenDpi");
        QTest::addColumn<QByteArray>("ratioAndTextDpi");
        QTest::newRow("100 %") << "96" << QByteArray("1 96");
        QTest::newRow("125 %") << "120" << QByteArray("1 120");
        QTest::newRow("150 %") << "144" << QByteArray("2 96");
        QTest::newRow("175 %") << "168" << QByteArray("2 96");
        QTest::newRow("200 %") << "192" << QByteArray("2 96");
    }
    void screenScaleIsQt5s()
    {
        QFETCH(QString, screenDpi);
        QFETCH(QByteArray, ratioAndTextDpi);
        QProcessEnvironment env = environment();
        for (const char *own : {"QT_SCALE_FACTOR", "QT_SCREEN_SCALE_FACTORS", "QT_SCALE_FACTOR_ROUNDING_POLICY",
                                "QT_DPI_ADJUSTMENT_POLICY", "QT_ENABLE_HIGHDPI_SCALING", "QT_AUTO_SCREEN_SCALE_FACTOR"})
            env.remove(QString::fromLatin1(own));
        env.insert(QStringLiteral("QT_FONT_DPI"), screenDpi);
        const PhaseResult result = runChild(QCoreApplication::applicationFilePath(), {"scale"}, env);
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.value(0), ratioAndTextDpi);
    }

    void brokenSettingsStillStart()
    {
        // Garbage in the file: start-up succeeds with whatever could be read.
        QFile garbage(settingsFile());
        QVERIFY(QDir().mkpath(QFileInfo(settingsFile()).path()));
        QVERIFY(garbage.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (int i = 0; i < 2048; ++i)
            garbage.putChar(static_cast<char>((i * 131 + 7) % 256));
        garbage.close();
        PhaseResult result = runChild(QCoreApplication::applicationFilePath(), {"load", "x"}, environment());
        QCOMPARE(result.exitCode, 0);

        // A settings "file" that is a directory can be neither read nor written.
        QVERIFY(QFile::remove(settingsFile()));
        QVERIFY(QDir().mkpath(settingsFile()));
        result = runChild(QCoreApplication::applicationFilePath(), {"save", "192.0.2.10", "Lobby"}, environment());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.value(0), QByteArray("1")); // kept for this run
        result = runChild(QCoreApplication::applicationFilePath(), {"load", "Lobby"}, environment());
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.lines.value(0), QByteArray());
        QVERIFY(QDir(settingsFile()).removeRecursively());
    }
};

int main(int argc, char **argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "--phase") == 0)
        return runPhase(argc, argv);
    QCoreApplication app(argc, argv);
    TestShell test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_shell.moc"
