#ifndef HALVORINE_MODALCATCHER_H
#define HALVORINE_MODALCATCHER_H

#include <QObject>
#include <QStringList>
#include <QTimer>

#include <functional>

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
    // Runs while each box is still open (to see what the window shows behind it).
    void setOnShown(std::function<void()> callback) { onShown = std::move(callback); }

private slots:
    void poll();

private:
    QTimer timer;
    QStringList seenTitles;
    QStringList seenTexts;
    bool closing = true;
    std::function<void()> onShown;
};

#endif
