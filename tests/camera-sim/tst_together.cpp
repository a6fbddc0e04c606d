// The real remote against the real simulator: the application object and its
// main window built here, camera-sim run as a child process on 127.0.0.45, the
// operator's clicks reaching the simulated head, checked through its log.
#include "apptestmain.h"

#include <QDateTime>
#include <QLineEdit>
#include <QMainWindow>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>

namespace {

const QString SimAddress = QStringLiteral("127.0.0.45");

struct LogLine
{
    QDateTime at;
    QString words;
};

// One "yyyy-MM-dd HH:mm:ss.zzz words" line of the simulator's log.
LogLine parse(const QString &line)
{
    return {QDateTime::fromString(line.left(23), QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")), line.mid(24)};
}

// "held at pan 0.0, tilt 41.7" -> (0.0, 41.7)
QPointF panTiltIn(const QString &words)
{
    static const QRegularExpression numbers(QStringLiteral(R"(pan (-?[\d.]+), tilt (-?[\d.]+))"));
    const QRegularExpressionMatch m = numbers.match(words);
    return m.hasMatch() ? QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) : QPointF(qQNaN(), qQNaN());
}

} // namespace

class TestTogether : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;
    QProcess sim;
    QVector<LogLine> log;
    int seen = 0; // log lines handed out by next()
    QByteArray partial;

    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(QLatin1String(name)); }

    // Waits for the next log line after those already seen; empty on time-out.
    LogLine next()
    {
        if (!QTest::qWaitFor([&] { return log.size() > seen; }, 5000))
            return {};
        return log[seen++];
    }
    void collectLog()
    {
        partial += sim.readAllStandardOutput();
        int end;
        while ((end = partial.indexOf('\n')) >= 0) {
            log << parse(QString::fromUtf8(partial.left(end)));
            partial.remove(0, end + 1);
        }
    }

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        connect(&sim, &QProcess::readyReadStandardOutput, this, &TestTogether::collectLog);
        sim.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sim.start(QStringLiteral(CAMERA_SIM_PATH), {"--address", SimAddress, "--no-video"});
        QCOMPARE(next().words, QStringLiteral("listening for VISCA on 127.0.0.45:5678"));
    }

    void cleanupTestCase()
    {
        sim.terminate();
        sim.waitForFinished(5000);
    }

    void connects()
    {
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(SimAddress);
        QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(button("connectBtn")->text(), QStringLiteral("Disconnect"));
        QVERIFY(next().words.startsWith("client 1 connected from 127.0.0."));
    }

    // Held for a second, Up tilts the head up at speed 14 (42 deg/s) and it stops
    // on release; it then stays there until driven again.
    void holdingUpTiltsTheHeadAndReleaseStopsIt()
    {
        QPushButton *up = button("upBtn");
        QTest::mousePress(up, Qt::LeftButton);
        const LogLine drive = next();
        QCOMPARE(drive.words, QStringLiteral("pan-tilt drive: up, pan speed 14, tilt speed 14 (from pan 0.0, tilt 0.0)"));
        // The hold itself: a second in which the remote must send nothing more.
        const int linesSoFar = log.size();
        QVERIFY(!QTest::qWaitFor([&] { return log.size() > linesSoFar; }, 1000));
        QTest::mouseRelease(up, Qt::LeftButton);
        const LogLine stop = next();
        QVERIFY2(stop.words.startsWith("pan-tilt stop (held at pan 0.0, tilt "), qPrintable(stop.words));

        const double seconds = drive.at.msecsTo(stop.at) / 1000.0;
        QVERIFY(seconds >= 0.9);
        const QPointF at = panTiltIn(stop.words);
        QVERIFY2(qAbs(at.y() - 42 * seconds) < 2.0, qPrintable(QStringLiteral("%1 after %2 s").arg(at.y()).arg(seconds)));

        // A short push right starts from exactly where the head was held.
        QTest::mouseClick(button("rightBtn"), Qt::LeftButton);
        const LogLine right = next();
        QVERIFY2(right.words.startsWith("pan-tilt drive: right"), qPrintable(right.words));
        QCOMPARE(panTiltIn(right.words), at);
        QVERIFY(next().words.startsWith("pan-tilt stop (held at pan "));
    }

    void osdEnterAndBackWalkTheMenu()
    {
        QTest::mouseClick(button("osdBtn"), Qt::LeftButton);
        QCOMPARE(next().words, QStringLiteral("memory recall 95 (OSD menu open, MENU page, cursor on Exposure)"));
        QTest::mouseClick(button("downBtn"), Qt::LeftButton);
        QCOMPARE(next().words, QStringLiteral("pan-tilt drive: down, pan speed 14, tilt speed 14 (MENU page, cursor on Colour)"));
        QCOMPARE(next().words, QStringLiteral("pan-tilt stop (OSD menu open, head still)"));
        QTest::mouseClick(button("enterBtn"), Qt::LeftButton);
        QCOMPARE(next().words, QStringLiteral("OSD enter (COLOUR page, cursor on White balance: Auto)"));
        QTest::mouseClick(button("backBtn"), Qt::LeftButton);
        QCOMPARE(next().words, QStringLiteral("OSD back (MENU page, cursor on Colour)"));
        QTest::mouseClick(button("osdBtn"), Qt::LeftButton);
        QCOMPARE(next().words, QStringLiteral("memory recall 95 (OSD menu closed)"));
    }

    void disconnects()
    {
        QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(button("connectBtn")->text(), QStringLiteral("Connect"));
        QCOMPARE(next().words, QStringLiteral("client 1 disconnected"));
    }
};

HALVORINE_APP_TEST_MAIN(TestTogether)
#include "tst_together.moc"
