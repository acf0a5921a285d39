#include "button_hover.h"

namespace zemlo::shell {

HoverEffects HoverTracker::mouse_moved(bool inside, bool left_down) {
    HoverEffects fx;
    // A drag that started elsewhere does not light the button.
    if (left_down && !over_) {
        return fx;
    }
    if (!capture_) {
        if (inside) {
            over_ = true;
            capture_ = true;
            fx.take_capture = true;
            fx.repaint = true;
        }
        return fx;
    }
    if (!inside) {
        if (over_) {
            over_ = false;
            fx.repaint = true;
        }
        // While the left button is held the press still belongs to this button.
        if (!left_down) {
            capture_ = false;
            fx.release_capture = true;
        }
    }
    return fx;
}

HoverEffects HoverTracker::focus_lost() {
    HoverEffects fx;
    if (over_) {
        over_ = false;
        fx.repaint = true;
    }
    return fx;
}

HoverEffects HoverTracker::capture_lost() {
    HoverEffects fx;
    if (capture_ && over_) {
        fx.release_capture = true;
        fx.repaint = true;
    }
    capture_ = false;
    return fx;
}

}  // namespace zemlo::shell
