#include "exchange.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <optional>

#include "frame_link.h"
#include "handlink.h"
#include "library.h"
#include "request_record.h"

namespace handlink {

// The link failures a request passes on to its caller are named in the public header's status
// type; keep the two lists equal.
static_assert(kLinkNotOpen == HL_STATUS_LINK_NOT_OPEN);
static_assert(kLinkNoAck == HL_STATUS_LINK_NO_ACK);
static_assert(kLinkNak == HL_STATUS_LINK_NAK);

namespace {

// Per thread, so that one caller's request never tells another why its own failed. A plain int:
// nothing to destroy when a thread ends or the library is unloaded.
thread_local int32_t t_request_error = 0;

// Why a request's frame failed on the line, from the link's status of its send; 0 when it went.
int32_t line_fault(Library &lib, int32_t sent) {
    if (lib.link().line_lost()) {
        return HL_STATUS_LINE_LOST;
    }
    return sent == kLinkNotOpen || sent == kLinkNoAck || sent == kLinkNak ? sent : 0;
}

struct Awaited {
    uint16_t confirmation;
    uint8_t *reply;
    std::optional<int32_t> result;
};

bool examine(void *context, const uint8_t *record, size_t size) {
    auto *awaited = static_cast<Awaited *>(context);
    awaited->result =
        match_confirmation(record, size, awaited->confirmation, awaited->reply, kMaxReplyBytes);
    return awaited->result.has_value();
}

bool answers_nothing(void *, const uint8_t *, size_t) {
    return false;
}

}  // namespace

int32_t exchange(Library &lib, const ExchangeRequest &request, const uint8_t *body,
                 uint8_t *reply) {
    DeviceWorker &worker = lib.worker();
    if (!worker.running() || worker.on_worker_thread()) {
        return HL_NO_WORKER;
    }
    if (request.body_length > kMaxRequestBody) {
        return HL_BODY_TOO_LONG;
    }
    // The record lives on the caller's stack for the length of the call.
    std::array<uint8_t, kRequestRecordBytes> record;
    const size_t size = build_signal_record(request.sender, request.receiver, request.signal, body,
                                            request.body_length, record.data());

    if (request.confirmation == 0) {
        // A request without confirmation reports 0 whatever became of its frame; the reason is
        // still there for a caller that asks.
        const std::optional<int32_t> sent = worker.send(record.data(), size);
        if (!sent.has_value()) {
            return HL_NO_WORKER;
        }
        t_request_error = line_fault(lib, *sent);
        return 0;
    }

    uint64_t seen = worker.begin_wait();
    bool whole = false;
    const std::optional<int32_t> sent = worker.send(record.data(), size, &whole);
    if (!sent.has_value()) {
        worker.end_wait(seen);
        return HL_NO_WORKER;
    }
    // A request cut short before its last frame never reached the handset whole: nothing that
    // arrives now answers it, however like its confirmation it looks (a reply the handset sent
    // again because our ACK of it was lost would otherwise be taken for this one's). It waits as
    // any other, so that a line lost meanwhile is still its reason, but takes nothing as its
    // confirmation.
    const bool cut_short = *sent != kLinkOk && !whole;
    Awaited awaited{request.confirmation, reply, std::nullopt};
    int32_t result = HL_TIMEOUT;
    // Every unrelated arrival starts a fresh full timeout, but never past kMaxWaitTimeouts of them
    // in all: a handset that keeps sending other messages would otherwise hold the request, and
    // the caller, for as long as it keeps sending.
    const auto give_up = std::chrono::steady_clock::now() +
                         std::chrono::milliseconds(lib.timeout_ms()) * kMaxWaitTimeouts;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            give_up - std::chrono::steady_clock::now());
        if (left <= std::chrono::milliseconds::zero()) {
            break;
        }
        const auto timeout = std::min(std::chrono::milliseconds(lib.timeout_ms()), left);
        const auto outcome =
            worker.wait_next(seen, timeout, cut_short ? answers_nothing : examine, &awaited);
        if (outcome == DeviceWorker::WaitResult::Timeout ||
            outcome == DeviceWorker::WaitResult::LineLost) {
            break;  // a lost line sends no confirmation: no use waiting it out
        }
        if (outcome == DeviceWorker::WaitResult::Stopped) {
            result = HL_NO_WORKER;
            break;
        }
        if (awaited.result.has_value()) {
            result = *awaited.result;
            break;
        }
    }
    worker.end_wait(seen);
    // A confirmation counts whatever the link said about our frame (its ACK may be what was
    // lost). Without one the result stays the timeout every caller knows, and the reason tells a
    // frame that never reached the handset, or a line that went, from a handset that stayed
    // silent.
    if (result == HL_TIMEOUT) {
        t_request_error = line_fault(lib, *sent);
    }
    return result;
}

int32_t last_request_error() {
    return t_request_error;
}

void clear_request_error() {
    t_request_error = 0;
}

}  // namespace handlink
