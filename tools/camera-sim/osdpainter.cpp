// The camera's on-screen menu drawn over the picture: a title bar, one row per
// entry, the row under the cursor highlighted, and a hint on the keys.
#include "osdmenu.h"
#include "scenerenderer.h"

#include <QPainter>

namespace SceneRenderer {

void paintMenu(QImage &image, const OsdMenu &menu)
{
    if (!menu.isOpen())
        return;
    const QStringList entries = menu.entries();
    const int rowHeight = 26;
    const QRectF panel(32, 28, 300, rowHeight * (entries.size() + 2) + 8);

    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(230, 230, 255), 2));
    p.setBrush(QColor(16, 24, 90, 230));
    p.drawRoundedRect(panel, 6, 6);

    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(16);
    font.setBold(true);
    p.setFont(font);
    QRectF row(panel.left() + 12, panel.top() + 4, panel.width() - 24, rowHeight);
    p.drawText(row, Qt::AlignVCenter | Qt::AlignLeft, menu.title());
    p.drawLine(QPointF(row.left(), row.bottom()), QPointF(row.right(), row.bottom()));

    font.setBold(false);
    p.setFont(font);
    for (int i = 0; i < entries.size(); ++i) {
        row.translate(0, rowHeight);
        const bool current = i == menu.cursor();
        if (current)
            p.fillRect(row.adjusted(-6, 2, 6, -2), QColor(250, 210, 40));
        p.setPen(current ? Qt::black : Qt::white);
        p.drawText(row.adjusted(6, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft,
                   (current ? QStringLiteral("\u25B6 ") : QStringLiteral("   ")) + entries[i]);
    }

    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(QColor(200, 200, 230));
    row.translate(0, rowHeight);
    p.drawText(row, Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("\u25B2\u25BC select   \u25C0\u25B6 change   ENTER   BACK"));
}

} // namespace SceneRenderer
