#ifndef HALVORINE_AUTOREPEATMARKER_H
#define HALVORINE_AUTOREPEATMARKER_H

#include <QObject>
#include <QSet>

// Holding a key is one press and one release, however busy the machine.
//
// X repeats a held key as a release and a press with the same time stamp. Qt tells
// that from the operator letting go by looking for the press in its event queue
// right when it handles the release; on a loaded machine the press is often not
// there yet, so a held Space "releases" and re-presses a focused button, and the
// camera jerks through several drive and stop pairs.
//
// So the server is asked not to send those releases at all (XKB's detectable
// auto-repeat). A held key then arrives as presses only; Qt's xcb plugin, which
// only ever marks a press as repeated after a release it recognised, would report
// each of them as new. This filter marks them: a press of a key that is already
// down is re-sent as an auto-repeat, which buttons and the keyboard driver ignore
// and text fields still type.
//
// Where detectable auto-repeat is not available (Wayland, Windows, which mark
// repeats themselves), the filter is not installed.
class AutoRepeatMarker : public QObject
{
    Q_OBJECT

public:
    explicit AutoRepeatMarker(QObject *parent = nullptr);
    ~AutoRepeatMarker() override;

    bool isActive() const { return active; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool active = false;
    // Native scan codes of the keys down, as far as this program's windows saw.
    QSet<quint32> down;
};

#endif
