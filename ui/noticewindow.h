#ifndef HALVORINE_NOTICEWINDOW_H
#define HALVORINE_NOTICEWINDOW_H

#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;

// A word on the screen for what the keyboard or a controller just did ("Preset 3
// stored", "No saved camera 7"), since nothing in the fixed windows can show it: a
// small frameless window of its own just below the remote's window, for shownMs.
// It never takes the keyboard focus, since a focus change would stop a held drive,
// and lets the mouse through.
class NoticeWindow : public QWidget
{
    Q_OBJECT

public:
    static constexpr int shownMs = 1500;

    // `anchor` is the window the notice sits by; the notice is no child of it.
    explicit NoticeWindow(QWidget *anchor);

    void notify(const QString &text);
    QString text() const;

private:
    void placeByAnchor();

    QPointer<QWidget> anchor;
    QLabel *label;
    QTimer hideTimer;
};

#endif
