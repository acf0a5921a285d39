#include "builtin_tables.h"

#include <cstdio>

namespace handlink {
namespace {

constexpr BuiltinTask kTasks[] = {
    {"TIMER_TASK_ID", 0},
    {"TEST_TASK_ID", 1},
    {"EMMI_LOW_PRI_TASK_ID", 2},
    {"EMMI_HIGH_PRI_TASK_ID", 3},
    {"LOW_PRIORITY_TASK_ID", 4},
    {"L1_BG_TASK_ID", 5},
    {"L1_PH_TASK_ID", 6},
    {"L1_SD_TASK_ID", 7},
    {"L1_AL_TASK_ID", 8},
    {"L1_BM_TASK_ID", 9},
    {"L1_SP_TASK_ID", 10},
    {"L1_TASK_ID", 5},
    {"SIMDRV_TASK_ID", 7},
    {"UT_LOG_TASK_ID", 5},
    {"L1AM_TASK_ID", 8},
    {"L2_BCH_TASK_ID", 11},
    {"L2_DD_TASK_ID", 12},
    {"L2_CBCH_TASK_ID", 13},
    {"CB_TASK_ID", 14},
    {"L2_SACCH_0_TASK_ID", 15},
    {"L2_SACCH_3_TASK_ID", 16},
    {"L2_DCCH_0_TASK_ID", 17},
    {"L2_DCCH_3_TASK_ID", 18},
    {"MM_TASK_ID", 19},
    {"SIM_TASK_ID", 20},
    {"CC_TASK_ID", 21},
    {"GRR_TASK_ID", 22},
    {"TIM_TASK_ID", 23},
    {"SS_TASK_ID", 24},
    {"SMTL_TASK_ID", 25},
    {"SMCM_TASK_ID", 26},
    {"SMRL_TASK_ID", 27},
    {"GP_GMM_TASK_ID", 19},
    {"GP_SMS_TASK_ID", 26},
    {"CIPHER_TASK_ID", 5},
    {"VG_DS_TASK_ID", 28},
    {"VG_CI_TASK_ID", 29},
    {"VG_UFDP_TASK_ID", 30},
    {"VG_RTFDP_TASK_ID", 31},
    {"VG_MUX_TASK_ID", 32},
    {"VG_MUX1_TASK_ID", 33},
    {"CSR_TASK_ID", 34},
    {"GP_MAC_TASK_ID", 35},
    {"GP_RD_TASK_ID", 36},
    {"GP_LLC_TASK_ID", 37},
    {"GP_SNDCP_TASK_ID", 38},
    {"GP_SM_TASK_ID", 39},
    {"GP_PPP_TASK_ID", 40},
    {"UT_TMM_TASK_ID", 41},
    {"GP_UNITTEST_TASK_ID", 42},
    {"GP_AUXRD_TASK_ID", 43},
    {"GP_AUXLLC_TASK_ID", 44},
    {"GP_AUXSNDCP_TASK_ID", 45},
    {"GP_PPP_DIALLER_TASK_ID", 46},
    {"GP_DS_DIALLER_TASK_ID", 47},
    {"GP_PPP_PC_COMMS_TASK_ID", 48},
    {"GP_PPP_PC_COMMS_DIALLER_TASK_ID", 49},
    {"UP_MAC_TASK_ID", 50},
    {"UP_RLC_TASK_ID", 51},
    {"UP_BMC_TASK_ID", 52},
    {"UP_PDCP_TASK_ID", 53},
    {"UP_CSDI_TASK_ID", 54},
    {"UP_RRC_TASK_ID", 55},
    {"UP_PHY_TASK_ID", 56},
    {"TCPIP_TASK_ID", 57},
    {"BLIP_TASK_ID", 58},
    {"DNS_TASK_ID", 58},
    {"EMAIL_TASK_ID", 58},
    {"WPPP_TASK_ID", 59},
    {"AAUD_TASK_ID", 60},
    {"TASK_BL_ID", 61},
    {"TASK_ACLK_ID", 62},
    {"TASK_ANRM2_ID", 63},
    {"TASK_FL_ID", 64},
    {"TASK_DISH_ID", 65},
    {"TASK_EXTRA2_ID", 66},
    {"TASK_EMMI_ID", 67},
    {"TASK_ATCV_MAILER_ID", 68},
    {"TASK_AL_TEST_ID", 69},
    {"TASK_AL_SCRIPT_ID", 70},
    {"TASK_AL_TEST2_ID", 71},
    {"SIMAT_TASK_ID", 72},
    {"TASK_EXTRA4_ID", 73},
    {"TASK_EXTRA5_ID", 74},
    {"WAP_TASK_ID", 75},
    {"WAP_WTLS_TASK_ID", 76},
    {"TASK_EXTRA8_ID", 77},
    {"TASK_EXTRA9_ID", 78},
    {"MMI_TEST_TASK_ID", 79},
    {"ALSH_TASK_ID", 61},
    {"AL_TASK_ID", 61},
    {"AL_EMMI_TASK_ID", 61},
    {"ALMM_TASK_ID", 61},
    {"ALCC_TASK_ID", 61},
    {"ALSMS_TASK_ID", 61},
    {"ALCB_TASK_ID", 61},
    {"ALSS_TASK_ID", 61},
    {"ALSI_TASK_ID", 61},
    {"ALTI_TASK_ID", 61},
    {"ALSA_TASK_ID", 72},
    {"ALWAP_TASK_ID", 61},
    {"GP_ABGP_TASK_ID", 61},
    {"CALLRECORD_TASK_ID", 80},
    {"AUDIOL2860_TASK_ID", 81},
    {"QNTEST_TASK_ID", 82},
    {"QNDLW_TASK_ID", 83},
    {"UNKNOWN_TASK_ID", 255},
};
static_assert(std::size(kTasks) == kBuiltinTaskRows);

// The handset signals the library itself names, by ascending id.
struct NamedSignal {
    const char *name;
    uint16_t id;
};
constexpr NamedSignal kNamedSignals[] = {
    {"SIG_TINY_FILTER_MATRIX", 0x0110},
    {"SIG_KI_DUMP_MEM_REQ", 0x0116},
    {"SIG_KI_DUMP_MEM_CNF", 0x0117},
    {"SIG_MPH_DEACTIVATE_REQ", 0x0A0F},
    {"SIG_MPH_DEACTIVATE_CNF", 0x0A24},
    {"SIG_GMM_SIM_READ_DATA_REQ", 0x0C01},
    {"SIG_GMM_SIM_READ_DATA_CNF", 0x0C02},
    {"SIG_GMM_SIM_WRITE_DATA_REQ", 0x0C03},
    {"SIG_GMM_SIM_WRITE_DATA_CNF", 0x0C04},
    {"SIG_CDMG_REQ", 0x1001},
    {"SIG_CDMG_CNF", 0x1002},
    {"SIG_CDMG_FINISH_REQ", 0x1003},
    {"SIG_CDMG_FINISH_CNF", 0x1004},
    {"SIG_CDMG_RSSI_REQ", 0x1005},
    {"SIG_CDMG_RSSI_CNF", 0x1006},
    {"SIG_CDMG_FREQ_OFFSET_MEAS_REQ", 0x1007},
    {"SIG_CDMG_FREQ_OFFSET_MEAS_CNF", 0x1008},
    {"SIG_CDMG_SET_POWER_RAMP_REQ", 0x1009},
    {"SIG_CDMG_SET_POWER_RAMP_CNF", 0x100A},
    {"SIG_CDMG_DC_OFFSET_REQ", 0x100B},
    {"SIG_CDMG_DC_OFFSET_CNF", 0x100C},
    {"SIG_CDMG_GAIN_PROGRAM_REQ", 0x100D},
    {"SIG_CDMG_GAIN_PROGRAM_CNF", 0x100E},
    {"SIG_CDMG_BURST_REQ", 0x100F},
    {"SIG_CDMG_BURST_CNF", 0x1010},
    {"SIG_CDMG_SET_AFC_DAC_REQ", 0x1011},
    {"SIG_CDMG_SET_AFC_DAC_CNF", 0x1012},
    {"SIG_CDMG_SET_BURST_DATA_REQ", 0x1013},
    {"SIG_CDMG_SET_BURST_DATA_CNF", 0x1014},
    {"SIG_CDMG_RX_CONTROL_REQ", 0x1015},
    {"SIG_CDMG_RX_CONTROL_CNF", 0x1016},
    {"SIG_CDMG_RAMP_SCALE_REQ", 0x1017},
    {"SIG_CDMG_RAMP_SCALE_CNF", 0x1018},
    {"SIG_CDMG_SET_BAND_MODE_REQ", 0x1019},
    {"SIG_CDMG_SET_BAND_MODE_CNF", 0x101A},
    {"SIG_CDMG_SLOT_DEFINE_REQ", 0x101F},
    {"SIG_CDMG_SLOT_DEFINE_CNF", 0x1020},
    {"SIG_CDMG_FRAME_DEFINE_REQ", 0x1021},
    {"SIG_CDMG_FRAME_DEFINE_CNF", 0x1022},
    {"SIG_CDMG_FRAME_TIMING_REQ", 0x1023},
    {"SIG_CDMG_FRAME_TIMING_CNF", 0x1024},
    {"SIG_CDMG_FRAME_USE_REQ", 0x1025},
    {"SIG_CDMG_FRAME_USE_CNF", 0x1026},
    {"SIG_L1AL_MMI_KEY_IND", 0x1A01},
    {"SIG_L1AL_NVRAM_READ_REQ", 0x1A09},
    {"SIG_L1AL_NVRAM_READ_CNF", 0x1A0A},
    {"SIG_L1AL_NVRAM_WRITE_REQ", 0x1A0B},
    {"SIG_L1AL_NVRAM_WRITE_CNF", 0x1A0C},
    {"SIG_L1AL_NVRAM_ERASE_REQ", 0x1A0D},
    {"SIG_L1AL_NVRAM_ERASE_CNF", 0x1A0E},
    {"SIG_L1AL_NVRAM_WRITE_CAL_REQ", 0x1A0F},
    {"SIG_L1AL_NVRAM_WRITE_CAL_CNF", 0x1A10},
    {"SIG_L1AL_NVRAM_ERASE_CAL_REQ", 0x1A11},
    {"SIG_L1AL_NVRAM_ERASE_CAL_CNF", 0x1A12},
    {"SIG_L1AL_NVRAM_READ_CAL_REQ", 0x1A13},
    {"SIG_L1AL_NVRAM_READ_CAL_CNF", 0x1A14},
    {"SIG_L1AL_NVRAM_DELETE_REQ", 0x1A1B},
    {"SIG_L1AL_NVRAM_DELETE_CNF", 0x1A1C},
    {"SIG_L1AL_RTC_READ_REQ", 0x1A1E},
    {"SIG_L1AL_RTC_READ_CNF", 0x1A1F},
    {"SIG_L1AL_RTC_SET_REQ", 0x1A20},
    {"SIG_L1AL_RTC_SET_CNF", 0x1A21},
    {"SIG_L1AL_AUX_ADC_READ_REQ", 0x1A2F},
    {"SIG_L1AL_AUX_ADC_IND", 0x1A30},
    {"SIG_L1AL_BATT_VOLT_TEMP_REQ", 0x1A67},
    {"SIG_L1AL_BATT_VOLT_TEMP_CNF", 0x1A68},
    {"SIG_POWER_DOWN_SIG", 0x2305},
    {"SIG_EVENT_IND", 0x2309},
    {"SIG_POWER_UP_SIG", 0x230D},
    {"SIG_QNT_DUMMY", 0x7800},
    {"SIG_QNT_BACKLIGHT_SET_REQ", 0x7803},
    {"SIG_QNT_VIBRATOR_SET_REQ", 0x7804},
    {"SIG_QNT_VOLUME_TEST_REQ", 0x7805},
    {"SIG_QNT_POWERSTATE_READ_REQ", 0x7806},
    {"SIG_QNT_POWERSTATE_READ_CNF", 0x7807},
    {"SIG_QNT_RADIO_CAMP_REQ", 0x780A},
    {"SIG_QNT_RADIO_CAMP_CNF", 0x780B},
    {"SIG_QNT_SIM_STATUS_REQ", 0x780C},
    {"SIG_QNT_SIM_STATUS_CNF", 0x780D},
    {"SIG_QNT_NVRAM_WRITE_CAL_REQ", 0x780E},
    {"SIG_QNT_NVRAM_WRITE_CAL_CNF", 0x780F},
    {"SIG_QNT_LCD_CONTRAST_REQ", 0x7811},
    {"SIG_QNT_LCD_CONTRAST_CNF", 0x7812},
    {"SIG_DOWNLOAD_DUMMY", 0x7900},
    {"SIG_DOWNLOAD_DATA_IND", 0x7901},
    {"SIG_DOWNLOAD_ACK_RSP", 0x7902},
    {"SIG_DOWNLOAD_SLEEP_IND", 0x7903},
    {"SIG_DOWNLOAD_WAKEUP_IND", 0x7904},
    {"SIG_DLW_REMOTE_CMD_IND", 0x7905},
    {"SIG_DLW_REMOTE_CMD_RSP", 0x7906},
    {"SIG_DLWFL_CMD_REQ", 0x7907},
    {"SIG_DLWFL_CMD_CNF", 0x7908},
};

// Rows per group, as (group, rows); groups not listed have none. Group 0 holds only the two
// closing rows.
struct GroupCount {
    uint8_t group;
    uint16_t rows;
};
constexpr GroupCount kGroupCounts[] = {
    {0x00, 2},  {0x01, 32},  {0x05, 24}, {0x06, 39},  {0x07, 6},  {0x08, 17}, {0x09, 21},
    {0x0A, 73}, {0x0B, 11},  {0x0C, 11}, {0x0D, 65},  {0x0E, 9},  {0x0F, 36}, {0x10, 39},
    {0x11, 8},  {0x12, 18},  {0x13, 5},  {0x14, 159}, {0x15, 9},  {0x16, 10}, {0x17, 8},
    {0x18, 15}, {0x1A, 112}, {0x1B, 61}, {0x1D, 9},   {0x1E, 57}, {0x20, 2},  {0x21, 5},
    {0x22, 3},  {0x23, 26},  {0x24, 13}, {0x25, 2},   {0x26, 3},  {0x27, 2},  {0x28, 1},
    {0x29, 2},  {0x2A, 10},  {0x2B, 5},  {0x2C, 19},  {0x2D, 13}, {0x2E, 13}, {0x2F, 38},
    {0x30, 39}, {0x31, 16},  {0x32, 24}, {0x33, 68},  {0x34, 46}, {0x35, 2},  {0x36, 42},
    {0x37, 4},  {0x38, 21},  {0x39, 21}, {0x3B, 6},   {0x3C, 18}, {0x3D, 4},  {0x3E, 4},
    {0x3F, 40}, {0x40, 37},  {0x43, 30}, {0x47, 133}, {0x48, 21}, {0x49, 53}, {0x4A, 7},
    {0x4D, 12}, {0x4E, 8},   {0x4F, 7},  {0x50, 32},  {0x51, 5},  {0x52, 20}, {0x53, 2},
    {0x57, 5},  {0x59, 5},   {0x5A, 3},  {0x5D, 2},   {0x5E, 4},  {0x5F, 19}, {0x60, 65},
    {0x61, 5},  {0x62, 34},  {0x63, 12}, {0x64, 13},  {0x65, 20}, {0x67, 7},  {0x68, 10},
    {0x69, 7},  {0x6A, 4},   {0x6B, 11}, {0x6C, 5},   {0x6F, 5},  {0x70, 8},  {0x71, 5},
    {0x72, 16}, {0x73, 16},  {0x74, 8},  {0x76, 2},   {0x77, 16}, {0x78, 19}, {0x79, 9},
};

constexpr const char *kFilterNames[] = {
    "SIG_CDMG_CNF",           "SIG_DOWNLOAD_DATA_IND",  "SIG_DOWNLOAD_ACK_RSP",
    "SIG_DLW_REMOTE_CMD_IND", "SIG_DLW_REMOTE_CMD_RSP",
};

constexpr uint8_t kClosingGroup = 0x00;
constexpr uint16_t kNonSignalId = 0;
constexpr uint16_t kNoMoreSignalsId = 1;
constexpr unsigned kGroupShift = 8;

std::vector<BuiltinSignal> make_signal_rows() {
    std::vector<BuiltinSignal> rows;
    rows.reserve(kBuiltinSignalRows);
    size_t named = 0;
    // Within a group the rows take the ids group:00, group:01, ... in turn; every id the library
    // names lies inside its group's count, so the named rows land on their own ids.
    for (const GroupCount &g : kGroupCounts) {
        if (g.group == kClosingGroup) {
            continue;
        }
        for (uint16_t low = 0; low < g.rows; ++low) {
            const auto id = static_cast<uint16_t>((g.group << kGroupShift) | low);
            if (named < std::size(kNamedSignals) && kNamedSignals[named].id == id) {
                rows.push_back({kNamedSignals[named].name, id});
                ++named;
            } else {
                char name[32];
                std::snprintf(name, sizeof name, "SIG_UNNAMED_%04X", id);
                rows.push_back({name, id});
            }
        }
    }
    rows.push_back({"NON_SIGNAL", kNonSignalId});
    rows.push_back({"NoMoreSignals", kNoMoreSignalsId});
    return rows;
}

}  // namespace

std::span<const BuiltinTask> builtin_tasks() {
    return kTasks;
}

const std::vector<BuiltinSignal> &builtin_signals() {
    static const std::vector<BuiltinSignal> rows = make_signal_rows();
    return rows;
}

std::span<const char *const> builtin_filter_names() {
    return kFilterNames;
}

}  // namespace handlink
