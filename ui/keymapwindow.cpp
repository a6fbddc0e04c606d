#include "ui/keymapwindow.h"

#include "input/controllershow.h"
#include "input/showkeys.h"

#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QString table(const QString &title, const QVector<QPair<QString, QString>> &rows)
{
    QString html = QStringLiteral("<p><b>%1</b></p><table cellspacing='0' cellpadding='2'>").arg(title);
    for (const auto &row : rows)
        html += QStringLiteral("<tr><td><b>%1</b></td><td>&nbsp;&nbsp;%2</td></tr>")
                    .arg(row.first.toHtmlEscaped(), row.second.toHtmlEscaped());
    return html + QStringLiteral("</table>");
}

} // namespace

KeyMapWindow::KeyMapWindow(QWidget *anchor)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
    , anchor(anchor)
{
    setObjectName(QStringLiteral("keyMapWindow"));
    setWindowTitle(QStringLiteral("Keys and controller"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral("QWidget#keyMapWindow{background:#333333} QLabel{color:white}"));
    auto *text = new QLabel(table(QStringLiteral("Keyboard"), ShowKeys::rows())
                                + table(QStringLiteral("Controller"), ControllerShow::rows()),
                            this);
    text->setTextFormat(Qt::RichText);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
}

// Right of the remote's window, or left of it where the screen ends.
void KeyMapWindow::toggle()
{
    if (isVisible()) {
        hide();
        return;
    }
    adjustSize();
    if (anchor) {
        const QRect frame = anchor->frameGeometry();
        QPoint at(frame.right() + 8, frame.top());
        if (const QScreen *screen = anchor->screen()) {
            const QRect room = screen->availableGeometry();
            if (at.x() + frameGeometry().width() > room.right())
                at.setX(frame.left() - frameGeometry().width() - 8);
            at.setX(qMax(room.left(), at.x()));
        }
        move(at);
    }
    show();
}
