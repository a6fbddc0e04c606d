// The whole preview with real parts: the real application under its own X server,
// the real libVLC with the program's own RTSP input, and a real RTSP server on port
// 554 of this test's loopback address (the stream URL carries no port).
#include "apptestmain.h"
#include "modalcatcher.h"
#include "recordingpeer.h"
#include "starttestserver.h"
#include "screengrab.h"
#include "ui/previewdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>

#include <memory>
#include <unistd.h>

namespace {

const QString cameraAddress = QStringLiteral("127.0.0.23");

} // namespace

class TestPreviewLive : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;
    PreviewDlg *dialog = nullptr;
    QFrame *player = nullptr;
    std::unique_ptr<RtspTestServer> server;
    RecordingPeer *camera = nullptr;
    ModalCatcher *boxes = nullptr;

    QPushButton *button(const char *name) { return window->findChild<QPushButton *>(QString::fromLatin1(name)); }
    QString connectText() { return button("connectBtn")->text(); }
    void connectCamera()
    {
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(cameraAddress);
        QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        QTRY_COMPARE(connectText(), QStringLiteral("Disconnect"));
    }
    void disconnectCamera()
    {
        if (connectText() == QLatin1String("Disconnect"))
            QTest::mouseClick(button("connectBtn"), Qt::LeftButton);
        QCOMPARE(connectText(), QStringLiteral("Connect"));
    }
    int sessionsEnded() { return server->count(QStringLiteral("client-closed")); }
    int openSessions()
    {
        return server->count(QStringLiteral("client-connected")) - server->count(QStringLiteral("client-closed"));
    }
    // Each start opens the stream twice, the second replacing the first; wait until the
    // server has seen the first one go, so that only the live session is left.
    void waitForTheLiveSessionOnly()
    {
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(openSessions(), 1, 5000);
    }

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        dialog = window->findChild<PreviewDlg *>();
        player = dialog->findChild<QFrame *>(QStringLiteral("player"));
        boxes = new ModalCatcher(this);

        server = std::make_unique<RtspTestServer>(cameraAddress, QStringList{"--codec", "h264", "--keyframe-interval", "1"});
        START_TEST_SERVER(*server);
        camera = new RecordingPeer(QHostAddress(cameraAddress), 5678, this);
        QVERIFY(camera->isListening());
        window->move(0, 0);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
    }

    void cleanup()
    {
        dialog->stopStream();
        if (dialog->findChild<QCheckBox *>()->isChecked())
            dialog->findChild<QCheckBox *>()->setChecked(false);
        dialog->hide();
        disconnectCamera();
        QCOMPARE(boxes->count(), 0);
    }

    void previewWhileConnectedShowsThePicture()
    {
        connectCamera();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(button("previewBtn"), Qt::LeftButton);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 10000);
        qInfo("first picture in the player frame %lld ms after Preview", clock.elapsed());
    }

    void snapKeepsTheVideoInTheMainWindowAndUnsnapInTheDialog()
    {
        connectCamera();
        QTest::mouseClick(button("previewBtn"), Qt::LeftButton);
        waitForTheLiveSessionOnly();
        const int ended = sessionsEnded();

        auto *snap = dialog->findChild<QCheckBox *>(QStringLiteral("snapCheck"));
        snap->setChecked(true);
        QVERIFY(!dialog->isWindow());
        QTRY_VERIFY(dialog->isVisible());
        QCOMPARE(player->window(), window);
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 5000);

        snap->setChecked(false);
        QVERIFY(dialog->isWindow());
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 5000);
        QCOMPARE(sessionsEnded(), ended); // one stream throughout
    }

    void stopAndCloseEndTheSession()
    {
        connectCamera();
        QTest::mouseClick(button("previewBtn"), Qt::LeftButton);
        waitForTheLiveSessionOnly();
        int ended = sessionsEnded();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("StopBtn")), Qt::LeftButton);
        QVERIFY(server->waitForEvents(QStringLiteral("client-closed"), ended + 1, 10000));
        QTRY_VERIFY_WITH_TIMEOUT(isBlack(player), 5000);

        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("playBtn")), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(showsColourBars(player), 10000);
        ended = sessionsEnded();
        QVERIFY(dialog->close());
        QVERIFY(server->waitForEvents(QStringLiteral("client-closed"), ended + 1, 10000));
    }

    void disconnectingStopsAVisibleDialogOnly()
    {
        connectCamera();
        QTest::mouseClick(button("previewBtn"), Qt::LeftButton);
        waitForTheLiveSessionOnly();
        int ended = sessionsEnded();
        disconnectCamera();
        QVERIFY(server->waitForEvents(QStringLiteral("client-closed"), ended + 1, 10000));

        // Hidden with Escape, the stream goes on unseen and a disconnect leaves it alone.
        connectCamera();
        waitForTheLiveSessionOnly();
        QTest::keyClick(dialog, Qt::Key_Escape);
        QTRY_VERIFY(!dialog->isVisible());
        ended = sessionsEnded();
        disconnectCamera();
        QVERIFY(!server->waitForEvents(QStringLiteral("client-closed"), ended + 1, 1500));
        QCOMPARE(openSessions(), 1);
    }
};

HALVORINE_APP_TEST_MAIN(TestPreviewLive)
#include "test_preview_live.moc"
