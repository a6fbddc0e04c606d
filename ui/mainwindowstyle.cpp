#include "ui/mainwindowstyle.h"

#include "ui/darkstyle.h"

namespace MainWindowStyle {

const char windowSheet[] =
    "QToolTip { color : black; }\n"
    "QWidget#centralWidget { background : #333333; }\n"
    "QInputDialog { background: #333333; }\n"
    HALVORINE_DARK_PANEL_RULES
    "QPushButton { color : white; background : grey; padding : 5px; border-radius : 3px; }\n"
    "QPushButton:hover { background : #c9c9c9; }\n"
    "QPushButton:pressed { background : #474747; }\n"
    "QPushButton:disabled { color : #474747; }\n"
    "QLineEdit { color : white; background : #111111; padding : 3px; border-radius : 3px;"
    " border-color : white; border-width : 1px; }\n"
    "QComboBox { color : white; background : #111111; padding : 3px; min-width : 40px; border-radius : 3px; }\n"
    "QComboBox::drop-down { }\n"
    "QComboBox QAbstractItemView { background-color : black; color : white; }\n"
    HALVORINE_DARK_CONTROL_RULES;

const char headingSheet[] = "QLabel { font-size: 12px; font-weight: bold; }";

QString arrowSheet(const QString &imagePath)
{
    return QStringLiteral(
               "QPushButton { width : 44px; height : 44px; background : url('%1') center top no-repeat; }\n"
               "QPushButton:hover { width : 44px; height : 44px; background : url('%1') center center no-repeat; }\n"
               "QPushButton:pressed { width : 44px; height : 44px; background : url('%1') center bottom no-repeat; }")
        .arg(imagePath);
}

} // namespace MainWindowStyle
