// A received record as the library meets it: the confirmation match with every awaited id, the
// forwarding rule and the trace line. None may read past the bytes given or write past the reply.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "handlink/name_tables.h"
#include "handlink/trace_format.h"
#include "request_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static handlink::NameTables names = [] {
        handlink::NameTables t;
        t.rebuild();
        return t;
    }();
    // The first two bytes choose the awaited signal and the reply buffer's size; the rest is the
    // record, copied so that a read past it is caught.
    if (size < 3) {
        return 0;
    }
    const uint16_t awaited = static_cast<uint16_t>(data[0] | (data[1] << 8));
    const size_t reply_size = data[2];
    std::vector<uint8_t> record(data + 3, data + size);
    std::vector<uint8_t> reply(reply_size);
    const auto result = handlink::match_confirmation(record.data(), record.size(), awaited,
                                                     reply.data(), reply.size());
    if (result.has_value() && static_cast<size_t>(*result & 0xFFFF) > reply.size()) {
        __builtin_trap();
    }
    handlink::is_forwarded(record.data(), record.size());
    handlink::format_record_line("t", handlink::TraceDirection::FromHandset, record.data(),
                                 record.size(), names);
    return 0;
}
