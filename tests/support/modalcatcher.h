#ifndef HALVORINE_MODALCATCHER_H
#define HALVORINE_MODALCATCHER_H

#include <QObject>
#include <QStringList>
#include <QTimer>

// Closes every modal message box shortly after it opens, and records its title and
// text. A box runs a nested event loop, so only a timer can reach it.
class ModalCatcher : public QObject
{
    Q_OBJECT

public:
    explicit ModalCatcher(QObject *parent = nullptr);

    QStringList titles() const { return seenTitles; }
    QStringList texts() const { return seenTexts; }
    int count() const { return seenTexts.size(); }
    void clear();
    // Leave boxes open (to check that the window stays responsive behind one).
    void setClosing(bool close) { closing = close; }

private slots:
    void poll();

private:
    QTimer timer;
    QStringList seenTitles;
    QStringList seenTexts;
    bool closing = true;
};

#endif
