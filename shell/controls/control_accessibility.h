#pragma once

namespace zemlo::shell {

// Makes the owner-drawn controls known to screen readers and other assistive tools through
// QAccessible, with the role and name a native control of the same kind has:
// - IconButton: a push button named by its caption (or its tooltip when it has none), with the
//   press action;
// - ShadedSlider: a slider with its value, range and step;
// - SpaceGauge: a progress bar named by the figures its tooltip shows, the used share as its
//   value and its percentage as the description;
// - LinkStateIcon: static text named by the connection state the window keeps in its text;
// - FrameAnimationStatic: an animation.
// An accessible name set on a control wins over all of these. Each control calls this when it is
// made; the interfaces are registered once per process.
void install_control_accessibility();

}  // namespace zemlo::shell
