#include "button_hover.h"

namespace zemlo::shell {

HoverEffects HoverTracker::mouseMoved(bool inside, bool leftDown) {
    HoverEffects fx;
    // A drag that started elsewhere does not light the button.
    if (leftDown && !over_) {
        return fx;
    }
    if (!capture_) {
        if (inside) {
            over_ = true;
            capture_ = true;
            fx.takeCapture = true;
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
        if (!leftDown) {
            capture_ = false;
            fx.releaseCapture = true;
        }
    }
    return fx;
}

HoverEffects HoverTracker::focusLost() {
    HoverEffects fx;
    if (over_) {
        over_ = false;
        fx.repaint = true;
    }
    return fx;
}

HoverEffects HoverTracker::captureLost() {
    HoverEffects fx;
    if (capture_ && over_) {
        fx.releaseCapture = true;
        fx.repaint = true;
    }
    capture_ = false;
    return fx;
}

}  // namespace zemlo::shell
