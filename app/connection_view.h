// The window's side of the connection: the command buttons, the connection text beside the link
// icon and the space gauge, as the rules of connection_state.h tie them to whether the handset is
// connected. Window thread.
#pragma once

#include "handset_listing.h"
#include "program_values.h"
#include "window_port.h"

namespace zemlo::app {

class ConnectionView {
  public:
    ConnectionView(WindowPort &window, ProgramValues &values, HandsetListing &listing)
        : window_(window), values_(values), listing_(listing) {}

    // The buttons for connected; unless they are only held (enable false), also the connection
    // text, the program's connected flag and the space (none when not connected).
    void update(bool connected, bool enable);
    // The connection changed while an operation runs (a format's restart, the check after it):
    // the text, the flag and the space follow it; the commands stay held until the operation ends.
    void change_while_held(bool connected);

  private:
    // The connection text, the connected flag and the space.
    void show(bool connected);

    WindowPort &window_;
    ProgramValues &values_;
    HandsetListing &listing_;
};

}  // namespace zemlo::app
