// The preview dialog's use of libVLC, call by call, against a recording stand-in:
// every state change, every failure and its message, and the main window's hooks.
#include "apptestmain.h"
#include "modalcatcher.h"
#include "recordinglibvlc.h"
#include "recordingpeer.h"
#include "ui/mainwindow.h"
#include "ui/previewdlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>

#include <memory>

namespace {

using RecordingLibVlc::behaviour;
using RecordingLibVlc::calls;

const QHostAddress peerAddress(QStringLiteral("127.0.0.24"));

QStringList opening(const QString &address)
{
    return {QStringLiteral("media_new_location(rtsp://%1/1)").arg(address),
            QStringLiteral("media_add_option(:network-caching=300)"),
            QStringLiteral("player_new_from_media"),
            QStringLiteral("audio_set_volume(0)"),
            QStringLiteral("player_set_xwindow(window)"),
            QStringLiteral("player_play"),
            QStringLiteral("media_release")};
}
const QStringList stopping{QStringLiteral("player_stop"), QStringLiteral("player_release")};

// A main window of the shape the dialog docks into: a central widget with a layout.
struct Host
{
    QMainWindow window;
    PreviewDlg *dialog = nullptr;
    Host()
    {
        auto *central = new QWidget(&window);
        new QHBoxLayout(central);
        window.setCentralWidget(central);
        dialog = new PreviewDlg(&window);
    }
};

} // namespace

class TestPreviewCalls : public QObject
{
    Q_OBJECT

    ModalCatcher *boxes = nullptr;
    std::unique_ptr<Host> host;

    void clearRecords()
    {
        calls().clear();
        boxes->clear();
    }

private slots:
    void initTestCase() { boxes = new ModalCatcher(this); }

    void init()
    {
        RecordingLibVlc::reset();
        host = std::make_unique<Host>();
        QCOMPARE(calls(), QStringList{QStringLiteral("new(0,null)")});
        clearRecords();
    }

    void cleanup()
    {
        host.reset();
        QCOMPARE(RecordingLibVlc::livePlayers(), 0);
        QCOMPARE(RecordingLibVlc::liveMedia(), 0);
        QCOMPARE(RecordingLibVlc::badReleases(), 0);
    }

    void playBeforeAnyAddressUsesTheZeroAddress()
    {
        host->dialog->playStream();
        QCOMPARE(calls(), opening(QStringLiteral("0.0.0.0")));
        QCOMPARE(RecordingLibVlc::livePlayers(), 1);
        QCOMPARE(boxes->count(), 0);
    }

    void addressIsUsedVerbatim_data()
    {
        QTest::addColumn<QString>("address");
        QTest::newRow("ip") << QStringLiteral("192.0.2.10");
        QTest::newRow("empty") << QString();
        QTest::newRow("spaces and non-ascii") << QStringLiteral(" kamera süd ");
    }
    void addressIsUsedVerbatim()
    {
        QFETCH(QString, address);
        host->dialog->setAddressAndPlay(address);
        QCOMPARE(calls(), opening(address));
    }

    void playWhilePlayingStopsAndReleasesFirst()
    {
        host->dialog->setAddressAndPlay(QStringLiteral("192.0.2.10"));
        calls().clear();
        host->dialog->playStream();
        QCOMPARE(calls(), stopping + opening(QStringLiteral("192.0.2.10")));
        QCOMPARE(RecordingLibVlc::livePlayers(), 1);
    }

    void stopIsHarmlessWhenIdleAndTwice()
    {
        host->dialog->stopStream();
        QVERIFY(calls().isEmpty());
        host->dialog->playStream();
        calls().clear();
        host->dialog->stopStream();
        host->dialog->stopStream();
        QCOMPARE(calls(), stopping);
    }

    void buttonsPlayAndStop()
    {
        QTest::mouseClick(host->dialog->findChild<QPushButton *>(QStringLiteral("playBtn")), Qt::LeftButton);
        QCOMPARE(calls(), opening(QStringLiteral("0.0.0.0")));
        calls().clear();
        QTest::mouseClick(host->dialog->findChild<QPushButton *>(QStringLiteral("StopBtn")), Qt::LeftButton);
        QCOMPARE(calls(), stopping);
    }

    void mediaFailureStopsTheRunningStreamAndEndsIdle()
    {
        host->dialog->playStream();
        calls().clear();
        behaviour().failMedia = true;
        host->dialog->playStream();
        QCOMPARE(calls(), stopping + QStringList{QStringLiteral("media_new_location(rtsp://0.0.0.0/1)")});
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your stream")});
        QCOMPARE(boxes->titles(), QStringList{QStringLiteral("Halvorine")});
        calls().clear();
        host->dialog->stopStream();
        QVERIFY(calls().isEmpty());
    }

    void playerFailureReleasesTheMediaAndHoldsNothing()
    {
        behaviour().failPlayer = true;
        host->dialog->playStream();
        QCOMPARE(calls(), (QStringList{QStringLiteral("media_new_location(rtsp://0.0.0.0/1)"),
                                       QStringLiteral("media_add_option(:network-caching=300)"),
                                       QStringLiteral("player_new_from_media"), QStringLiteral("media_release")}));
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your live stream.")});
        calls().clear();
        host->dialog->stopStream();
        QVERIFY(calls().isEmpty());
        // And the next play starts cleanly.
        behaviour().failPlayer = false;
        host->dialog->playStream();
        QCOMPARE(calls(), opening(QStringLiteral("0.0.0.0")));
    }

    void playReturningFailureKeepsThePlayerUntilStop()
    {
        behaviour().playResult = -1;
        host->dialog->playStream();
        QCOMPARE(calls(), opening(QStringLiteral("0.0.0.0")));
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your live stream.")});
        calls().clear();
        host->dialog->stopStream();
        QCOMPARE(calls(), stopping);
    }

    // A failure box runs a nested event loop, in which the main window may start or
    // stop a stream (the camera link connects or drops): nothing held may be lost.
    void streamChangesBehindAFailureBoxLoseNothing_data()
    {
        QTest::addColumn<bool>("failPlayer");
        QTest::addColumn<bool>("nestedPlay");
        QTest::newRow("no player, play behind the box") << true << true;
        QTest::newRow("no player, stop behind the box") << true << false;
        QTest::newRow("play failed, play behind the box") << false << true;
        QTest::newRow("play failed, stop behind the box") << false << false;
    }
    void streamChangesBehindAFailureBoxLoseNothing()
    {
        QFETCH(bool, failPlayer);
        QFETCH(bool, nestedPlay);
        behaviour().failPlayer = failPlayer;
        behaviour().playResult = failPlayer ? 0 : -1;
        bool ranBehindBox = false;
        QTimer::singleShot(0, host->dialog, [&] {
            ranBehindBox = QApplication::activeModalWidget() != nullptr;
            behaviour() = RecordingLibVlc::Behaviour();
            if (nestedPlay)
                host->dialog->setAddressAndPlay(QStringLiteral("192.0.2.7"));
            else
                host->dialog->stopStream();
        });
        host->dialog->playStream();
        QVERIFY(ranBehindBox);
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your live stream.")});
        QCOMPARE(RecordingLibVlc::liveMedia(), 0);
        QCOMPARE(RecordingLibVlc::livePlayers(), nestedPlay ? 1 : 0);
        calls().clear();
        host->dialog->stopStream();
        QCOMPARE(calls(), nestedPlay ? stopping : QStringList());
        QCOMPARE(RecordingLibVlc::livePlayers(), 0);
    }

    void closingStopsEscapeDoesNot()
    {
        host->dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(host->dialog));
        host->dialog->playStream();
        calls().clear();
        QTest::keyClick(host->dialog, Qt::Key_Escape);
        QTRY_VERIFY(!host->dialog->isVisible());
        QVERIFY(calls().isEmpty()); // still streaming, unseen

        host->dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(host->dialog));
        QVERIFY(host->dialog->close());
        QCOMPARE(calls(), stopping);
        QVERIFY(!host->dialog->isVisible());
        QCOMPARE(host->dialog->result(), 0);
        // Showing it again does not restart the stream by itself.
        calls().clear();
        host->dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(host->dialog));
        QVERIFY(calls().isEmpty());
    }

    void destructionStopsThenReleasesTheInstance()
    {
        host->dialog->playStream();
        calls().clear();
        const int instancesBefore = RecordingLibVlc::liveInstances();
        host.reset();
        QCOMPARE(calls(), stopping + QStringList{QStringLiteral("release")});
        QCOMPARE(RecordingLibVlc::liveInstances(), instancesBefore - 1);
    }

    void withoutLibVlcTheOperatorIsToldAndNothingIsCalled()
    {
        behaviour().failInstance = true;
        auto broken = std::make_unique<Host>();
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your live stream")});
        QVERIFY(!broken->dialog->isVisible());
        calls().clear();
        broken->dialog->playStream();
        broken->dialog->setAddressAndPlay(QStringLiteral("192.0.2.10"));
        broken->dialog->stopStream();
        QVERIFY(calls().isEmpty());
        QCOMPARE(boxes->count(), 3);
        broken.reset();
        QVERIFY(calls().isEmpty()); // no instance to release
    }

    void mainWindowReportsAMissingLibVlcOnceWhileBeingBuilt()
    {
        behaviour().failInstance = true;
        auto window = std::make_unique<MainWindow>();
        QCOMPARE(boxes->texts(), QStringList{QStringLiteral("Can not open your live stream")});
        QVERIFY(!window->isVisible());
    }

    void snapDocksIntoTheMainWindowAndBack()
    {
        host->window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host->window));
        host->dialog->show();
        host->dialog->playStream();
        calls().clear();
        auto *snap = host->dialog->findChild<QCheckBox *>(QStringLiteral("snapCheck"));
        QLayout *dock = host->window.centralWidget()->layout();

        snap->setChecked(true);
        QCOMPARE(dock->indexOf(host->dialog), 0);
        QVERIFY(!host->dialog->isWindow());
        QTRY_VERIFY(host->dialog->isVisible());
        QTRY_VERIFY(host->window.width() >= 640);

        snap->setChecked(false);
        QCOMPARE(dock->indexOf(host->dialog), -1);
        QVERIFY(host->dialog->isWindow());
        // Qt adds the title and system-menu hints that the button hints imply.
        QCOMPARE(host->dialog->windowType(), Qt::Dialog);
        const Qt::WindowFlags buttons =
            Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint;
        QCOMPARE(host->dialog->windowFlags() & buttons, buttons);
        QVERIFY(!host->dialog->isVisible());
        QVERIFY(calls().isEmpty()); // the stream is left running throughout
    }

    void previewHooksOfTheMainWindow()
    {
        QMainWindow *window = applicationMainWindow();
        QVERIFY(window);
        auto *dialog = window->findChild<PreviewDlg *>();
        QVERIFY(dialog);
        RecordingPeer peer(peerAddress);
        QVERIFY(peer.isListening());
        window->show();
        auto *connectBtn = window->findChild<QPushButton *>(QStringLiteral("connectBtn"));
        auto *previewBtn = window->findChild<QPushButton *>(QStringLiteral("previewBtn"));

        // Not connected: the dialog opens without a stream.
        QTest::mouseClick(previewBtn, Qt::LeftButton);
        QTRY_VERIFY(dialog->isVisible());
        QVERIFY(calls().isEmpty());

        // Connecting while it is visible starts the stream twice, the second replacing the first.
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(peerAddress.toString());
        QTest::mouseClick(connectBtn, Qt::LeftButton);
        QTRY_COMPARE(connectBtn->text(), QStringLiteral("Disconnect"));
        const QStringList twice = opening(peerAddress.toString()) + stopping + opening(peerAddress.toString());
        QCOMPARE(calls(), twice);

        // Preview again while connected restarts it; the link's address is used, not the field's.
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(QStringLiteral("192.0.2.99"));
        calls().clear();
        QTest::mouseClick(previewBtn, Qt::LeftButton);
        QCOMPARE(calls(), stopping + twice);

        // Disconnecting while visible stops it.
        calls().clear();
        QTest::mouseClick(connectBtn, Qt::LeftButton);
        QCOMPARE(connectBtn->text(), QStringLiteral("Connect"));
        QCOMPARE(calls(), stopping);

        // A hidden dialog is left alone on connect and on disconnect.
        dialog->hide();
        calls().clear();
        window->findChild<QLineEdit *>(QStringLiteral("ipEdit"))->setText(peerAddress.toString());
        QTest::mouseClick(connectBtn, Qt::LeftButton);
        QTRY_COMPARE(connectBtn->text(), QStringLiteral("Disconnect"));
        QTest::mouseClick(connectBtn, Qt::LeftButton);
        QCOMPARE(connectBtn->text(), QStringLiteral("Connect"));
        QVERIFY(calls().isEmpty());
        QCOMPARE(boxes->count(), 0);
    }
};

HALVORINE_APP_TEST_MAIN(TestPreviewCalls)
#include "test_preview_calls.moc"
