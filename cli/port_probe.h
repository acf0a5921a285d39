// Whether a handset answers on a device: the link is opened through libhandlink.so as for a
// connect, one handshake is sent with a short timeout, and the handset is let go again.
#pragma once

#include <memory>
#include <string>

namespace zemlo::cli {

struct ProbeResult {
    bool opened = false;
    bool answered = false;
    std::string problem;  // why the device could not be opened or set up
};

class PortProbe {
  public:
    PortProbe();
    ~PortProbe();
    PortProbe(const PortProbe &) = delete;
    PortProbe &operator=(const PortProbe &) = delete;

    // Loads the link library from the program's folder; false with *error set when it cannot.
    bool load(std::string *error);
    ProbeResult probe(const std::string &device);

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace zemlo::cli
