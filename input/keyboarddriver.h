#ifndef HALVORINE_KEYBOARDDRIVER_H
#define HALVORINE_KEYBOARDDRIVER_H

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVector>

class CameraMotion;
class QKeyEvent;
class QWidget;

// Drives the camera from the keyboard, application-wide: while the focus is in one of
// the watched windows, holding an arrow key pans or tilts as the on-screen arrow does,
// Page Up zooms in and Page Down out, and letting go stops. It tells the camera's
// motion owner what it holds when a key goes down or comes up; auto-repeat changes
// nothing. Of several arrows held, the latest pressed drives.
//
// The widgets handed to keepKeysFor keep their arrow keys (moving the cursor, stepping
// through a list); so does any window not watched, such as a message box.
class KeyboardDriver : public QObject
{
    Q_OBJECT

public:
    explicit KeyboardDriver(CameraMotion *motion, QObject *parent = nullptr);
    ~KeyboardDriver() override;

    void watchWindow(QWidget *window);
    void keepKeysFor(QWidget *widget);

    // The zoom speed of the page keys (0 slowest .. 7): a steady middle pace that
    // frames a shot without overshooting it.
    static constexpr int zoomSpeed = 3;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Motion { PanTilt, Zoom };

    bool drivesFrom(QWidget *receiver) const;
    bool press(QWidget *receiver, QKeyEvent *event);
    bool release(QKeyEvent *event);
    void sendLatest(Motion motion);
    void focusChanged(QWidget *now);
    void stopAll();

    CameraMotion *motion;
    QList<QPointer<QWidget>> windows;
    QList<QPointer<QWidget>> keyKeepers;
    // Keys held, oldest first; the last one is the one that drives.
    QVector<int> heldArrows;
    QVector<int> heldZoomKeys;
};

#endif
