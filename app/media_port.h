// What the side panels do for the core: show the chosen file, say how the user chose to convert
// it, and convert it into the handset's format with that choice (true when the handset file was
// written). The command line has no panels to show in and converts with the same code.
#pragma once

#include <string>

#include "conversion_choice.h"
#include "handset_entry.h"
#include "messages.h"

namespace zemlo::app {

class MediaPort {
  public:
    virtual ~MediaPort() = default;
    virtual void show_picture(const std::string &path) = 0;
    virtual void set_melody_source(const std::string &path) = 0;
    // The choice for a file of a download, read on the window thread as the download starts.
    virtual ConversionChoice conversion_choice(FileType type, const std::string &path) = 0;
    virtual bool convert_picture(const std::string &out_path, const std::string &source,
                                 const media::PictureChoice &choice) = 0;
    virtual bool convert_melody(const std::string &out_path, const std::string &source,
                                bool fit) = 0;
    // Why the last conversion wrote nothing, when the reason is one the user can act on (a melody
    // that strikes no note); nothing otherwise.
    virtual Message conversion_refusal() const { return {}; }
};

}  // namespace zemlo::app
