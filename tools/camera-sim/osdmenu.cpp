#include "osdmenu.h"

namespace {

QStringList numbers(int low, int high)
{
    QStringList list;
    for (int i = low; i <= high; ++i)
        list << (i > 0 ? QStringLiteral("+%1").arg(i) : QString::number(i));
    return list;
}

} // namespace

OsdMenu::OsdMenu()
{
    const QStringList offOn{QStringLiteral("Off"), QStringLiteral("On")};
    const QStringList levels{QStringLiteral("Low"), QStringLiteral("Normal"), QStringLiteral("High")};
    root_.label = QStringLiteral("Menu");
    root_.children = {
        {QStringLiteral("Exposure"), {}, 0, {
            {QStringLiteral("Mode"), {"Auto", "Manual", "Shutter priority", "Iris priority"}, 0, {}},
            {QStringLiteral("Compensation"), numbers(-3, 3), 3, {}},
            {QStringLiteral("Backlight"), offOn, 0, {}},
        }},
        {QStringLiteral("Colour"), {}, 0, {
            {QStringLiteral("White balance"), {"Auto", "Indoor", "Outdoor", "One push"}, 0, {}},
            {QStringLiteral("Saturation"), levels, 1, {}},
        }},
        {QStringLiteral("Image"), {}, 0, {
            {QStringLiteral("Mirror"), offOn, 0, {}},
            {QStringLiteral("Flip"), offOn, 0, {}},
            {QStringLiteral("Sharpness"), levels, 1, {}},
        }},
        {QStringLiteral("Exit"), {}, 0, {}},
    };
}

void OsdMenu::open()
{
    open_ = true;
    parents_.clear();
    cursor_ = 0;
}

void OsdMenu::close()
{
    open_ = false;
    parents_.clear();
    cursor_ = 0;
}

bool OsdMenu::enter()
{
    if (!open_)
        return false;
    Item &entry = page().children[cursor_];
    if (!entry.children.empty()) {
        parents_.push_back(cursor_);
        cursor_ = 0;
    } else if (!entry.values.isEmpty()) {
        changeValue(1);
    } else {
        close(); // "Exit"
    }
    return true;
}

bool OsdMenu::back()
{
    if (!open_)
        return false;
    if (parents_.empty()) {
        close();
    } else {
        cursor_ = parents_.back();
        parents_.pop_back();
    }
    return true;
}

void OsdMenu::moveCursor(int steps)
{
    if (!open_)
        return;
    const int count = int(page().children.size());
    cursor_ = ((cursor_ + steps) % count + count) % count;
}

void OsdMenu::changeValue(int steps)
{
    if (!open_)
        return;
    Item &entry = page().children[cursor_];
    const int count = int(entry.values.size());
    if (count > 0)
        entry.value = ((entry.value + steps) % count + count) % count;
}

QString OsdMenu::title() const
{
    return page().label.toUpper();
}

QStringList OsdMenu::entries() const
{
    QStringList list;
    for (const Item &item : page().children)
        list << text(item);
    return list;
}

QString OsdMenu::currentEntry() const
{
    return text(page().children[cursor_]);
}

QString OsdMenu::status() const
{
    if (!open_)
        return QStringLiteral("OSD menu closed");
    return QStringLiteral("%1 page, cursor on %2").arg(title(), currentEntry());
}

QString OsdMenu::text(const Item &item)
{
    if (item.values.isEmpty())
        return item.label;
    return item.label + QStringLiteral(": ") + item.values[item.value];
}

const OsdMenu::Item &OsdMenu::page() const
{
    const Item *item = &root_;
    for (int index : parents_)
        item = &item->children[index];
    return *item;
}

OsdMenu::Item &OsdMenu::page()
{
    return const_cast<Item &>(static_cast<const OsdMenu *>(this)->page());
}
