// The requests the library exports: each fixes a sender task, a receiver task, a request signal,
// an awaited confirmation (or none) and a rule for the body length. One table drives them all;
// the exports are generated from the same list.
#pragma once

#include <cstddef>
#include <cstdint>

namespace handlink {

// How a request's body length is found: a constant, or a uint16 read from the caller's body at
// `offset` plus `constant`.
struct BodyLength {
    int32_t offset;  // kFixedLength: no field is read
    uint16_t constant;
};
inline constexpr int32_t kFixedLength = -1;
constexpr BodyLength fixed(uint16_t n) {
    return {kFixedLength, n};
}
constexpr BodyLength field_plus(int32_t offset, uint16_t n) {
    return {offset, n};
}

enum RequestFlags : uint8_t {
    kNoFlags = 0,
    // Before sending, the request names the task the answer goes to in byte 6 of the body.
    kStampReplyTaskAt6 = 1,
};

struct RequestSpec {
    const char *export_name;
    const char *sender;
    const char *receiver;
    const char *request;
    const char *confirmation;  // nullptr: the request awaits nothing
    BodyLength length;
    uint8_t flags;
};

// X(export, sender, receiver, request signal, confirmation signal or nullptr, length, flags)
#define HANDLINK_REQUESTS(X)                                                                       \
    X(phiDownloadDataReq, "EMMI_LOW_PRI_TASK_ID", "QNDLW_TASK_ID", "SIG_DOWNLOAD_DATA_IND",        \
      "SIG_DOWNLOAD_ACK_RSP", fixed(520), kNoFlags)                                                \
    X(phiReceiveDataResp, "EMMI_LOW_PRI_TASK_ID", "QNDLW_TASK_ID", "SIG_DOWNLOAD_ACK_RSP",         \
      "SIG_DOWNLOAD_DATA_IND", fixed(8), kNoFlags)                                                 \
    X(phiReceiveSMSResp, "EMMI_LOW_PRI_TASK_ID", "QNDLW_TASK_ID", "SIG_DLW_REMOTE_CMD_RSP",        \
      "SIG_DLW_REMOTE_CMD_IND", fixed(8), kNoFlags)                                                \
    X(phiQntDlwRemoteCmd, "EMMI_LOW_PRI_TASK_ID", "QNDLW_TASK_ID", "SIG_DLW_REMOTE_CMD_IND",       \
      "SIG_DLW_REMOTE_CMD_RSP", fixed(376), kNoFlags)                                              \
    X(phiMphDeactivateReq, "TIMER_TASK_ID", "L1_BG_TASK_ID", "SIG_MPH_DEACTIVATE_REQ",             \
      "SIG_MPH_DEACTIVATE_CNF", fixed(1), kNoFlags)                                                \
    X(phiCalDevGsmReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_REQ", "SIG_CDMG_CNF", fixed(4), \
      kNoFlags)                                                                                    \
    X(phiL1AlNvramReadCalReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_READ_CAL_REQ",     \
      "SIG_L1AL_NVRAM_READ_CAL_CNF", field_plus(8, 18), kNoFlags)                                  \
    X(phiCalDevGsmFinishReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_FINISH_REQ",              \
      "SIG_CDMG_FINISH_CNF", fixed(4), kNoFlags)                                                   \
    X(phiCalDevGsmRssiReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_RSSI_REQ",                  \
      "SIG_CDMG_RSSI_CNF", fixed(8), kNoFlags)                                                     \
    X(phiCalDevGsmFreqOffsetMeasReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID",                             \
      "SIG_CDMG_FREQ_OFFSET_MEAS_REQ", "SIG_CDMG_FREQ_OFFSET_MEAS_CNF", fixed(8), kNoFlags)        \
    X(phiCalDevGsmBurstReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_BURST_REQ",                \
      "SIG_CDMG_BURST_CNF", fixed(24), kNoFlags)                                                   \
    X(phiCalDevGsmSetAfcDacReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_SET_AFC_DAC_REQ",      \
      "SIG_CDMG_SET_AFC_DAC_CNF", fixed(6), kNoFlags)                                              \
    X(phiCalDevGsmSetPowerRampReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID",                               \
      "SIG_CDMG_SET_POWER_RAMP_REQ", "SIG_CDMG_SET_POWER_RAMP_CNF", fixed(68), kNoFlags)           \
    X(phiCalDevGsmSetBurstDataReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID",                               \
      "SIG_CDMG_SET_BURST_DATA_REQ", "SIG_CDMG_SET_BURST_DATA_CNF", fixed(24), kNoFlags)           \
    X(phiCalDevGsmDcOffsetReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_DC_OFFSET_REQ",         \
      "SIG_CDMG_DC_OFFSET_CNF", fixed(6), kNoFlags)                                                \
    X(phiCalDevGsmGainProgramReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_GAIN_PROGRAM_REQ",   \
      "SIG_CDMG_GAIN_PROGRAM_CNF", fixed(8), kNoFlags)                                             \
    X(phiCalDevGsmRxControlReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_RX_CONTROL_REQ",       \
      "SIG_CDMG_RX_CONTROL_CNF", fixed(12), kNoFlags)                                              \
    X(phiCalDevGsmRampScaleReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_RAMP_SCALE_REQ",       \
      "SIG_CDMG_RAMP_SCALE_CNF", fixed(6), kNoFlags)                                               \
    X(phiCalDevGsmSetBandModeReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_SET_BAND_MODE_REQ",  \
      "SIG_CDMG_SET_BAND_MODE_CNF", fixed(4), kNoFlags)                                            \
    X(phiCalDevGsmSlotDefineReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_SLOT_DEFINE_REQ",     \
      "SIG_CDMG_SLOT_DEFINE_CNF", fixed(28), kNoFlags)                                             \
    X(phiCalDevGsmFrameDefineReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_FRAME_DEFINE_REQ",   \
      "SIG_CDMG_FRAME_DEFINE_CNF", fixed(28), kNoFlags)                                            \
    X(phiCalDevGsmFrameTimingReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_FRAME_TIMING_REQ",   \
      "SIG_CDMG_FRAME_TIMING_CNF", fixed(12), kNoFlags)                                            \
    X(phiCalDevGsmFrameUseReq, "L1_BG_TASK_ID", "L1_BG_TASK_ID", "SIG_CDMG_FRAME_USE_REQ",         \
      "SIG_CDMG_FRAME_USE_CNF", fixed(4), kNoFlags)                                                \
    X(phiL1AlNvramReadReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_READ_REQ",            \
      "SIG_L1AL_NVRAM_READ_CNF", field_plus(12, 25), kNoFlags)                                     \
    X(phiL1AlNvramWriteReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_WRITE_REQ",          \
      "SIG_L1AL_NVRAM_WRITE_CNF", field_plus(16, 25), kNoFlags)                                    \
    X(phiL1AlNvramDeleteReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_DELETE_REQ",        \
      "SIG_L1AL_NVRAM_DELETE_CNF", fixed(12), kNoFlags)                                            \
    X(phiL1AlNvramWriteCalReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_WRITE_CAL_REQ",   \
      "SIG_L1AL_NVRAM_WRITE_CAL_CNF", field_plus(8, 18), kNoFlags)                                 \
    X(phiL1AlNvramEraseCalReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_ERASE_CAL_REQ",   \
      "SIG_L1AL_NVRAM_ERASE_CAL_CNF", fixed(1), kNoFlags)                                          \
    X(phiL1AlNvramEraseReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_NVRAM_ERASE_REQ",          \
      "SIG_L1AL_NVRAM_ERASE_CNF", fixed(1), kNoFlags)                                              \
    X(phiKiDumpMemReq, "TIMER_TASK_ID", "TIMER_TASK_ID", "SIG_KI_DUMP_MEM_REQ",                    \
      "SIG_KI_DUMP_MEM_CNF", fixed(8), kStampReplyTaskAt6)                                         \
    X(phiL1AlMmiKeyInd, "L1_BG_TASK_ID", "TASK_FL_ID", "SIG_L1AL_MMI_KEY_IND", nullptr, fixed(4),  \
      kNoFlags)                                                                                    \
    X(phiQntBacklightSetReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_BACKLIGHT_SET_REQ",      \
      nullptr, fixed(1), kNoFlags)                                                                 \
    X(phiQntVibratorSetReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_VIBRATOR_SET_REQ",        \
      nullptr, fixed(1), kNoFlags)                                                                 \
    X(phiQntVolumeTestReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_VOLUME_TEST_REQ", nullptr, \
      fixed(2), kNoFlags)                                                                          \
    X(phiQntPowerStateReadReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_POWERSTATE_READ_REQ",  \
      "SIG_QNT_POWERSTATE_READ_CNF", fixed(1), kNoFlags)                                           \
    X(phiQntRadioCampReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_RADIO_CAMP_REQ",            \
      "SIG_QNT_RADIO_CAMP_CNF", fixed(1), kNoFlags)                                                \
    X(phiQntSimStatusReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_SIM_STATUS_REQ",            \
      "SIG_QNT_SIM_STATUS_CNF", fixed(1), kNoFlags)                                                \
    X(phiQntLcdContrastReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_LCD_CONTRAST_REQ",        \
      "SIG_QNT_LCD_CONTRAST_CNF", fixed(2), kNoFlags)                                              \
    X(phiQntNvramWriteCalReq, "QNTEST_TASK_ID", "QNTEST_TASK_ID", "SIG_QNT_NVRAM_WRITE_CAL_REQ",   \
      "SIG_QNT_NVRAM_WRITE_CAL_CNF", field_plus(4, 18), kNoFlags)                                  \
    X(phiPowerUpSig, "TASK_FL_ID", "TASK_FL_ID", "SIG_POWER_UP_SIG", nullptr, fixed(1), kNoFlags)  \
    X(phiPowerDownSig, "TASK_FL_ID", "TASK_FL_ID", "SIG_POWER_DOWN_SIG", nullptr, fixed(1),        \
      kNoFlags)                                                                                    \
    X(phiL1AlRtcSetReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_RTC_SET_REQ",                  \
      "SIG_L1AL_RTC_SET_CNF", fixed(20), kNoFlags)                                                 \
    X(phiL1AlRtcReadReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_RTC_READ_REQ",                \
      "SIG_L1AL_RTC_READ_CNF", fixed(6), kNoFlags)                                                 \
    X(phiAgshEventInd, "TASK_FL_ID", "TASK_FL_ID", "SIG_EVENT_IND", nullptr, fixed(4), kNoFlags)   \
    X(phiL1AlBattVoltTempReq, "L1_BG_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_BATT_VOLT_TEMP_REQ",     \
      "SIG_L1AL_BATT_VOLT_TEMP_CNF", fixed(5), kNoFlags)                                           \
    X(phiL1AlAuxAdcReadReq, "L1_AL_TASK_ID", "L1_AL_TASK_ID", "SIG_L1AL_AUX_ADC_READ_REQ",         \
      "SIG_L1AL_AUX_ADC_IND", fixed(3), kNoFlags)                                                  \
    X(phiGmmSimWriteDataReq, "L1_BG_TASK_ID", "SIM_TASK_ID", "SIG_GMM_SIM_WRITE_DATA_REQ",         \
      "SIG_GMM_SIM_WRITE_DATA_CNF", fixed(56), kNoFlags)                                           \
    X(phiGmmSimReadDataReq, "L1_BG_TASK_ID", "SIM_TASK_ID", "SIG_GMM_SIM_READ_DATA_REQ",           \
      "SIG_GMM_SIM_READ_DATA_CNF", fixed(1), kNoFlags)

enum class RequestId : size_t {
#define HANDLINK_REQUEST_ENUM(name, ...) name,
    HANDLINK_REQUESTS(HANDLINK_REQUEST_ENUM)
#undef HANDLINK_REQUEST_ENUM
};

const RequestSpec &request_spec(RequestId id);

// The body length a request sends for this body: the constant, or the uint16 field plus the
// constant (which may exceed the record; the caller refuses such a request).
size_t request_body_length(const RequestSpec &member, const uint8_t *body);

// Runs a request: resolves its names, builds the record and hands it to the exchange.
int32_t run_request(RequestId id, uint8_t *body, uint8_t *reply);

}  // namespace handlink
