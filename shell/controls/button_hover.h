#pragma once

namespace zemlo::shell {

// What the button must do after a hover event.
struct HoverEffects {
    bool repaint = false;
    bool take_capture = false;
    bool release_capture = false;
};

// The mouse-over state of a flat button. The button keeps the pointer to itself while it is over
// it, so that it hears when the pointer leaves; the raised look follows the mouse-over flag.
class HoverTracker {
  public:
    // A pointer move, inside or outside the button, with the left button held or not.
    HoverEffects mouse_moved(bool inside, bool left_down);
    // The keyboard focus went elsewhere: the raised look goes.
    HoverEffects focus_lost();
    // Something else took the pointer (a dialog opened, the window lost activation). The flag
    // stays set, so the raised look stays until the pointer next passes over and leaves, or the
    // button loses the focus.
    HoverEffects capture_lost();

    bool over() const { return over_; }
    bool holds_capture() const { return capture_; }

  private:
    bool over_ = false;
    bool capture_ = false;
};

}  // namespace zemlo::shell
