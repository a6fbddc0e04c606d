#pragma once

#include <QString>
#include <QStringList>
#include <vector>

// The camera's on-screen menu: a main page whose entries open sub-pages of
// settings. The cursor moves with up/down; Enter opens the entry under the
// cursor (or steps a setting to its next value, or leaves through "Exit");
// Back goes up one page and closes the menu from the main page. Settings keep
// their values while the menu is closed, as a real camera's would.
class OsdMenu
{
public:
    OsdMenu();

    bool isOpen() const { return open_; }
    void open();
    void close();

    bool enter();                 // false when the menu is closed (ignored)
    bool back();                  // likewise
    void moveCursor(int steps);   // + is down; wraps around the page
    void changeValue(int steps);  // on a setting: next/previous value

    QString title() const;        // "MENU", "EXPOSURE", ...
    QStringList entries() const;  // "Exposure", "Mode: Auto", ...
    int cursor() const { return cursor_; }
    int depth() const { return int(parents_.size()); } // 0 on the main page
    QString currentEntry() const;
    QString status() const;       // for the log: "EXPOSURE page, cursor on Mode: Auto"

private:
    struct Item
    {
        QString label;
        QStringList values;         // a setting when non-empty
        int value = 0;
        std::vector<Item> children; // a page when non-empty
    };
    static QString text(const Item &item);
    const Item &page() const;
    Item &page();

    Item root_;
    std::vector<int> parents_; // cursor on each page above the current one
    int cursor_ = 0;
    bool open_ = false;
};
