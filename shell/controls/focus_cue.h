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

// The focus of a button is a solid ring of this width in the highlight colour, just inside its
// one-pixel frame line: the pointer's look is a thin raised frame in the face's own shades, so
// the two are told apart at a glance, and the icon and caption are laid out inside the ring
// (icon_button_layout.h), so it never covers them.
inline constexpr int kFocusRingWidth = 2;

// The ring's pixels inside r (right and bottom exclusive), each pixel once; nothing when r is
// too small to hold it.
std::vector<QPoint> focus_ring_pixels(const EdgeRect &r);

}  // namespace zemlo::shell
