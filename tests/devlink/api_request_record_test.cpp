// The pure parts of the exchange: the request record, the confirmation match and the forwarding
// rule, on records built byte by byte.
#include <gtest/gtest.h>

#include <vector>

#include "request_record.h"
#include "zemlo/byte_order.h"

namespace handlink {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes record(uint32_t kind, const Bytes &message, size_t claimed_length) {
    Bytes r(10, 0);
    zemlo::write_le32(r.data() + 4, kind);
    zemlo::write_le16(r.data() + 8, static_cast<uint16_t>(claimed_length));
    r.insert(r.end(), message.begin(), message.end());
    return r;
}

Bytes long_message(uint8_t sender, uint16_t signal, uint16_t body_length, const Bytes &body) {
    Bytes m(16, 0);
    m[0] = sender;
    zemlo::write_le16(m.data() + 12, body_length);
    zemlo::write_le16(m.data() + 14, signal);
    m.insert(m.end(), body.begin(), body.end());
    return m;
}

TEST(RequestRecord, SignalFormRecordAndItsLimit) {
    std::vector<uint8_t> out(kRequestRecordBytes, 0xEE);
    const uint8_t body[10] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    ASSERT_EQ(build_signal_record(5, 8, 0x1A13, body, sizeof body, out.data()), 28u);
    const Bytes expected{0,  0, 0,    0,    0x53, 0, 0, 0, 18, 0, 5, 8, 0, 0,
                         10, 0, 0x13, 0x1A, 1,    2, 3, 4, 5,  6, 7, 8, 9, 10};
    EXPECT_EQ(Bytes(out.begin(), out.begin() + 28), expected);
    std::vector<uint8_t> big(kMaxRequestBody + 1);
    EXPECT_EQ(build_signal_record(0, 0, 0, big.data(), big.size(), out.data()), 0u);
    EXPECT_EQ(build_signal_record(0, 0, 0, big.data(), kMaxRequestBody, out.data()),
              kRequestRecordBytes);

    uint8_t command[16];
    const uint8_t setup[] = {2, 3, 0, 0, 0};
    ASSERT_EQ(build_command_record(setup, sizeof setup, command, sizeof command), 15u);
    EXPECT_EQ(Bytes(command, command + 15),
              (Bytes{0, 0, 0, 0, 0x43, 0, 0, 0, 5, 0, 2, 3, 0, 0, 0}));
    EXPECT_EQ(build_command_record(setup, 7, command, sizeof command), 0u);
}

TEST(RequestRecord, ConfirmationMatchCopiesOnlyWhatTheRecordHolds) {
    Bytes reply(32, 0xEE);
    // Long-header form, matched by the id at offset 14.
    const Bytes lh = record(0x32, long_message(83, 0x7902, 4, {1, 2, 3, 4}), 20);
    EXPECT_EQ(match_confirmation(lh.data(), lh.size(), 0x7902, reply.data(), reply.size()),
              0x79020004);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 5), (Bytes{1, 2, 3, 4, 0xEE}));
    EXPECT_EQ(match_confirmation(lh.data(), lh.size(), 0x7901, reply.data(), reply.size()),
              std::nullopt);

    // A body length beyond the message, or beyond what was handed over, is cut to what is there.
    std::fill(reply.begin(), reply.end(), 0xEE);
    const Bytes lying = record(0x32, long_message(83, 0x7902, 9000, {7, 7}), 18);
    EXPECT_EQ(match_confirmation(lying.data(), lying.size(), 0x7902, reply.data(), reply.size()),
              0x79020002);
    EXPECT_EQ(reply[2], 0xEE);
    const Bytes truncated = record(0x32, long_message(83, 0x7902, 4, {1, 2}), 2000);
    EXPECT_EQ(
        match_confirmation(truncated.data(), truncated.size(), 0x7902, reply.data(), reply.size()),
        0x79020002);
    // A reply buffer is never overrun.
    const Bytes wide = record(0x32, long_message(83, 0x7902, 40, Bytes(40, 1)), 56);
    EXPECT_EQ(match_confirmation(wide.data(), wide.size(), 0x7902, reply.data(), 8), 0x79020008);
    EXPECT_EQ(reply[8], 0xEE);

    // Signal form: id at offset 6, length at 4, body from 8; received records claim 2059 bytes.
    Bytes sig{5, 5, 0, 0, 3, 0, 0x06, 0x10, 9, 8, 7};
    sig.resize(2059);
    const Bytes s = record(0x53, sig, 2059);
    EXPECT_EQ(match_confirmation(s.data(), s.size(), 0x1006, reply.data(), reply.size()),
              0x10060003);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{9, 8, 7}));
    // Too short to hold the header: never a match, never a read past it.
    const Bytes tiny = record(0x32, {83, 0}, 2);
    EXPECT_EQ(match_confirmation(tiny.data(), tiny.size(), 0, reply.data(), reply.size()),
              std::nullopt);
    EXPECT_EQ(match_confirmation(tiny.data(), 6, 0, reply.data(), reply.size()), std::nullopt);
}

TEST(RequestRecord, ForwardingRule) {
    auto forwarded = [](uint32_t kind, uint8_t sender, uint16_t signal) {
        const Bytes r = record(kind, long_message(sender, signal, 0, {}), 16);
        return is_forwarded(r.data(), r.size());
    };
    EXPECT_TRUE(forwarded(0x32, 83, 0x7905));
    EXPECT_TRUE(forwarded(0x32, 83, 0x7901));
    EXPECT_TRUE(forwarded(0x32, 64, 0x7901));
    EXPECT_FALSE(forwarded(0x32, 5, 0x7905));
    EXPECT_FALSE(forwarded(0x32, 83, 0x7902));
    // The rule reads the long header's place whatever the kind: a signal-form message is
    // forwarded only when its body bytes 6 and 7 read 0x7905.
    Bytes sig{83, 2, 0, 0, 8, 0, 0x05, 0x79, 0, 0, 0, 0, 0, 0, 0, 0};
    Bytes r = record(0x53, sig, 16);
    EXPECT_FALSE(is_forwarded(r.data(), r.size()));
    sig[14] = 0x05;
    sig[15] = 0x79;
    r = record(0x53, sig, 16);
    EXPECT_TRUE(is_forwarded(r.data(), r.size()));
    EXPECT_FALSE(is_forwarded(r.data(), 20));
}

}  // namespace
}  // namespace handlink
