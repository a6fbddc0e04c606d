// What the operator sees on a real X server: each arrow button shows its own face
// when idle, under the mouse and pressed, and the Connect button its red light.
#include "apptestmain.h"
#include "screengrab.h"

#include <QApplication>
#include <QCursor>
#include <QMainWindow>
#include <QPushButton>
#include <QScreen>

namespace {

constexpr int faceTolerance = 6;

// The face's grey shows at the left edge; the arrow in the middle is cut out, so
// the window's #333333 shows through it.
bool showsFace(QWidget *button, const QColor &face)
{
    const QImage image = grabFromScreen(button);
    return colourNear(image.pixelColor(4, 22), face, faceTolerance)
        && colourNear(image.pixelColor(22, 22), QColor(0x33, 0x33, 0x33), faceTolerance);
}

} // namespace

class TestFaces : public QObject
{
    Q_OBJECT

    QMainWindow *window = nullptr;

private slots:
    void initTestCase()
    {
        window = applicationMainWindow();
        QVERIFY(window);
        window->move(100, 100);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCursor::setPos(0, 0);
    }

    void arrowFacesFollowTheButtonState_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("up") << "upBtn";
        QTest::newRow("right") << "rightBtn";
        QTest::newRow("left") << "leftBtn";
        QTest::newRow("down") << "downBtn";
    }
    void arrowFacesFollowTheButtonState()
    {
        QFETCH(QString, button);
        auto *arrow = window->findChild<QPushButton *>(button);
        QVERIFY(arrow);
        const QColor idle(0x80, 0x80, 0x80), hover(0xc9, 0xc9, 0xc9), pressed(0x47, 0x47, 0x47);

        QTRY_VERIFY2(showsFace(arrow, idle), "idle face");
        QTest::mouseMove(arrow, QPoint(22, 22));
        QTRY_VERIFY2(showsFace(arrow, hover), "face under the mouse");
        QTest::mousePress(arrow, Qt::LeftButton, Qt::NoModifier, QPoint(22, 22));
        QTRY_VERIFY2(showsFace(arrow, pressed), "pressed face");
        QTest::mouseRelease(arrow, Qt::LeftButton, Qt::NoModifier, QPoint(22, 22));
        QTest::mouseMove(window, QPoint(2, 2));
        QTRY_VERIFY2(showsFace(arrow, idle), "idle again");
    }

    void connectButtonShowsTheRedLightAtTwelvePixels()
    {
        auto *connectBtn = window->findChild<QPushButton *>(QStringLiteral("connectBtn"));
        QRect red;
        int count = 0;
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                const QImage image = grabFromScreen(connectBtn);
                red = QRect();
                count = 0;
                for (int y = 0; y < image.height(); ++y)
                    for (int x = 0; x < image.width(); ++x)
                        if (colourNear(image.pixelColor(x, y), Qt::red, 40)) {
                            red |= QRect(x, y, 1, 1);
                            ++count;
                        }
                return count > 0;
            }(),
            5000);
        // A disc drawn into a 12 x 12 icon: no wider or taller than that, and round-ish.
        QVERIFY2(red.width() <= 12 && red.height() <= 12, qPrintable(QStringLiteral("%1x%2").arg(red.width()).arg(red.height())));
        QVERIFY(red.width() >= 8 && red.height() >= 8);
        QVERIFY(count < red.width() * red.height());
    }
};

HALVORINE_APP_TEST_MAIN(TestFaces)
#include "test_faces.moc"
