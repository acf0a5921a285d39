// The library on Windows called out of order and with bad arguments, as the Linux build's own
// checks call it: no worker, NULL buffers, a port that does not exist, OpenComm twice, and the
// library unloaded or the process ended with the port open.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "wine_setup.h"

namespace zemlo::testing {
namespace {

constexpr uint32_t kBaud = 115200;
constexpr int32_t kFirstConfirmation = HL_STATUS_CONFIRMATION_MIN;
constexpr uint16_t kRemoteReply = 0x7906;  // SIG_DLW_REMOTE_CMD_RSP
// A process that ends with the port open must be gone long before this.
constexpr DWORD kExitDeadlineMs = 20000;

std::string device_of(uint32_t port) {
    return "\\\\.\\COM" + std::to_string(port);
}

TEST(WindowsWithoutAWorker, RequestsFailAtOnceAndBadOpensSayWhy) {
    HandlinkDll api;
    ASSERT_TRUE(api.ok()) << "handlink.dll did not load: error " << GetLastError();
    std::array<uint8_t, 600> body{};
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES);
    const auto download = api.request("phiDownloadDataReq");
    const auto power_up = api.request("phiPowerUpSig");
    const auto remote = api.request("phiQntDlwRemoteCmd");
    ASSERT_TRUE(download && power_up && remote);

    // Nothing runs yet: close only waits, requests are refused at once instead of waiting for
    // ever.
    ULONGLONG start = GetTickCount64();
    api.CloseComm();
    EXPECT_GE(elapsed_ms(start), 450);
    start = GetTickCount64();
    EXPECT_EQ(download(body.data(), reply.data()), HL_NO_WORKER);
    EXPECT_EQ(power_up(body.data(), reply.data()), HL_NO_WORKER);
    EXPECT_EQ(api.SendSetup(), HL_SETUP_FILTER_FAILED);
    EXPECT_EQ(api.VchargeControl(3), 0);
    EXPECT_LT(elapsed_ms(start), 1000);

    // NULL buffers are refused before anything else.
    EXPECT_EQ(download(nullptr, reply.data()), HL_NULL_BUFFER);
    EXPECT_EQ(remote(body.data(), nullptr), HL_NULL_BUFFER);
    EXPECT_EQ(power_up(nullptr, nullptr), HL_NULL_BUFFER);

    char text[8];
    EXPECT_EQ(api.GetInterfaceDllRev(text, sizeof text), 3u);
    EXPECT_STREQ(text, "3.0");
    EXPECT_EQ(api.GetEmmiCommDllRev(nullptr, 0), 0u);

    EXPECT_EQ(api.OpenComm(0, kBaud), HL_OPEN_BAD_PORT);
    api.CloseComm();
    EXPECT_EQ(api.OpenComm(1, 14400), HL_OPEN_BAD_BAUD);
    api.CloseComm();

    // A COM port that leads nowhere is a failure, with a reason that names it.
    const uint32_t missing = wine_setup().missing_port;
    EXPECT_EQ(api.OpenComm(missing, kBaud), HL_OPEN_DEVICE_ERROR);
    const std::string why = api.last_open_error();
    EXPECT_NE(why.find("no such device " + device_of(missing)), std::string::npos) << why;
    // The worker of a failed open runs on: the setup and the requests go through it and find
    // the line not open.
    EXPECT_EQ(api.SendSetup(), HL_SETUP_FILTER_FAILED);
    api.SetTimeoutMs(100);
    EXPECT_EQ(remote(body.data(), reply.data()), HL_TIMEOUT);
    EXPECT_EQ(api.GetLastRequestError(), HL_STATUS_LINK_NOT_OPEN);
    api.CloseComm();
    EXPECT_EQ(power_up(body.data(), reply.data()), HL_NO_WORKER);
}

TEST(WindowsOpenTwice, TheOpenDeviceIsKeptAnotherIsRefused) {
    HandlinkDll api;
    ASSERT_TRUE(api.ok());
    const WineSetup &setup = wine_setup();
    api.CloseComm();
    ASSERT_EQ(api.OpenComm(setup.handset_port, kBaud), HL_OPEN_OK);
    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    EXPECT_EQ(api.OpenComm(setup.handset_port, kBaud), HL_OPEN_OK) << "the same port again";
    EXPECT_EQ(api.OpenComm(setup.other_port, kBaud), HL_OPEN_DEVICE_ERROR);
    const std::string why = api.last_open_error();
    EXPECT_NE(
        why.find("COM" + std::to_string(setup.other_port) + " is " + device_of(setup.other_port)),
        std::string::npos)
        << why;
    EXPECT_NE(why.find(device_of(setup.handset_port) + " is open"), std::string::npos) << why;
    // The link stayed on the first handset and answers there.
    const int32_t answer = api.handshake();
    EXPECT_GE(answer, kFirstConfirmation);
    EXPECT_EQ(answer >> 16, kRemoteReply);

    // Switching takes a close first.
    api.CloseComm();
    ASSERT_EQ(api.OpenComm(setup.other_port, kBaud), HL_OPEN_OK);
    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    EXPECT_GE(api.handshake(), kFirstConfirmation);
    api.CloseComm();
}

TEST(WindowsUnload, FreeLibraryWithThePortOpenKeepsTheLibraryUntilCloseComm) {
    const WineSetup &setup = wine_setup();
    auto first = std::make_unique<HandlinkDll>();
    ASSERT_TRUE(first->ok());
    ASSERT_EQ(first->OpenComm(setup.handset_port, kBaud), HL_OPEN_OK);
    const HMODULE loaded = first->module();
    // Its threads run: the library must neither be unmapped under them nor wait for them here.
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(first->unload());
    EXPECT_LT(elapsed_ms(start), 1000);
    EXPECT_EQ(GetModuleHandleA("handlink.dll"), loaded) << "still loaded, held by its worker";

    // Loading it again gives the same library, its link still open.
    HandlinkDll again;
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again.module(), loaded);
    EXPECT_EQ(again.OpenComm(setup.handset_port, kBaud), HL_OPEN_OK);
    ASSERT_EQ(again.SendSetup(), HL_SETUP_OK);
    EXPECT_GE(again.handshake(), kFirstConfirmation);
    again.CloseComm();
    EXPECT_TRUE(again.unload());
    EXPECT_EQ(GetModuleHandleA("handlink.dll"), nullptr) << "unloaded once nothing runs";

    // And afresh after that.
    HandlinkDll fresh;
    ASSERT_TRUE(fresh.ok());
    ASSERT_EQ(fresh.OpenComm(setup.handset_port, kBaud), HL_OPEN_OK);
    fresh.CloseComm();
}

TEST(WindowsUnload, AProcessThatEndsWithThePortOpenEndsAndFreesThePort) {
    const WineSetup &setup = wine_setup();
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = std::string("\"") + self + "\" --exit-with-port-open";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &child))
        << GetLastError();
    const DWORD waited = WaitForSingleObject(child.hProcess, kExitDeadlineMs);
    DWORD code = 1;
    GetExitCodeProcess(child.hProcess, &code);
    if (waited != WAIT_OBJECT_0) {
        TerminateProcess(child.hProcess, 1);
    }
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    ASSERT_EQ(waited, WAIT_OBJECT_0) << "the process hung at its end";
    EXPECT_EQ(code, 0u) << "the child could not open the port";

    // The system closed the port with the process: it opens again.
    HandlinkDll api;
    ASSERT_TRUE(api.ok());
    EXPECT_EQ(api.OpenComm(setup.handset_port, kBaud), HL_OPEN_OK) << api.last_open_error();
    api.CloseComm();
}

}  // namespace

// The child of the last test: opens the port, talks, and ends without CloseComm or FreeLibrary.
int exit_with_port_open() {
    HandlinkDll api;
    if (!api.ok() || api.OpenComm(wine_setup().handset_port, kBaud) != HL_OPEN_OK ||
        api.SendSetup() != HL_SETUP_OK || api.handshake() < kFirstConfirmation) {
        return 1;
    }
    ExitProcess(0);
}

}  // namespace zemlo::testing
