#ifndef HALVORINE_CONTROLLERSHOW_H
#define HALVORINE_CONTROLLERSHOW_H

#include "input/showaction.h"

#include <QObject>
#include <QPair>
#include <QString>
#include <QVector>
#include <QTimer>
#include <functional>

// The one map from a controller's buttons to show actions, on SDL's standard layout
// (buttons named by place), beside what the controller already does: left stick and
// D-pad pan-tilt, triggers and right stick up/down zoom, A/B/Start the OSD menu.
//   X + D-pad up/right/down/left   preset 1 / 2 / 3 / 4
//   Y + D-pad up/right/down/left   preset 5 / 6 / 7 / 8
//       released within storeHoldMs: recall; held storeHoldMs: store, and no recall
//   left / right shoulder          previous / next saved camera
//   Back (Select, View)            home
//   right stick left / right       focus near / far while held
//   right stick click              one-push autofocus
// While X or Y is held, the D-pad picks presets and does not drive. Presets, home and
// camera select are refused while the camera is being driven (isDriving), so a slip of
// the thumb on air does nothing; a drive that starts during a preset hold cancels it.
class ControllerShow : public QObject
{
    Q_OBJECT

public:
    enum class Button { DpadUp, DpadRight, DpadDown, DpadLeft, X, Y, Back, LeftShoulder, RightShoulder, RightStick };

    static constexpr int storeHoldMs = 1500;
    // The right stick's dead zone, as the left one's.
    static constexpr int focusDeadZone = 7849;

    explicit ControllerShow(std::function<bool()> isDriving, QObject *parent = nullptr);

    // True when the button is taken here and must not reach the drive (a D-pad press
    // picking a preset, and its release).
    bool button(Button button, bool down);
    // The right stick: horizontal focus only while it leans more sideways than up or
    // down, so a zoom on the same stick does not focus too.
    void setRightStick(int x, int y);
    // The controller is gone: an unfinished preset hold ends without a recall, a
    // focus hold is let go.
    void release();

    // Rows of (controls, what they do) for the key map window and the README,
    // what the controller did before this map included.
    static QVector<QPair<QString, QString>> rows();

    // The preset a hold is picking, 0 when none.
    int pendingPreset() const { return pending; }

signals:
    // `pressed` is false only for the end of a held action.
    void action(const ShowAction &action, bool pressed);
    void refused(const QString &why);

private:
    void storeHeldPreset();
    void setFocus(ShowAction::Kind kind, int speed);
    bool driving() const { return isDriving && isDriving(); }

    std::function<bool()> isDriving;
    bool xHeld = false;
    bool yHeld = false;
    int pending = 0;           // preset of the D-pad press being held under X or Y
    Button pendingButton = Button::DpadUp;
    QTimer storeTimer;
    ShowAction focus;          // the focus hold under way, kind None when none
};

#endif
