// Every request of the family on the wire: sender, receiver, signal and body length against the
// table the handset's interface defines, and the confirmation each one waits for.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <vector>

#include "api_session.h"
#include "zemlo/byte_order.h"

namespace handlink::testing {
namespace {

struct Member {
    const char *name;
    uint8_t sender;
    uint8_t receiver;
    uint16_t request;
    uint16_t confirmation;  // 0: none
    uint16_t length;        // fixed length, or the constant added to the field
    int field;              // offset of the uint16 length field, or -1
};

constexpr Member kFamily[] = {
    {"phiMphDeactivateReq", 0, 5, 0x0A0F, 0x0A24, 1, -1},
    {"phiCalDevGsmReq", 5, 5, 0x1001, 0x1002, 4, -1},
    {"phiL1AlNvramReadCalReq", 5, 8, 0x1A13, 0x1A14, 18, 8},
    {"phiCalDevGsmFinishReq", 5, 5, 0x1003, 0x1004, 4, -1},
    {"phiCalDevGsmRssiReq", 5, 5, 0x1005, 0x1006, 8, -1},
    {"phiCalDevGsmFreqOffsetMeasReq", 5, 5, 0x1007, 0x1008, 8, -1},
    {"phiCalDevGsmBurstReq", 5, 5, 0x100F, 0x1010, 24, -1},
    {"phiCalDevGsmSetAfcDacReq", 5, 5, 0x1011, 0x1012, 6, -1},
    {"phiCalDevGsmSetPowerRampReq", 5, 5, 0x1009, 0x100A, 68, -1},
    {"phiCalDevGsmSetBurstDataReq", 5, 5, 0x1013, 0x1014, 24, -1},
    {"phiCalDevGsmDcOffsetReq", 5, 5, 0x100B, 0x100C, 6, -1},
    {"phiCalDevGsmGainProgramReq", 5, 5, 0x100D, 0x100E, 8, -1},
    {"phiCalDevGsmRxControlReq", 5, 5, 0x1015, 0x1016, 12, -1},
    {"phiCalDevGsmRampScaleReq", 5, 5, 0x1017, 0x1018, 6, -1},
    {"phiCalDevGsmSetBandModeReq", 5, 5, 0x1019, 0x101A, 4, -1},
    {"phiCalDevGsmSlotDefineReq", 5, 5, 0x101F, 0x1020, 28, -1},
    {"phiCalDevGsmFrameDefineReq", 5, 5, 0x1021, 0x1022, 28, -1},
    {"phiCalDevGsmFrameTimingReq", 5, 5, 0x1023, 0x1024, 12, -1},
    {"phiCalDevGsmFrameUseReq", 5, 5, 0x1025, 0x1026, 4, -1},
    {"phiL1AlNvramReadReq", 5, 8, 0x1A09, 0x1A0A, 25, 12},
    {"phiL1AlNvramWriteReq", 5, 8, 0x1A0B, 0x1A0C, 25, 16},
    {"phiL1AlNvramDeleteReq", 5, 8, 0x1A1B, 0x1A1C, 12, -1},
    {"phiL1AlNvramWriteCalReq", 5, 8, 0x1A0F, 0x1A10, 18, 8},
    {"phiL1AlNvramEraseCalReq", 5, 8, 0x1A11, 0x1A12, 1, -1},
    {"phiL1AlNvramEraseReq", 5, 8, 0x1A0D, 0x1A0E, 1, -1},
    {"phiKiDumpMemReq", 0, 0, 0x0116, 0x0117, 8, -1},
    {"phiL1AlMmiKeyInd", 5, 64, 0x1A01, 0, 4, -1},
    {"phiQntBacklightSetReq", 82, 82, 0x7803, 0, 1, -1},
    {"phiQntVibratorSetReq", 82, 82, 0x7804, 0, 1, -1},
    {"phiQntVolumeTestReq", 82, 82, 0x7805, 0, 2, -1},
    {"phiQntPowerStateReadReq", 82, 82, 0x7806, 0x7807, 1, -1},
    {"phiQntRadioCampReq", 82, 82, 0x780A, 0x780B, 1, -1},
    {"phiQntSimStatusReq", 82, 82, 0x780C, 0x780D, 1, -1},
    {"phiQntLcdContrastReq", 82, 82, 0x7811, 0x7812, 2, -1},
    {"phiQntNvramWriteCalReq", 82, 82, 0x780E, 0x780F, 18, 4},
    {"phiPowerUpSig", 64, 64, 0x230D, 0, 1, -1},
    {"phiPowerDownSig", 64, 64, 0x2305, 0, 1, -1},
    {"phiL1AlRtcSetReq", 5, 8, 0x1A20, 0x1A21, 20, -1},
    {"phiL1AlRtcReadReq", 5, 8, 0x1A1E, 0x1A1F, 6, -1},
    {"phiAgshEventInd", 64, 64, 0x2309, 0, 4, -1},
    {"phiL1AlBattVoltTempReq", 5, 8, 0x1A67, 0x1A68, 5, -1},
    {"phiL1AlAuxAdcReadReq", 8, 8, 0x1A2F, 0x1A30, 3, -1},
    {"phiGmmSimWriteDataReq", 5, 20, 0x0C03, 0x0C04, 56, -1},
    {"phiGmmSimReadDataReq", 5, 20, 0x0C01, 0x0C02, 1, -1},
    // The download service.
    {"phiDownloadDataReq", 2, 83, 0x7901, 0x7902, 520, -1},
    {"phiReceiveDataResp", 2, 83, 0x7902, 0x7901, 8, -1},
    {"phiReceiveSMSResp", 2, 83, 0x7906, 0x7905, 8, -1},
    {"phiQntDlwRemoteCmd", 2, 83, 0x7905, 0x7906, 376, -1},
};
static_assert(std::size(kFamily) == 48);

using RequestFamily = ApiSession;

TEST_F(RequestFamily, EveryMemberOnTheWireAndItsConfirmation) {
    setup();
    std::map<uint16_t, uint16_t> confirmation_of;
    for (const Member &m : kFamily) {
        confirmation_of[m.request] = m.confirmation;
    }
    // The handset confirms every request that awaits something, alternating the signal form and
    // the long-header form, with a body that tells the two apart.
    std::atomic<bool> long_form{false};
    handset.set_responder([&](const PcRecord &r) -> std::vector<ScriptedHandset::Reply> {
        const uint16_t cnf = confirmation_of.count(r.signal()) ? confirmation_of[r.signal()] : 0;
        if (cnf == 0) {
            return {};
        }
        long_form = !long_form;
        if (long_form) {
            return {{0xD4, long_header_message(r.receiver(), cnf, {0xC1, 0xC2, 0xC3})}};
        }
        return {{0xD3, signal_message(r.receiver(), r.sender(), cnf, {0xB1, 0xB2})}};
    });
    api.SetTimeoutMs(1000);

    size_t sent = 0;
    for (size_t i = 0; i < std::size(kFamily); ++i) {
        const Member &m = kFamily[i];
        SCOPED_TRACE(m.name);
        std::vector<uint8_t> body(600);
        for (size_t k = 0; k < body.size(); ++k) {
            body[k] = static_cast<uint8_t>(i + k * 7);
        }
        size_t expected_length = m.length;
        if (m.field >= 0) {
            // One member with an empty data part, the others with a few bytes.
            const uint16_t data = i % 2 == 0 ? 0 : static_cast<uint16_t>(10 + i);
            zemlo::write_le16(body.data() + m.field, data);
            expected_length += data;
        }
        std::vector<uint8_t> reply(kReplyBytes, 0xEE);

        const int32_t result = call(m.name, body.data(), reply.data());
        const auto records = handset.wait_records(++sent);
        ASSERT_EQ(records.size(), sent);
        const PcRecord &r = records.back();
        EXPECT_EQ(r.segment_type, 0xD3);
        EXPECT_EQ(r.sender(), m.sender);
        EXPECT_EQ(r.receiver(), m.receiver);
        EXPECT_EQ(r.signal(), m.request);
        EXPECT_EQ(r.body_length(), expected_length);
        EXPECT_EQ(r.body(), Bytes(body.begin(), body.begin() + expected_length));

        if (m.confirmation == 0) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(reply[0], 0xEE);
        } else if (long_form) {
            EXPECT_EQ(result, (m.confirmation << 16) + 3);
            EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 4), (Bytes{0xC1, 0xC2, 0xC3, 0xEE}));
        } else {
            EXPECT_EQ(result, (m.confirmation << 16) + 2);
            EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 3), (Bytes{0xB1, 0xB2, 0xEE}));
        }
        if (std::string(m.name) == "phiKiDumpMemReq") {
            EXPECT_EQ(body[6], 2);  // the task the dump goes to, left in the caller's body
        }
    }
}

}  // namespace
}  // namespace handlink::testing
