#include "connection_view.h"

#include "connection_state.h"

namespace zemlo::app {

void ConnectionView::update(bool connected, bool enable) {
    window_.set_buttons(button_states(connected, enable));
    if (enable) {
        show(connected);
    }
}

void ConnectionView::change_while_held(bool connected) {
    window_.set_buttons(button_states(connected, false));
    show(connected);
}

void ConnectionView::show(bool connected) {
    window_.set_connection_text(connection_text(values_.com_port.load(), connected), connected);
    values_.connected.store(connected);
    if (!connected) {
        listing_.forget_storage();
    }
    listing_.show_space();
}

}  // namespace zemlo::app
