#pragma once

#include "edge_rect.h"

#include <QPoint>

#include <vector>

namespace zemlo::shell {

// The focus cue of an owner-drawn control: a dotted rectangle that shows where the keyboard
// focus is, but only to someone using the keyboard. A control clicked with the mouse does not
// show it, as native buttons do not, because the pointer already says where the user is.

// Whether the cue shows after the control gains the focus for `reason`, given whether it showed
// before. Tab, Shift+Tab and shortcuts show it; a click hides it; the window coming back to the
// front, a closed pop-up or a focus set by the program keep what the user saw last.
bool focus_cue_after_focus_in(Qt::FocusReason reason, bool shown_before);

// The pixels of the dotted rectangle just inside r (right and bottom exclusive): every other
// pixel along each edge, starting at the top-left corner, each pixel once.
std::vector<QPoint> focus_cue_pixels(const EdgeRect &r);

// How far inside a button's face its cue is drawn: past the one-pixel frame line and one pixel
// of face, so the cue never touches the frame.
inline constexpr int kFocusCueInset = 2;

}  // namespace zemlo::shell
