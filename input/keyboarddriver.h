#ifndef HALVORINE_KEYBOARDDRIVER_H
#define HALVORINE_KEYBOARDDRIVER_H

#include "input/showaction.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QVector>

class CameraMotion;
class QKeyEvent;
class QWidget;

// Drives the camera from the keyboard, application-wide: while the focus is in one of
// the watched windows, holding an arrow key pans or tilts as the on-screen arrow does,
// Page Up zooms in and Page Down out, F and N focus far and near, and letting go
// stops. It tells the camera's motion owner what it holds when a key goes down or
// comes up; auto-repeat changes nothing. Of several keys held for one motion, the
// latest pressed drives. The other keys of the map (input/showkeys.h: presets,
// camera select, home, autofocus, F1) are handed on through `requested`, once a press.
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
    // The focus keys' speed: slow enough to stop on the sharp point.
    static constexpr int focusSpeed = 2;

signals:
    void requested(const ShowAction &action);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Motion { PanTilt, Zoom, Focus };

    bool drivesFrom(QWidget *receiver) const;
    bool press(QWidget *receiver, QKeyEvent *event);
    bool release(QKeyEvent *event);
    QVector<int> *heldFor(Motion which);
    void sendLatest(Motion motion);
    void focusChanged(QWidget *now);
    void stopAll();

    CameraMotion *motion;
    QList<QPointer<QWidget>> windows;
    QList<QPointer<QWidget>> keyKeepers;
    // Keys held, oldest first; the last one is the one that drives.
    QVector<int> heldArrows;
    QVector<int> heldZoomKeys;
    QVector<int> heldFocusKeys;
};

#endif
