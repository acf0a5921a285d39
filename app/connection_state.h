// The rules that tie the command buttons and the connection text to the connection state.
#pragma once

#include <cstdint>
#include <string>

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

// "   COM3已连接" / "   COM3未连接".
inline std::string connection_text(uint32_t com_port, bool connected) {
    return "   COM" + std::to_string(com_port) + (connected ? "已连接" : "未连接");
}

}  // namespace zemlo::app
