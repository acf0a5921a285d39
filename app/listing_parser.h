// Reads the handset's listing text (zemlo/listing_text.h) into handset file table entries. Only
// entries of the picture folder and the melody folder are kept. The current folder persists from
// one listing to the next, as the handset may continue where it left off.
#pragma once

#include <string_view>
#include <vector>

#include "handset_entry.h"
#include "zemlo/listing_text.h"

namespace zemlo::app {

class ListingParser {
  public:
    std::vector<HandsetEntry> parse(std::string_view text);

  private:
    listing::ListingReader reader_;
};

}  // namespace zemlo::app
