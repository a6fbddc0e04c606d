#ifndef HALVORINE_PREVIEWDLGSTYLE_H
#define HALVORINE_PREVIEWDLGSTYLE_H

namespace PreviewDlgStyle {

// The dialog's dark look, matching the main window's.
extern const char dialogSheet[];
// The video area stays black whenever no picture is drawn.
extern const char playerSheet[];

} // namespace PreviewDlgStyle

#endif
