#include "ui/mainwindowstyle.h"

namespace MainWindowStyle {

const char windowSheet[] =
    "QToolTip { color : black; }\n"
    "QWidget#centralWidget { background : #333333; }\n"
    "QInputDialog { background: #333333; }\n"
    "QGroupBox { color : white; margin-top : 2ex; border-radius : 5px; padding : 8px; padding-top : 13px;"
    " border-style: outset; border-width: 2px; border-color: #1f1f1f; }\n"
    "QMenuBar#menuBar { background : grey; color : white; border-bottom-style: outset;"
    " border-bottom-width: 1px; border-bottom-color: #222222; }\n"
    "QMenu { background : grey; color : #1f1f1f; }\n"
    "QMenu::item:selected { background : #c9c9c9; }\n"
    "QStatusBar#statusBar { background : grey; color : white; border-top-style: outset;"
    " border-top-width: 1px; border-top-color: #222222; }\n"
    "QPushButton { color : white; background : grey; padding : 5px; border-radius : 3px; }\n"
    "QPushButton:hover { background : #c9c9c9; }\n"
    "QPushButton:pressed { background : #474747; }\n"
    "QPushButton:disabled { color : #474747; }\n"
    "QLineEdit { color : white; background : #111111; padding : 3px; border-radius : 3px;"
    " border-color : white; border-width : 1px; }\n"
    "QComboBox { color : white; background : #111111; padding : 3px; min-width : 40px; border-radius : 3px; }\n"
    "QComboBox::drop-down { }\n"
    "QComboBox QAbstractItemView { background-color : black; color : white; }\n"
    "QSlider::handle { background : grey; }\n"
    "QSlider::handle:hover { background : #c9c9c9; }\n"
    "QSlider::handle:pressed { background : #474747; }\n"
    "QLabel { color : white; }\n"
    "QRadioButton { color : white; }\n"
    "QCheckBox { color : white; }\n"
    "QRadioButton::indicator { border-style: outset; border-width: 2px; border-color: #1f1f1f;"
    " background : white; border-radius : 6px; }\n"
    "QRadioButton::indicator:checked { border-style: outset; border-width: 2px; border-color: white;"
    " background : #1f1f1f; border-radius : 6px; }\n"
    "QCheckBox::indicator { border-style: outset; border-width: 2px; border-color: #1f1f1f; background : white; }\n"
    "QCheckBox::indicator:checked { border-style: outset; border-width: 2px; border-color: white;"
    " background : #1f1f1f; }\n";

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
