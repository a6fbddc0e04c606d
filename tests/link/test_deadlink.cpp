// A camera that loses its cable or its power mid-session: its packets stop, with no
// reset and no FIN. The real application, a real peer and a real RTSP server run in
// a network namespace of this test's own, where nftables drops the camera's packets
// once the link is up; the operator must see the error and end on "Connect" with
// the red light, in a few seconds, whatever the link was doing.
#include "app/corvanta.h"
#include "apptestmain.h"
#include "modalcatcher.h"
#include "privatenetwork.h"
#include "recordingpeer.h"
#include "starttestserver.h"
#include "screengrab.h"
#include "testenvironment.h"
#include "ui/previewdlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>

namespace {

// Private to this test's namespace, but kept apart from the other tests' all the same.
const QString cameraAddress = QStringLiteral("127.0.1.1");

} // namespace

class TestDeadLink : public QObject
{
    Q_OBJECT

public:
    explicit TestDeadLink(const QString &unavailable)
        : unavailable(unavailable)
    {
    }

private:
    const QString unavailable;
    QMainWindow *window = nullptr;
    PreviewDlg *dialog = nullptr;
    RecordingPeer *peer = nullptr;
    ModalCatcher *boxes = nullptr;

    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QString connectText() { return button("connectBtn")->text(); }
    QString light() { return colourAtCentre(button("connectBtn")->icon()); }

    bool connectTo(const QString &address)
    {
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(address);
        // The peer may not have seen the last link's end yet: wait for this link.
        const int links = peer->connectionCount();
        QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        return QTest::qWaitFor([&] { return connectText() == QLatin1String("Disconnect") && peer->connectionCount() > links && peer->hasClient(); },
                               5000);
    }
    void drop(const QString &address)
    {
        QString error;
        QVERIFY2(PrivateNetwork::dropAddress(address, &error), qPrintable(error));
    }
    // Waits for the one error box; returns the milliseconds it took, or -1.
    qint64 millisecondsUntilTheError(const QElapsedTimer &since, int limitMs)
    {
        if (!QTest::qWaitFor([&] { return boxes->count() > 0; }, limitMs))
            return -1;
        return since.elapsed();
    }
    // After the error: the box said so, and the button is back on "Connect", red.
    void expectReportedAndDown()
    {
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Camera Connection Error!")});
        QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
        QCOMPARE(light(), QStringLiteral("#ff0000"));
    }
    // Once the camera is back, Connect works again on the same link.
    void expectConnectWorksAgain()
    {
        QString error;
        QVERIFY2(PrivateNetwork::restore(&error), qPrintable(error));
        QVERIFY(connectTo(cameraAddress));
        QCOMPARE(light(), QStringLiteral("#13ff00"));
    }

private slots:
    void initTestCase()
    {
        if (!unavailable.isEmpty())
            QSKIP(qPrintable(unavailable));
        window = applicationMainWindow();
        QVERIFY(window);
        dialog = window->findChild<PreviewDlg *>();
        QVERIFY(dialog);
        boxes = new ModalCatcher(this);
        peer = new RecordingPeer(QHostAddress(cameraAddress), 5678, this);
        QVERIFY2(peer->isListening(), qPrintable(peer->errorString()));
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void init() { boxes->clear(); }

    void cleanup()
    {
        QString error;
        QVERIFY2(PrivateNetwork::restore(&error), qPrintable(error));
        dialog->stopStream();
        dialog->hide();
        if (connectText() == QLatin1String("Disconnect"))
            QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(connectText(), QStringLiteral("Connect"));
    }

    void idleLinkToAVanishedCameraIsReported()
    {
        QVERIFY(connectTo(cameraAddress));
        drop(cameraAddress);
        QElapsedTimer clock;
        clock.start();
        const qint64 took = millisecondsUntilTheError(clock, 30000);
        qInfo("idle link: error after %lld ms", took);
        QVERIFY2(took >= 0, "no error within 30 s");
        QVERIFY2(took <= 15000, qPrintable(QStringLiteral("error after %1 ms").arg(took)));
        expectReportedAndDown();
        expectConnectWorksAgain();
    }

    void pressIntoAVanishedCameraIsReportedWithinFiveSeconds()
    {
        QVERIFY(connectTo(cameraAddress));
        drop(cameraAddress);
        QElapsedTimer clock;
        clock.start();
        QTest::mousePress(button("upBtn"), Qt::LeftButton);
        QTest::mouseRelease(button("upBtn"), Qt::LeftButton);
        const qint64 took = millisecondsUntilTheError(clock, 30000);
        qInfo("after a press: error after %lld ms", took);
        QVERIFY2(took >= 0, "no error within 30 s");
        QVERIFY2(took <= 5000, qPrintable(QStringLiteral("error after %1 ms").arg(took)));
        expectReportedAndDown();
        expectConnectWorksAgain();
    }

    void previewOfAVanishedCameraStopsWithTheLink()
    {
        RtspTestServer server(cameraAddress, {"--codec", "h264", "--keyframe-interval", "1"});
        START_TEST_SERVER(server);
        QVERIFY(connectTo(cameraAddress));
        QTest::mouseClick(button("previewBtn"), Qt::LeftButton);
        auto *player = dialog->findChild<QFrame *>(QStringLiteral("player"));
        // The first picture can take a while on a loaded machine (libVLC's first start).
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 20000);

        drop(cameraAddress);
        QElapsedTimer clock;
        clock.start();
        const qint64 took = millisecondsUntilTheError(clock, 30000);
        qInfo("while previewing: error after %lld ms", took);
        QVERIFY2(took >= 0, "no error within 30 s");
        QVERIFY2(took <= 15000, qPrintable(QStringLiteral("error after %1 ms").arg(took)));
        expectReportedAndDown();
        // The stream stops with the link: the last picture does not stay frozen.
        QTRY_VERIFY_WITH_TIMEOUT(isBlack(player), 5000);
        QVERIFY(dialog->isVisible());
    }
};

HALVORINE_PRIVATE_NETWORK_APP_TEST_MAIN(TestDeadLink)

#include "test_deadlink.moc"
