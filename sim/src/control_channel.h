// The control FIFO: commands one a line, each handed to the emulator's control entry as if the
// caller had made it. It knows nothing of the loops the commands reach.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "journal.h"
#include "stop_signal.h"

namespace handsim {

class ControlChannel {
  public:
    // apply takes one command line and says why when it is wrong.
    using Apply = std::function<bool(std::string_view line, std::string *error)>;

    ControlChannel(std::string path, const StopSignal &stop, Journal &journal);
    ~ControlChannel();
    ControlChannel(const ControlChannel &) = delete;
    ControlChannel &operator=(const ControlChannel &) = delete;

    // Makes the FIFO when it is missing; refuses anything else at the path.
    bool open(std::string *error);
    void start(Apply apply);
    // Waits for the thread (it ends once the stop signal is raised) and removes a FIFO it made.
    void close();

  private:
    void run(const Apply &apply);

    const std::string path_;
    const StopSignal &stop_;
    Journal &journal_;
    bool fifo_made_ = false;
    std::thread thread_;
};

}  // namespace handsim
