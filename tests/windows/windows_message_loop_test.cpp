// The handset's own messages on Windows: posted to the window given to SetMobileDataHandler and
// handled by that window's thread in its message loop, as the program's main window does: each
// block of a listing acknowledged from inside the window procedure.
#include <gtest/gtest.h>

#include <string>
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
constexpr UINT_PTR kDeadlineTimer = 1;
constexpr UINT kDeadlineMs = 15000;
// The emulator's sample files; a download of another test may have added to them.
constexpr const char *kSeededPictures = "a:\\pcdlw\\pic\\rings.bmp^30748;sunrise.bmp^30748;";
constexpr const char *kSeededMelodies = "a:\\pcdlw\\melody\\bell.mid^84;scale.mid^84;";

// What the window saw, filled in by its procedure.
struct Window {
    HandlinkDll *api = nullptr;
    DWORD thread = 0;
    HWND handle = nullptr;
    unsigned messages = 0;
    unsigned on_other_thread = 0;
    unsigned with_lparam = 0;
    unsigned acknowledged = 0;
    bool started = false;
    bool ended = false;
    bool timed_out = false;
    std::string listing;
    std::vector<uint32_t> kinds;

    void take(const uint8_t *record, LPARAM lparam) {
        ++messages;
        on_other_thread += GetCurrentThreadId() != thread ? 1 : 0;
        with_lparam += lparam != 0 ? 1 : 0;
        // Copied at once, as the program does.
        const size_t length = read_le16(record + kRecordLengthOffset);
        kinds.push_back(read_le32(record + kRecordKindOffset));
        const uint8_t *m = record + kRecordHeadBytes;
        if (length < kLongBodyOffset ||
            read_le16(m + kLongSignalIdOffset) != rec::kSigDownloadDataInd) {
            return;
        }
        const auto packet = rec::decode_packet(m + kLongBodyOffset, length - kLongBodyOffset);
        if (!packet) {
            return;
        }
        if (packet->is_end()) {
            ended = true;
            PostQuitMessage(0);
            return;
        }
        if (packet->is_start()) {
            started = true;
        } else if (packet->sequence >= 2) {
            // The second block on is the listing's text (the first is the storage description).
            listing.append(reinterpret_cast<const char *>(packet->data.data()),
                           std::min<size_t>(packet->length, rec::kPacketDataBytes));
        }
        auto ack = rec::encode_ack();
        static uint8_t reply[HL_MAX_REPLY_BYTES];
        api->request("phiReceiveDataResp")(ack.data(), reply);
        ++acknowledged;
    }

    static LRESULT CALLBACK procedure(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        auto *self = reinterpret_cast<Window *>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (message == kForwarded && self != nullptr) {
            self->take(reinterpret_cast<const uint8_t *>(wparam), lparam);
            return 0;
        }
        if (message == WM_TIMER && self != nullptr) {
            self->timed_out = true;
            PostQuitMessage(0);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wparam, lparam);
    }

    bool create() {
        WNDCLASSA type{};
        type.lpfnWndProc = &Window::procedure;
        type.hInstance = GetModuleHandleA(nullptr);
        type.lpszClassName = "WindowsMessageLoopTest";
        RegisterClassA(&type);
        handle = CreateWindowExA(0, type.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 type.hInstance, nullptr);
        if (handle == nullptr) {
            return false;
        }
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        thread = GetCurrentThreadId();
        return true;
    }

    // The loop of the window's thread, until the transfer ends or the deadline passes.
    void run() {
        SetTimer(handle, kDeadlineTimer, kDeadlineMs, nullptr);
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        KillTimer(handle, kDeadlineTimer);
    }
};

TEST(WindowsMessages, AListingIsPostedToTheWindowAndAcknowledgedFromItsLoop) {
    HandlinkDll api;
    ASSERT_TRUE(api.ok());
    Window window;
    window.api = &api;
    ASSERT_TRUE(window.create()) << GetLastError();

    api.SetMobileDataHandler(window.handle, kForwarded);
    api.CloseComm();
    ASSERT_EQ(api.OpenComm(wine_setup().handset_port, kBaud), HL_OPEN_OK) << api.last_open_error();
    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    ASSERT_GE(api.handshake(), HL_STATUS_CONFIRMATION_MIN);

    rec::RemoteCommand list;
    list.group = rec::kGroupFile;
    list.code = rec::kCodeList;
    auto body = rec::encode_remote_command(list);
    static uint8_t reply[HL_MAX_REPLY_BYTES];
    // While this thread waits here, the first block is posted; the loop below handles it.
    ASSERT_EQ(api.request("phiQntDlwRemoteCmd")(body.data(), reply) >> 16,
              rec::kSigDlwRemoteCmdRsp);
    window.run();

    EXPECT_FALSE(window.timed_out) << window.messages << " messages before the deadline";
    EXPECT_TRUE(window.started);
    EXPECT_TRUE(window.ended);
    EXPECT_EQ(window.on_other_thread, 0u) << "handled only by the window's own thread";
    EXPECT_EQ(window.with_lparam, 0u);
    for (const uint32_t kind : window.kinds) {
        EXPECT_EQ(kind, kKindLongHeader);
    }
    // Start, storage description, the listing's text, end.
    EXPECT_EQ(window.messages, 4u);
    EXPECT_EQ(window.acknowledged, 3u);
    const std::string listing = window.listing.c_str();
    EXPECT_EQ(listing.rfind(kSeededPictures, 0), 0u) << listing;
    EXPECT_NE(listing.find(std::string("%") + kSeededMelodies), std::string::npos) << listing;

    api.SetMobileDataHandler(nullptr, 0);
    api.CloseComm();
    DestroyWindow(window.handle);
}

}  // namespace
}  // namespace zemlo::testing
