// Reading the system's font configuration is a good part of the window's start, and it waits for
// nothing of the program's own: it starts on a thread of its own as the program starts, beside
// the toolkit's own start, so the window's first text finds it done (or nearly). Whoever made it
// waits for that thread when it goes.
#pragma once

#include <thread>

namespace zemlo::shell {

class FontWarmUp {
  public:
    FontWarmUp();
    ~FontWarmUp();
    FontWarmUp(const FontWarmUp &) = delete;
    FontWarmUp &operator=(const FontWarmUp &) = delete;

  private:
    std::thread thread_;
};

}  // namespace zemlo::shell
