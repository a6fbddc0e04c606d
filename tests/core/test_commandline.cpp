// The program's own command line, run as the operator runs it: answers and refusals
// without any display, Qt's own options left to Qt, and the preview latency kept in
// a file of its own for the next starts.
#include "settings/previewlatency.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

    QTemporaryDir home;

    QProcessEnvironment environment(bool withDisplay) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.filePath(QStringLiteral("data")));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
        for (const char *name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY"})
            env.remove(QString::fromLatin1(name));
        if (!withDisplay)
            env.remove(QStringLiteral("DISPLAY"));
        return env;
    }
    QString preferenceFile() const
    {
        return home.filePath(QStringLiteral("config/halvorine-remote/preview.ini"));
    }
    // Starts the program on Qt's off-screen platform and waits until the preference
    // file says `expected` (or, with `expected` empty, until its window is built).
    bool runsAndKeeps(const QStringList &arguments, PreviewLatency expected)
    {
        QProcess program;
        program.setProcessEnvironment(environment(false));
        program.start(QStringLiteral(HALVORINE_PROGRAM), QStringList{"-platform", "offscreen"} + arguments);
        const bool started = program.waitForStarted(10000);
        const bool kept = started && QTest::qWaitFor([&] {
            return QFileInfo::exists(preferenceFile()) && PreviewLatencyChoice::load(preferenceFile()) == expected
                && program.state() == QProcess::Running;
        }, 10000);
        program.kill();
        program.waitForFinished(5000);
        return kept;
    }

private slots:
    void answersAndRefusesWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("stdoutHas");
        QTest::addColumn<QString>("stderrHas");
        QTest::newRow("--help") << QStringList{"--help"} << 0 << "--preview-latency <mode>" << "";
        QTest::newRow("-h") << QStringList{"-h"} << 0 << "Usage:" << "";
        QTest::newRow("--version") << QStringList{"--version"} << 0 << "halvorine-remote " HALVORINE_VERSION << "";
        QTest::newRow("Qt's -platform, then --help") << QStringList{"-platform", "xcb", "--help"} << 0 << "Usage:" << "";
        QTest::newRow("Qt's -display, then --version") << QStringList{"-display", ":7", "-reverse", "--version"} << 0
                                                        << "halvorine-remote" << "";
        QTest::newRow("unknown option") << QStringList{"--fast"} << 2 << "" << "Unknown option 'fast'";
        QTest::newRow("unknown latency") << QStringList{"--preview-latency", "fast"} << 2 << "" << "Unknown preview latency 'fast'";
        QTest::newRow("latency without a mode") << QStringList{"--preview-latency"} << 2 << "" << "Missing value";
        QTest::newRow("an argument") << QStringList{"127.0.0.1"} << 2 << "" << "Unexpected argument '127.0.0.1'";
    }

    void answersAndRefusesWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QString, stdoutHas);
        QFETCH(QString, stderrHas);
        QProcess program;
        program.setProcessEnvironment(environment(false));
        program.start(QStringLiteral(HALVORINE_PROGRAM), arguments);
        QVERIFY(program.waitForFinished(10000));
        const QString out = QString::fromLocal8Bit(program.readAllStandardOutput());
        const QString err = QString::fromLocal8Bit(program.readAllStandardError());
        QCOMPARE(program.exitStatus(), QProcess::NormalExit);
        QVERIFY2(program.exitCode() == exitCode, qPrintable(out + err));
        QVERIFY2(out.contains(stdoutHas), qPrintable(out));
        QVERIFY2(err.contains(stderrHas), qPrintable(err));
        QVERIFY(!QFileInfo::exists(preferenceFile())); // nothing kept from a refused or answered line
    }

    // Chosen once, kept until chosen otherwise; a start without the option leaves the
    // choice alone. Qt takes its -platform from the same command line.
    void theLatencyChosenStaysChosen()
    {
        QVERIFY(runsAndKeeps({"--preview-latency", "low"}, PreviewLatency::Low));
        QVERIFY(runsAndKeeps({}, PreviewLatency::Low));
        QVERIFY(runsAndKeeps({"--preview-latency=default"}, PreviewLatency::Default));
        QCOMPARE(QDir(home.filePath(QStringLiteral("data/halvorine-remote"))).entryList(QDir::Files),
                 QStringList()); // settings.ini is for saved cameras only
    }

    void aDamagedPreferenceIsTheDefault()
    {
        const QString file = home.filePath(QStringLiteral("other/preview.ini"));
        QVERIFY(PreviewLatencyChoice::save(file, PreviewLatency::Low));
        QCOMPARE(PreviewLatencyChoice::load(file), PreviewLatency::Low);
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("[preview]\nlatency=ludicrous\n");
        damaged.close();
        QCOMPARE(PreviewLatencyChoice::load(file), PreviewLatency::Default);
        QCOMPARE(PreviewLatencyChoice::load(home.filePath(QStringLiteral("missing.ini"))), PreviewLatency::Default);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
