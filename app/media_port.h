// What the side panels do for the core: show the chosen file, and convert it into the handset's
// format (true when the handset file was written). The command line has no panels to show in and
// converts with the same code.
#pragma once

#include <string>

#include "messages.h"

namespace zemlo::app {

class MediaPort {
  public:
    virtual ~MediaPort() = default;
    virtual void show_picture(const std::string &path) = 0;
    virtual void set_melody_source(const std::string &path) = 0;
    virtual bool convert_picture(const std::string &out_path, const std::string &source) = 0;
    virtual bool convert_melody(const std::string &out_path, const std::string &source) = 0;
    // Why the last conversion wrote nothing, when the reason is one the user can act on (a melody
    // that strikes no note); nothing otherwise.
    virtual Message conversion_refusal() const { return {}; }
};

}  // namespace zemlo::app
