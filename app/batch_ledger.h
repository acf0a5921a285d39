// What became of each file of a download of several, kept on the window thread as each file's end
// is shown there. The summary is made from it when the files are done, and also when a handset
// event stops them: the worker is stopped at once then and tells nothing more, so only what the
// window thread already saw can say which files arrived.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "messages.h"

namespace zemlo::app {

struct BatchRequest;

class BatchLedger {
  public:
    // A new batch of these files, none of them started.
    void begin(const BatchRequest &request);
    // Whether a batch is under way whose summary has not been made yet.
    bool open() const { return !files_.empty(); }

    void started(size_t index);
    // The file's end as shown: its result as the user reads it, and whether the handset keeps it.
    // A file that ended again (a keep left unconfirmed, then the listing) keeps its last end.
    void ended(size_t index, std::string result, bool arrived);
    // The result shown for the file so far; empty while it has not ended.
    std::string result(size_t index) const;

    // Something outside the batch stopped it (why, as the user reads it): the file under way did
    // not finish, or, when the handset may have kept it (unknown), its result is unknown; the files
    // after it were not sent.
    void stop(const std::string &why, bool unknown);

    // The summary of the batch; the ledger is closed after it, so it is made once.
    Message close();

  private:
    struct Entry {
        std::string source;
        std::string handset_name;
        std::string result;
        bool started = false;
        bool ended = false;
        bool arrived = false;
    };
    std::vector<Entry> files_;
};

}  // namespace zemlo::app
