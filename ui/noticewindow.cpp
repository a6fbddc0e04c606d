#include "ui/noticewindow.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>

// A tool tip window: no frame, above its program's windows, and never activated.
NoticeWindow::NoticeWindow(QWidget *anchor)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                           | Qt::WindowDoesNotAcceptFocus)
    , anchor(anchor)
    , label(new QLabel(this))
{
    setObjectName(QStringLiteral("noticeWindow"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QWidget#noticeWindow{background:#1f1f1f;border:1px solid #c9c9c9}"
                                 "QLabel{color:white;font-weight:bold;padding:6px 10px}"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    hideTimer.setSingleShot(true);
    hideTimer.setInterval(shownMs);
    connect(&hideTimer, &QTimer::timeout, this, &QWidget::hide);
}

void NoticeWindow::notify(const QString &text)
{
    label->setText(text);
    adjustSize();
    placeByAnchor();
    show();
    raise();
    hideTimer.start();
}

QString NoticeWindow::text() const
{
    return isVisible() ? label->text() : QString();
}

// Centred under the anchor's frame, or above it where the screen ends: off the
// remote's own buttons, and off a preview snapped into it.
void NoticeWindow::placeByAnchor()
{
    if (!anchor)
        return;
    const QRect frame = anchor->frameGeometry();
    QPoint at(frame.center().x() - width() / 2, frame.bottom() + 6);
    if (const QScreen *screen = anchor->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.y() + height() > room.bottom())
            at.setY(frame.top() - height() - 6);
        at.setX(qBound(room.left(), at.x(), room.right() - width()));
        at.setY(qMax(room.top(), at.y()));
    }
    move(at);
}
