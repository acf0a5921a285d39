// Reading the system's font configuration is a good part of the window's start, and it waits for
// nothing of the program's own: it starts on a thread of its own as the program starts, beside
// the toolkit's own start. The library does not share a read in progress: a second caller meanwhile
// reads the whole configuration again beside the first, so the first font the window measures
// waits for this one (wait()) instead. Whoever made it waits for that thread when it goes.
#pragma once

#include <thread>

namespace zemlo::shell {

class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

    // Returns once the configuration is read (at once after the first call).
    void wait();

  private:
    std::thread thread_;
};

}  // namespace zemlo::shell
