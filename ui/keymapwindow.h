#ifndef HALVORINE_KEYMAPWINDOW_H
#define HALVORINE_KEYMAPWINDOW_H

#include <QPointer>
#include <QWidget>

// The key and controller map (F1), beside the remote's window. Like the notices it is
// a window of its own that never takes the keyboard focus, so opening it in the middle
// of a held drive does not stop the drive; F1 again closes it.
class KeyMapWindow : public QWidget
{
    Q_OBJECT

public:
    explicit KeyMapWindow(QWidget *anchor);

    void toggle();

private:
    QPointer<QWidget> anchor;
};

#endif
