// A handset that hangs up in the middle of a download, on Windows: the window is told once
// (lParam HL_LINE_LOST, a record of kind 'L'), and the request in progress and those that follow
// fail at once instead of waiting out their timeout. The COM port is number 10 and up, reached only
// as \\.\COMn.
#include <gtest/gtest.h>

#include <vector>

#include "wine_setup.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_records.h"
#include "zemlo/signal_record.h"

namespace zemlo::testing {
namespace {

namespace rec = zemlo::records;

constexpr uint32_t kBaud = 115200;
constexpr UINT kForwarded = WM_USER + 2002;
// The emulator closes the line after this data packet (its "hangup-after").
constexpr uint16_t kPacketsBeforeHangUp = 2;
constexpr uint16_t kPackets = 8;
constexpr ULONGLONG kNoticeDeadlineMs = 5000;
constexpr uint32_t kTimeoutMs = 2000;

struct Notices {
    unsigned lost = 0;
    unsigned other = 0;
    uint32_t kind = 0;

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        auto *self = reinterpret_cast<Notices *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == kForwarded && self != nullptr) {
            if (lparam == HL_LINE_LOST) {
                ++self->lost;
                self->kind =
                    read_le32(reinterpret_cast<const uint8_t *>(wparam) + kRecordKindOffset);
            } else {
                ++self->other;
            }
            return 0;
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }
};

TEST(WindowsLineLost, AHangUpIsPostedOnceAndRequestsStopWaiting) {
    HandlinkDll api;
    ASSERT_TRUE(api.ok());
    Notices notices;
    WNDCLASSA type{};
    type.lpfnWndProc = &Notices::procedure;
    type.hInstance = GetModuleHandleA(nullptr);
    type.lpszClassName = "WindowsLineLostTest";
    RegisterClassA(&type);
    const HWND window = CreateWindowExA(0, type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                        nullptr, type.hInstance, nullptr);
    ASSERT_NE(window, nullptr);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&notices));

    api.SetMobileDataHandler(window, kForwarded);
    api.CloseComm();
    ASSERT_EQ(api.OpenComm(wine_setup().lost_port, kBaud), HL_OPEN_OK) << api.last_open_error();
    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    ASSERT_GE(api.handshake(), HL_STATUS_CONFIRMATION_MIN);

    rec::RemoteCommand announce;
    announce.group = rec::kGroupFile;
    announce.code = rec::kCodeAnnounce;
    announce.first_path = "a:\\pcdlw\\pic\\gone.bmp";
    auto command = rec::encode_remote_command(announce);
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES);
    ASSERT_GE(api.request("phiQntDlwRemoteCmd")(command.data(), reply.data()),
              HL_STATUS_CONFIRMATION_MIN);
    const auto send = api.request("phiDownloadDataReq");
    auto start = rec::encode_packet(rec::make_pc_start_packet(kPackets));
    ASSERT_GE(send(start.data(), reply.data()), HL_STATUS_CONFIRMATION_MIN);
    const std::vector<uint8_t> data(rec::kPacketDataBytes, 0x5A);
    uint16_t taken = 0;
    int32_t failed = 0;
    int32_t failed_why = 0;
    ULONGLONG failed_after_ms = 0;
    for (uint16_t n = 1; n <= kPackets && failed == 0; ++n) {
        auto packet = rec::encode_packet(rec::make_data_packet(n, data.data(), data.size()));
        const ULONGLONG sent = GetTickCount64();
        const int32_t result = send(packet.data(), reply.data());
        if (result >= HL_STATUS_CONFIRMATION_MIN) {
            ++taken;
        } else {
            failed = result;
            failed_why = api.GetLastRequestError();
            failed_after_ms = GetTickCount64() - sent;
        }
    }
    EXPECT_EQ(taken, kPacketsBeforeHangUp);
    // The line went before anything answered: the timeout's 9, and the lost line as the reason,
    // as on Linux.
    EXPECT_EQ(failed, HL_TIMEOUT);
    EXPECT_EQ(failed_why, HL_STATUS_LINE_LOST);
    EXPECT_LT(failed_after_ms, kTimeoutMs) << "the lost line ends the wait";

    // The notice waits in the window's queue.
    const ULONGLONG begin = GetTickCount64();
    MSG msg;
    while (notices.lost == 0 && GetTickCount64() - begin < kNoticeDeadlineMs) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageA(&msg);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(notices.lost, 1u);
    EXPECT_EQ(notices.kind, static_cast<uint32_t>(HL_LINE_LOST_KIND));
    // Later requests fail at once.
    const ULONGLONG again = GetTickCount64();
    EXPECT_LT(api.handshake(), HL_STATUS_CONFIRMATION_MIN);
    EXPECT_LT(elapsed_ms(again), kTimeoutMs);

    api.SetMobileDataHandler(nullptr, 0);
    api.CloseComm();
    DestroyWindow(window);
}

}  // namespace
}  // namespace zemlo::testing
