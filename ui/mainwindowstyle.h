#ifndef HALVORINE_MAINWINDOWSTYLE_H
#define HALVORINE_MAINWINDOWSTYLE_H

#include <QString>

namespace MainWindowStyle {

// The dark look of the window; it reaches every descendant, the preview dialog too.
extern const char windowSheet[];
// The bold heading.
extern const char headingSheet[];
// An arrow button showing one of the three faces of a 44 x 132 image strip:
// top face idle, middle face under the mouse, bottom face pressed.
QString arrowSheet(const QString &imagePath);

} // namespace MainWindowStyle

#endif
