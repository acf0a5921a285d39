#include "library.h"

#include <cstdlib>

namespace handlink {
namespace {

constexpr const char *kTraceEnv = "HANDLINK_TRACE";
constexpr const char *kSetupSender = "TIMER_TASK_ID";
constexpr const char *kSetupReceiver = "EMMI_HIGH_PRI_TASK_ID";
constexpr const char *kFilterSignal = "SIG_TINY_FILTER_MATRIX";

}  // namespace

Library::Library() : link_(frame_link()), worker_(link_) {
    link_.set_arrival_callback(&DeviceWorker::on_arrival, &worker_);
    link_.set_lost_callback(&DeviceWorker::on_line_lost, &worker_);
    if (const char *path = std::getenv(kTraceEnv); path != nullptr && *path != '\0') {
        trace_.set_file(link_, path);
    }
}

Library::~Library() {
    worker_.close_and_stop();
    link_.set_observer(nullptr);
    link_.set_arrival_callback(nullptr, nullptr);
    link_.set_lost_callback(nullptr, nullptr);
}

uint8_t Library::task_id(const char *name) {
    std::lock_guard<std::mutex> lock(names_mutex_);
    return names_.task_id(name);
}

uint16_t Library::signal_id(const char *name) {
    std::lock_guard<std::mutex> lock(names_mutex_);
    return names_.signal_id(name);
}

SetupNames Library::rebuild_tables() {
    std::lock_guard<std::mutex> lock(names_mutex_);
    names_.rebuild();
    SetupNames setup;
    setup.sender = names_.task_id(kSetupSender);
    setup.receiver = names_.task_id(kSetupReceiver);
    setup.filter_signal = names_.signal_id(kFilterSignal);
    setup.matrix.assign(names_.filter_matrix().begin(), names_.filter_matrix().end());
    return setup;
}

void Library::set_description_file(const char *path) {
    std::lock_guard<std::mutex> lock(names_mutex_);
    names_.set_description_file(path != nullptr ? path : "");
}

}  // namespace handlink
