// The name tables and the filter matrix, called directly.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "handlink/name_tables.h"
#include "handlink/trace_format.h"

namespace handlink {
namespace {

TEST(NameTables, EmptyUntilRebuiltThenResolvesNamesExactly) {
    NameTables t;
    EXPECT_TRUE(t.empty());
    EXPECT_EQ(t.task_id("QNDLW_TASK_ID"), 0);
    EXPECT_EQ(t.signal_id("SIG_DOWNLOAD_DATA_IND"), 0);
    EXPECT_TRUE(t.filter_matrix().empty());

    t.rebuild();
    EXPECT_EQ(t.tasks().size(), 107u);
    EXPECT_EQ(t.signals().size(), 2070u);
    EXPECT_EQ(t.task_id("QNDLW_TASK_ID"), 83);
    EXPECT_EQ(t.task_id("UNKNOWN_TASK_ID"), 255);
    EXPECT_EQ(t.task_id("L1_TASK_ID"), 5);
    EXPECT_EQ(t.task_id("L1_BG_TASK_ID"), 5);
    // The first row with a shared id names it.
    EXPECT_EQ(t.task_name(5), "L1_BG_TASK_ID");
    EXPECT_EQ(t.task_name(61), "TASK_BL_ID");
    EXPECT_EQ(t.signal_id("sig_download_data_ind"), 0);
    EXPECT_EQ(t.signal_id("SIG_DOWNLOAD_DATA_IND "), 0);
    EXPECT_EQ(t.signal_id("SIG_TINY_FILTER_MATRIX"), 0x0110);
    EXPECT_EQ(t.signal_id("SIG_L1AL_AUX_ADC_IND"), 0x1A30);
    EXPECT_EQ(t.signal_id("SIG_QNT_DUMMY"), 0x7800);
    EXPECT_EQ(t.signal_id("SIG_DLWFL_CMD_CNF"), 0x7908);
    EXPECT_EQ(t.signal_name(0x7905), "SIG_DLW_REMOTE_CMD_IND");
    EXPECT_EQ(t.signal_name(0x0200), "");
}

TEST(NameTables, SignalRowsAscendAreUniqueAndEndWithTheTwoMarkers) {
    NameTables t;
    t.rebuild();
    const auto &rows = t.signals();
    ASSERT_EQ(rows.size(), 2070u);
    EXPECT_EQ(rows[2068].name, "NON_SIGNAL");
    EXPECT_EQ(rows[2068].id, 0);
    EXPECT_EQ(rows[2069].name, "NoMoreSignals");
    EXPECT_EQ(rows[2069].id, 1);
    std::set<std::string> names;
    for (size_t i = 0; i < 2068; ++i) {
        EXPECT_EQ(rows[i].name.rfind("SIG_", 0), 0u) << rows[i].name;
        if (i > 0) {
            EXPECT_LT(rows[i - 1].id, rows[i].id);
        }
        names.insert(rows[i].name);
    }
    EXPECT_EQ(names.size(), 2068u);
    EXPECT_EQ(rows.front().id, 0x0100);
    EXPECT_EQ(rows[2067].id, 0x7908);
    EXPECT_EQ(t.group_counts()[0x14], 159u);
    EXPECT_EQ(t.group_counts()[0x02], 0u);
    EXPECT_EQ(t.highest_group(), 0x79);
}

TEST(NameTables, FilterMatrixKeepsTheHandsetsEightBitCounters) {
    NameTables t;
    t.rebuild();
    const auto m = t.filter_matrix();
    ASSERT_EQ(m.size(), 296u);
    const uint8_t start[] = {0x7B, 0x00, 0x2E, 0x00, 0x00, 0x00,
                             0x00, 0x01, 0x00, 0x05, 0x00, 0x05};
    for (size_t i = 0; i < sizeof start; ++i) {
        EXPECT_EQ(m[i], start[i]) << "byte " << i;
    }
    // Group 0x79's stored offset has wrapped to 44; its four selected signals share byte 294.
    EXPECT_EQ(m[4 + 2 * 0x79 + 1], 44);
    EXPECT_EQ(m[294], 0x66);
    size_t set_bytes = 0;
    for (size_t i = 4 + 2 * 123; i < m.size(); ++i) {
        set_bytes += m[i] != 0;
    }
    EXPECT_EQ(set_bytes, 1u);  // SIG_CDMG_CNF's bit lies beyond the bytes sent

    // A second rebuild selects the same signals again and gives the same bytes.
    const std::vector<uint8_t> first(m.begin(), m.end());
    t.rebuild();
    EXPECT_EQ(std::vector<uint8_t>(t.filter_matrix().begin(), t.filter_matrix().end()), first);
    EXPECT_EQ(t.filter_names().size(), 5u);
}

TEST(NameTables, FilterMatrixForSmallTables) {
    std::array<uint32_t, kGroupCount> counts{};
    counts[0] = 2;
    counts[1] = 9;  // two bitmap bytes
    uint8_t out[kFilterMatrixCapacity];
    const uint16_t selected[] = {0x0108, 0x0001};
    const size_t n = build_filter_matrix(counts, 1, selected, out);
    // 3 entries, offsets 0, 1, 3, bitmap of 3 bytes.
    ASSERT_EQ(n, 4u + 6u + 3u);
    const uint8_t expected[] = {3, 0, 3, 0, 0, 0, 0, 1, 0, 3, 0x02, 0x00, 0x01};
    for (size_t i = 0; i < n; ++i) {
        EXPECT_EQ(out[i], expected[i]) << "byte " << i;
    }
    // The largest possible table stays inside the buffer.
    counts.fill(255);
    const uint16_t last[] = {0xFFFF};
    EXPECT_LE(build_filter_matrix(counts, 255, last, out), kFilterMatrixCapacity);
}

TEST(TraceFormat, NamesRecordsAndNeverReadsPastThem) {
    NameTables t;
    t.rebuild();
    const std::string ts = "2026-01-02 03:04:05.006";
    const uint8_t frame[] = {0x02, 0x09, 0xD5, 0xFF, 0x00, 0x05, 0x02,
                             0x03, 0x00, 0x00, 0x00, 0x25, 0x03};
    EXPECT_EQ(format_frame_line(ts, TraceDirection::ToHandset, frame, sizeof frame, true),
              ts + " PC>HS FRAME 02 09 D5 FF 00 05 02 03 00 00 00 25 03");
    EXPECT_EQ(format_frame_line(ts, TraceDirection::FromHandset, frame, 2, false),
              ts + " HS>PC BADFRAME 02 09");
    EXPECT_EQ(format_ack_line(ts, TraceDirection::FromHandset), ts + " HS>PC ACK");
    EXPECT_EQ(format_nak_line(ts, TraceDirection::ToHandset), ts + " PC>HS NAK");

    uint8_t sig[10 + 8] = {0, 0, 0, 0, 0x53, 0, 0, 0, 8, 0, 2, 83, 0, 0, 8, 2, 0x01, 0x79};
    EXPECT_EQ(format_record_line(ts, TraceDirection::ToHandset, sig, sizeof sig, t),
              ts + " PC>HS RECORD S EMMI_LOW_PRI_TASK_ID(2) > QNDLW_TASK_ID(83) "
                   "SIG_DOWNLOAD_DATA_IND(0x7901) body 520");
    uint8_t lh[10 + 16] = {0, 0, 0, 0, 0x32, 0, 0, 0, 16, 0, 83};
    lh[10 + 14] = 0x05;
    lh[10 + 15] = 0x79;
    EXPECT_EQ(format_record_line(ts, TraceDirection::FromHandset, lh, sizeof lh, t),
              ts + " HS>PC RECORD L QNDLW_TASK_ID(83) SIG_DLW_REMOTE_CMD_IND(0x7905) body 0");
    // A head that claims more than was given is cut to what is there.
    EXPECT_EQ(format_record_line(ts, TraceDirection::FromHandset, lh, 20, t),
              ts + " HS>PC RECORD kind 0x32 length 16");
    EXPECT_EQ(format_record_line(ts, TraceDirection::FromHandset, lh, 4, t),
              ts + " HS>PC RECORD short 4");
    EXPECT_EQ(trace_timestamp(std::chrono::system_clock::time_point{}).size(), ts.size());
}

}  // namespace
}  // namespace handlink
