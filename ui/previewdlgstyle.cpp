#include "ui/previewdlgstyle.h"

#include "ui/darkstyle.h"

namespace PreviewDlgStyle {

const char dialogSheet[] =
    "QToolTip { color : black; }\n"
    "QWidget#centralWidget { background : #333333; }\n"
    "QDialog { background : #333333; }\n"
    "QLCDNumber { background : white; }\n"
    "QTabWidget { border: none; }\n"
    "QTabBar::tab { background : black; color : white; }\n"
    "QTabBar::tab::selected { background : #808080; }\n"
    HALVORINE_DARK_PANEL_RULES
    "QPushButton { color : white; background : grey; padding : 8px 5px; border-radius : 3px; min-width : 60px; }\n"
    "QPushButton:hover { background : #c9c9c9; }\n"
    "QPushButton:pressed { background : #474747; }\n"
    "QPushButton:disabled { color : #474747; }\n"
    "QLineEdit { color : white; background : #111111; padding : 3px; border-radius : 3px;"
    " border-color : #474747; border-width : 1px; border-style : inset; }\n"
    "QTextEdit { color : white; background : #111111; padding : 3px; border-radius : 3px;"
    " border-color : white; border-width : 1px; }\n"
    "QComboBox { color : white; background : #111111; padding : 3px; min-width : 40px; border-radius : 3px;"
    " border-style : inset; border-width : 1px; border-color : #474747; }\n"
    "QComboBox::drop-down { }\n"
    "QComboBox QAbstractItemView { background-color : black; color : white; }\n"
    HALVORINE_DARK_CONTROL_RULES
    "QHeaderView::section { border-style : outset; border-width : 1px; border-color : #c9c9c9; }\n";

const char playerSheet[] = "QFrame { background: black; }";

} // namespace PreviewDlgStyle
