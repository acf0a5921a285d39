#include "picture_decode_worker.h"

namespace zemlo::media {

PictureDecodeWorker::PictureDecodeWorker(Done done) : done_(std::move(done)) {}

PictureDecodeWorker::~PictureDecodeWorker() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        waiting_.reset();
    }
    cv_.notify_all();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void PictureDecodeWorker::submit(DecodeRequest request) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_) {
            return;
        }
        if (waiting_) {
            ++counts_.replaced;
        }
        waiting_ = std::move(request);
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { run(); });
        }
    }
    cv_.notify_all();
}

void PictureDecodeWorker::drop_waiting() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (waiting_) {
        ++counts_.replaced;
        waiting_.reset();
    }
}

PictureDecodeWorker::Counts PictureDecodeWorker::counts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    Counts c = counts_;
    c.busy = running_ || waiting_.has_value();
    return c;
}

void PictureDecodeWorker::run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        cv_.wait(lock, [this] { return stopping_ || waiting_.has_value(); });
        if (stopping_) {
            return;
        }
        const DecodeRequest request = std::move(*waiting_);
        waiting_.reset();
        running_ = true;
        ++counts_.started;
        lock.unlock();
        DecodeResult result = decode_picture(request.path, request.options);
        done_(request, std::move(result));
        lock.lock();
        running_ = false;
    }
}

}  // namespace zemlo::media
