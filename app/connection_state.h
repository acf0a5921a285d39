// The rules that tie the command buttons and the connection text to the connection state.
#pragma once

#include <cstdint>
#include <string>

#include "messages.h"

namespace zemlo::app {

struct ButtonStates {
    bool connect = false;
    bool download = false;
    bool rename = false;
    bool remove = false;
    bool disconnect = false;

    bool operator==(const ButtonStates &) const = default;
};

// Connect follows enable; the four commands that need the handset follow connected.
inline ButtonStates button_states(bool connected, bool enable) {
    return {enable, connected, connected, connected, connected};
}

// The connection text beside the link icon, e.g. for COM3 connected or not.
inline std::string connection_text(uint32_t com_port, bool connected) {
    return render(connected ? MessageId::Connected : MessageId::NotConnected,
                  {std::to_string(com_port)});
}

}  // namespace zemlo::app
