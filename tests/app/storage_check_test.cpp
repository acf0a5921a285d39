// The storage description of a listing: a handset that reports space that does not add up is
// refused as a failed connection rather than shown, or trusted by the space check.
#include <gtest/gtest.h>

#include "block_receiver.h"

namespace zemlo::app {
namespace {

// Units of 512 bytes (mantissa 2, exponent 0).
records::StorageDescription units(uint32_t total, uint32_t free_units) {
    return {2, 0, total, free_units};
}

constexpr uint32_t kReserveUnits = records::kReservedBytes / 512;  // 180

TEST(StorageCheck, AcceptsDescriptionsThatAddUp) {
    const auto full_size = storage_space(units(1024, 800));
    ASSERT_TRUE(full_size);
    EXPECT_EQ(full_size->capacity, 432128);
    EXPECT_EQ(full_size->free_space, 317440);
    // No free space past the reserve, and every unit free.
    EXPECT_EQ(storage_space(units(1024, kReserveUnits))->free_space, 0);
    EXPECT_EQ(storage_space(units(1024, 1024))->free_space, 432128);
    EXPECT_EQ(storage_space(units(kReserveUnits + 1, kReserveUnits + 1))->capacity, 512);
}

TEST(StorageCheck, RefusesDescriptionsThatDoNotAddUp) {
    EXPECT_FALSE(storage_space(units(0, 0)));                          // capacity 0
    EXPECT_FALSE(storage_space(units(kReserveUnits, kReserveUnits)));  // nothing past the reserve
    EXPECT_FALSE(storage_space(units(100, 100)));                      // below the reserve
    EXPECT_FALSE(storage_space(units(1025, 800)));                     // above the largest store
    EXPECT_FALSE(storage_space(units(1024, 1025)));                    // free above capacity
    EXPECT_FALSE(storage_space(units(1024, 0xFFFFFFFFu)));             // the flood's numbers
    EXPECT_FALSE(storage_space(units(1024, kReserveUnits - 1)));       // negative free space
    EXPECT_FALSE(storage_space(records::StorageDescription{0, 0, 1024, 800}));  // unit size 0
    EXPECT_FALSE(storage_space(records::StorageDescription{2, 9, 1024, 800}));  // unit past 16 bits
}

std::vector<uint8_t> body(const records::DownloadPacket &p) {
    const auto bytes = records::encode_packet(p);
    return {bytes.begin(), bytes.end()};
}

TEST(UnsolicitedStart, OnlyTheStartPacketAskedForIsTaken) {
    using O = BlockReceiver::Outcome;
    BlockReceiver rx;
    const auto start = body(records::make_handset_start_packet(1));
    // Nobody asked: no answer, and nothing is set up.
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(rx.accept(start.data(), start.size()), O::Ignored);
    }
    EXPECT_FALSE(rx.receiving());
    // The list command arms it for exactly one start packet; more during the transfer neither
    // restart it nor get an answer.
    rx.expect();
    EXPECT_EQ(rx.accept(start.data(), start.size()), O::Acknowledge);
    std::vector<uint8_t> block(512, 7);
    const auto data =
        body(records::make_data_packet(1, block.data(), block.size(), records::kPacketKindHandset));
    EXPECT_EQ(rx.accept(data.data(), data.size()), O::Acknowledge);
    EXPECT_EQ(rx.accept(start.data(), start.size()), O::Ignored);
    EXPECT_TRUE(rx.receiving());
    EXPECT_EQ(rx.data()[0], 7);
    // A disconnect or a handset event disarms it.
    rx.expect();
    rx.stop();
    EXPECT_EQ(rx.accept(start.data(), start.size()), O::Ignored);
}

}  // namespace
}  // namespace zemlo::app
