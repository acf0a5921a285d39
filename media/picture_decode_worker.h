// Decodes pictures on a thread of its own, so that the window never waits for a large photo: one
// decode runs at a time, and a request not started yet is replaced by a newer one (the newest
// click wins; a folder clicked through quickly never queues a decode per click). What a finished
// decode is for is the caller's to judge: it gets the request back with the result.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "picture_decoder.h"

namespace zemlo::media {

struct DecodeRequest {
    std::string path;  // bytes, as decode_picture takes it
    DecodeOptions options;
    bool operator==(const DecodeRequest &) const = default;
};

class PictureDecodeWorker {
  public:
    // done runs on the worker's thread after each decode.
    using Done = std::function<void(const DecodeRequest &, DecodeResult)>;

    explicit PictureDecodeWorker(Done done);
    // Waits for a decode under way (the thread cannot be stopped inside the decoder); a request
    // not started is dropped.
    ~PictureDecodeWorker();
    PictureDecodeWorker(const PictureDecodeWorker &) = delete;
    PictureDecodeWorker &operator=(const PictureDecodeWorker &) = delete;

    // Queues the request in place of any not started yet; the thread starts with the first one.
    void submit(DecodeRequest request);
    // Drops a request not started yet.
    void drop_waiting();

    struct Counts {
        uint64_t started = 0;   // decodes begun
        uint64_t replaced = 0;  // requests dropped before they began
        bool busy = false;      // a decode runs or waits
    };
    Counts counts() const;

  private:
    void run();

    Done done_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::optional<DecodeRequest> waiting_;
    bool running_ = false;
    bool stopping_ = false;
    Counts counts_;
    std::thread thread_;
};

}  // namespace zemlo::media
