#ifndef HALVORINE_DARKSTYLE_H
#define HALVORINE_DARKSTYLE_H

// Rules that the main window's and the preview dialog's sheets share, so that the
// two windows keep one dark look. String literals, to be joined into each sheet.

// Group boxes, menu bar, menus and status bar.
#define HALVORINE_DARK_PANEL_RULES \
    "QGroupBox { color : white; margin-top : 2ex; border-radius : 5px; padding : 8px; padding-top : 13px;" \
    " border-style: outset; border-width: 2px; border-color: #1f1f1f; }\n" \
    "QMenuBar#menuBar { background : grey; color : white; border-bottom-style: outset;" \
    " border-bottom-width: 1px; border-bottom-color: #222222; }\n" \
    "QMenu { background : grey; color : #1f1f1f; }\n" \
    "QMenu::item:selected { background : #c9c9c9; }\n" \
    "QStatusBar#statusBar { background : grey; color : white; border-top-style: outset;" \
    " border-top-width: 1px; border-top-color: #222222; }\n"

// Sliders, labels, radio buttons and check boxes with their indicators.
#define HALVORINE_DARK_CONTROL_RULES \
    "QSlider::handle { background : grey; }\n" \
    "QSlider::handle:hover { background : #c9c9c9; }\n" \
    "QSlider::handle:pressed { background : #474747; }\n" \
    "QLabel { color : white; }\n" \
    "QRadioButton { color : white; }\n" \
    "QCheckBox { color : white; }\n" \
    "QRadioButton::indicator { border-style: outset; border-width: 2px; border-color: #1f1f1f;" \
    " background : white; border-radius : 6px; }\n" \
    "QRadioButton::indicator:checked { border-style: outset; border-width: 2px; border-color: white;" \
    " background : #1f1f1f; border-radius : 6px; }\n" \
    "QCheckBox::indicator { border-style: outset; border-width: 2px; border-color: #1f1f1f; background : white; }\n" \
    "QCheckBox::indicator:checked { border-style: outset; border-width: 2px; border-color: white;" \
    " background : #1f1f1f; }\n"

#endif
