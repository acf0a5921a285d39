#include "request_family.h"

#include "exchange.h"
#include "handlink.h"
#include "library.h"
#include "zemlo/byte_order.h"

namespace handlink {
namespace {

constexpr RequestSpec kSpecs[] = {
#define HANDLINK_REQUEST_SPEC(name, sender, receiver, request, confirmation, length, flags) \
    {#name, sender, receiver, request, confirmation, length, flags},
    HANDLINK_REQUESTS(HANDLINK_REQUEST_SPEC)
#undef HANDLINK_REQUEST_SPEC
};

constexpr size_t kReplyTaskByte = 6;
constexpr const char *kReplyTaskName = "EMMI_LOW_PRI_TASK_ID";

}  // namespace

const RequestSpec &request_spec(RequestId id) {
    return kSpecs[static_cast<size_t>(id)];
}

size_t request_body_length(const RequestSpec &member, const uint8_t *body) {
    if (member.length.offset == kFixedLength) {
        return member.length.constant;
    }
    return size_t{zemlo::read_le16(body + member.length.offset)} + member.length.constant;
}

int32_t run_request(RequestId id, uint8_t *body, uint8_t *reply) {
    const RequestSpec &member = request_spec(id);
    clear_request_error();
    if (body == nullptr || (member.confirmation != nullptr && reply == nullptr)) {
        return HL_NULL_BUFFER;
    }
    Library &lib = library();
    if (member.flags & kStampReplyTaskAt6) {
        body[kReplyTaskByte] = lib.task_id(kReplyTaskName);
    }
    ExchangeRequest request;
    request.sender = lib.task_id(member.sender);
    request.receiver = lib.task_id(member.receiver);
    request.body_length = request_body_length(member, body);
    request.signal = lib.signal_id(member.request);
    request.confirmation = member.confirmation != nullptr ? lib.signal_id(member.confirmation) : 0;
    return exchange(lib, request, body, reply);
}

}  // namespace handlink

// The exports, one per row of the table.
extern "C" {
#define HANDLINK_REQUEST_EXPORT(name, ...)                                    \
    HL_EXPORT int32_t name(uint8_t *body, uint8_t *reply) {                   \
        return handlink::run_request(handlink::RequestId::name, body, reply); \
    }
HANDLINK_REQUESTS(HANDLINK_REQUEST_EXPORT)
#undef HANDLINK_REQUEST_EXPORT
}
