// The download packets the PC sends, byte for byte against packets written out by hand: the
// program builds every start, data and end packet with these functions, so a slip in a builder
// would otherwise reach the handset and the emulator alike.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "zemlo/handset_records.h"

namespace {

namespace rec = zemlo::records;
using Bytes = std::vector<uint8_t>;

// A 520-byte packet: the 8-byte head, then the given data bytes, then zeros.
Bytes packet(const Bytes &head, const Bytes &data) {
    Bytes p(520, 0);
    std::copy(head.begin(), head.end(), p.begin());
    std::copy(data.begin(), data.end(), p.begin() + 8);
    return p;
}

Bytes sent(const rec::DownloadPacket &p) {
    const auto body = rec::encode_packet(p);
    return Bytes(body.begin(), body.end());
}

TEST(PcDownloadPackets, StartPacketsOfPictureAndMelody) {
    // kind 2, checksum 0x1213, sequence 0, length 512; 316 blocks, format byte, single part.
    EXPECT_EQ(sent(rec::make_pc_start_packet(316)),
              packet({0x02, 0x00, 0x13, 0x12, 0x00, 0x00, 0x00, 0x02},
                     {0x00, 0x01, 0x3C, 0x10, 0xFF, 0x00}));
    // A melody's start packet carries the last byte of its 6-byte prefix in data[5].
    EXPECT_EQ(sent(rec::make_pc_start_packet(3, 0x42)),
              packet({0x02, 0x00, 0x13, 0x12, 0x00, 0x00, 0x00, 0x02},
                     {0x00, 0x00, 0x03, 0x10, 0xFF, 0x42}));
}

TEST(PcDownloadPackets, DataPacketsCarryTheirSumAndAreCutAt512Bytes) {
    EXPECT_EQ(sent(rec::make_data_packet(2, Bytes{0xFF, 0xFF, 0x01}.data(), 3)),
              packet({0x02, 0x00, 0xFF, 0x01, 0x02, 0x00, 0x03, 0x00}, {0xFF, 0xFF, 0x01}));

    // 600 bytes of 0xFF: 512 are taken, and their sum 0x1FE00 wraps to 0xFE00.
    const Bytes full(600, 0xFF);
    const Bytes expected =
        packet({0x02, 0x00, 0x00, 0xFE, 0x01, 0x01, 0x00, 0x02}, Bytes(512, 0xFF));
    EXPECT_EQ(sent(rec::make_data_packet(0x0101, full.data(), full.size())), expected);
}

TEST(PcDownloadPackets, EndPacketCarriesTheTotalBigEndian) {
    EXPECT_EQ(
        sent(rec::make_end_packet(0x0001FFFF)),
        packet({0x02, 0x00, 0x13, 0x12, 0x00, 0x00, 0x00, 0x02}, {0xFF, 0x00, 0x01, 0xFF, 0xFF}));
}

TEST(PcDownloadPackets, BlockCountOfOnePart) {
    EXPECT_EQ(rec::block_count(512), 1);
    EXPECT_EQ(rec::block_count(513), 2);
    EXPECT_EQ(rec::block_count(65536 + 1), 1);  // only what one part holds is counted
}

}  // namespace
