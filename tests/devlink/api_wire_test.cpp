// The library through dlopen and its header, against a scripted handset on a pseudo-terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "api_session.h"
#include "wait_until.h"
#include "zemlo/byte_order.h"
#include "zemlo/work_dir.h"

namespace handlink::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using zemlo::testing::wait_until;

constexpr uint8_t kQndlw = 83;
constexpr uint8_t kTaskFl = 64;
constexpr uint8_t kEmmiLow = 2;
constexpr uint16_t kDataInd = 0x7901;
constexpr uint16_t kAckRsp = 0x7902;
constexpr uint16_t kRemoteInd = 0x7905;
constexpr uint8_t kSignalSegment = 0xD3;
constexpr uint8_t kLongSegment = 0xD4;

TEST(ApiWithoutHandset, StatusesOfOpenRequestsAndTextsWithoutALink) {
    HandlinkApi api;
    ASSERT_TRUE(api.ok()) << HandlinkApi::error();
    std::array<uint8_t, 600> body{};
    std::vector<uint8_t> reply(kReplyBytes);
    auto download = api.request("phiDownloadDataReq");
    auto power_up = api.request("phiPowerUpSig");

    // Nothing runs yet: close only waits, requests fail at once instead of waiting for ever.
    auto start = Clock::now();
    api.CloseComm();
    EXPECT_GE(elapsed_ms(start), 450);
    start = Clock::now();
    EXPECT_EQ(download(body.data(), reply.data()), HL_NO_WORKER);
    EXPECT_EQ(power_up(body.data(), reply.data()), HL_NO_WORKER);
    EXPECT_EQ(api.SendSetup(), HL_SETUP_FILTER_FAILED);
    EXPECT_EQ(api.VchargeControl(3), 0);
    EXPECT_LT(elapsed_ms(start), 1000) << "at once, also in a sanitizer build";

    char text[8];
    EXPECT_EQ(api.GetInterfaceDllRev(text, sizeof text), 3u);
    EXPECT_STREQ(text, "3.0");
    EXPECT_EQ(api.GetInterfaceDllRev(text, 2), 3u);  // cut short, still terminated
    EXPECT_STREQ(text, "3");
    EXPECT_EQ(api.GetEmmiCommDllRev(text, sizeof text), 0u);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(api.GetL1CommDllRev(nullptr, 0), 0u);
    EXPECT_EQ(api.SetDllMode(7), 7);
    EXPECT_EQ(api.SetTimeoutMs(150), 150u);

    EXPECT_EQ(api.OpenComm(0, kTestBaud), HL_OPEN_BAD_PORT);
    api.CloseComm();
    EXPECT_EQ(api.OpenComm(1, 14400), HL_OPEN_BAD_BAUD);
    api.CloseComm();

    // A device that is not there is a failure, with a reason that names it.
    const std::string missing = "/dev/zemlo-no-such-tty";
    api.SetPortDevice(kTestPort, missing.c_str());
    EXPECT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_DEVICE_ERROR);
    char why[256];
    const uint32_t n = api.GetLastOpenError(why, sizeof why);
    EXPECT_GT(n, 0u);
    EXPECT_NE(std::string(why).find(missing), std::string::npos) << why;

    // The worker runs without a port: a request without confirmation still returns 0 at once,
    // setup reports the unsendable filter, and a request awaiting a confirmation ends after the
    // timeout with 9, as any unanswered request; why is the calling thread's to ask: its frame
    // never left.
    EXPECT_EQ(api.GetLastRequestError(), 0) << "no request yet";
    api.SetTimeoutMs(3000);  // "at once" then stands well apart from a timeout
    start = Clock::now();
    EXPECT_EQ(power_up(body.data(), reply.data()), 0);
    EXPECT_LT(elapsed_ms(start), 1000);
    EXPECT_EQ(api.GetLastRequestError(), HL_STATUS_LINK_NOT_OPEN);
    EXPECT_EQ(api.SendSetup(), HL_SETUP_FILTER_FAILED);
    EXPECT_EQ(api.VchargeControl(3), 1);
    api.SetTimeoutMs(150);
    reply[0] = 0xEE;
    start = Clock::now();
    EXPECT_EQ(download(body.data(), reply.data()), HL_TIMEOUT);
    EXPECT_GE(elapsed_ms(start), 140);
    EXPECT_EQ(reply[0], 0xEE);
    EXPECT_EQ(api.GetLastRequestError(), HL_STATUS_LINK_NOT_OPEN);
    int32_t elsewhere = -1;
    std::thread([&] { elsewhere = api.GetLastRequestError(); }).join();
    EXPECT_EQ(elsewhere, 0) << "another thread's requests are not its own";
    EXPECT_EQ(download(nullptr, reply.data()), HL_NULL_BUFFER);
    EXPECT_EQ(api.GetLastRequestError(), 0) << "every request starts afresh";
    api.CloseComm();
    api.SetPortDevice(kTestPort, nullptr);
}

bool library_mapped() {
    std::ifstream maps("/proc/self/maps");
    for (std::string line; std::getline(maps, line);) {
        if (line.find("libhandlink.so") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(ApiLifetime, UnloadingWithThePortOpenReleasesItAndReloadingStartsAfresh) {
    ScriptedHandset handset;
    ASSERT_TRUE(handset.ok());
    uint8_t body[4] = {};
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        {
            HandlinkApi api;
            ASSERT_TRUE(api.ok()) << HandlinkApi::error();
            api.SetPortDevice(kTestPort, handset.device().c_str());
            ASSERT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_OK);
            // A second open while the port is open keeps it and starts no second worker.
            ASSERT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_OK);
            EXPECT_EQ(api.request("phiPowerUpSig")(body, nullptr), 0);
            EXPECT_EQ(handset.wait_records(1).size(), 1u);
            handset.clear();
        }  // unloaded without CloseComm
        EXPECT_FALSE(library_mapped());
    }
}

using ApiWire = ApiSession;

TEST_F(ApiWire, SetupSendsTheFilterMatrixAndCommandAndFillsTheTables) {
    uint8_t body[4] = {0x5A};
    std::vector<uint8_t> reply(kReplyBytes);
    // Before setup every name resolves to 0.
    EXPECT_EQ(call("phiQntBacklightSetReq", body, reply.data()), 0);
    auto records = handset.wait_records(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sender(), 0);
    EXPECT_EQ(records[0].receiver(), 0);
    EXPECT_EQ(records[0].signal(), 0);
    EXPECT_EQ(records[0].body(), Bytes{0x5A});
    handset.clear();

    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    const auto frames = handset.frames();
    ASSERT_EQ(frames.size(), 3u);
    // The filter signal: 304 message bytes in frames of 251 and 53.
    ASSERT_EQ(frames[0].size(), 4u + 255u);
    const Bytes first_head{0x02, 0xFF, 0xD3, 0x00, 0x01, 0x30, 0x00, 0x03, 0x00, 0x00, 0x28,
                           0x01, 0x10, 0x01, 0x7B, 0x00, 0x2E, 0x00, 0x00, 0x00, 0x00, 0x01};
    EXPECT_EQ(Bytes(frames[0].begin(), frames[0].begin() + first_head.size()), first_head);
    ASSERT_EQ(frames[1].size(), 4u + 2u + 53u);
    EXPECT_EQ(frames[1][1], 55);
    EXPECT_EQ(frames[1][2], 0xD3);
    EXPECT_EQ(frames[1][3], 0xFF);
    EXPECT_EQ(frames[2], (Bytes{0x02, 0x09, 0xD5, 0xFF, 0x00, 0x05, 0x02, 0x03, 0x00, 0x00, 0x00,
                                0x25, 0x03}));
    records = handset.wait_records(2);
    ASSERT_EQ(records.size(), 2u);
    const Bytes matrix = records[0].body();
    ASSERT_EQ(matrix.size(), 296u);
    EXPECT_EQ(matrix[294], 0x66);

    // A second setup sends the same matrix.
    handset.clear();
    ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
    records = handset.wait_records(2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].body(), matrix);

    handset.clear();
    EXPECT_EQ(call("phiQntBacklightSetReq", body, reply.data()), 0);
    records = handset.wait_records(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sender(), 82);
    EXPECT_EQ(records[0].receiver(), 82);
    EXPECT_EQ(records[0].signal(), 0x7803);
}

struct Sink {
    HlWindow window{&Sink::post};
    std::mutex mutex;
    std::condition_variable posted;
    std::vector<std::pair<uint32_t, Bytes>> messages;
    std::vector<intptr_t> lparams;

    static void post(HlWindow *self, uint32_t message, uintptr_t wparam, intptr_t lparam) {
        auto *sink = reinterpret_cast<Sink *>(self);
        const auto *record = reinterpret_cast<const uint8_t *>(wparam);
        const size_t size = 10 + zemlo::read_le16(record + 8);
        std::lock_guard<std::mutex> lock(sink->mutex);
        sink->messages.emplace_back(message, Bytes(record, record + size));
        sink->lparams.push_back(lparam);
        sink->posted.notify_all();
    }
    size_t wait(size_t count) {
        std::unique_lock<std::mutex> lock(mutex);
        posted.wait_for(lock, 2s, [&] { return messages.size() >= count; });
        return messages.size();
    }
};

TEST_F(ApiWire, ExchangeMatchesConfirmationsAndDiscardsWhatCameBefore) {
    setup();
    std::vector<uint8_t> packet(520, 0x11);
    std::vector<uint8_t> reply(kReplyBytes, 0xEE);

    // A long-header confirmation with a 4-byte body.
    handset.set_responder([](const PcRecord &r) -> std::vector<ScriptedHandset::Reply> {
        if (r.signal() != kDataInd) {
            return {};
        }
        return {{kLongSegment, long_header_message(kQndlw, kAckRsp, {0x02, 0x00, 0x01, 0x00})}};
    });
    EXPECT_EQ(call("phiDownloadDataReq", packet.data(), reply.data()), 0x79020004);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 5), (Bytes{0x02, 0x00, 0x01, 0x00, 0xEE}));
    auto records = handset.wait_records(1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].sender(), kEmmiLow);
    EXPECT_EQ(records[0].receiver(), kQndlw);
    EXPECT_EQ(records[0].body_length(), 520);
    EXPECT_EQ(records[0].body(), Bytes(packet.begin(), packet.end()));

    // A confirmation that arrived before the request is stale: the request times out. The
    // library takes the handset's records in one at a time, in order, so once a message sent after
    // the confirmation has reached the sink, the confirmation has been taken in before it.
    handset.set_responder(nullptr);
    Sink sink;
    api.SetMobileDataHandler(&sink.window, 3026);
    handset.send(kLongSegment, long_header_message(kQndlw, kAckRsp, {9, 9}));
    handset.send(kLongSegment, long_header_message(kQndlw, kRemoteInd, {1, 2}));
    ASSERT_EQ(sink.wait(1), 1u);
    api.SetMobileDataHandler(nullptr, 0);
    api.SetTimeoutMs(200);
    std::fill(reply.begin(), reply.end(), 0xEE);
    EXPECT_EQ(call("phiDownloadDataReq", packet.data(), reply.data()), HL_TIMEOUT);
    EXPECT_EQ(reply[0], 0xEE);

    // Unrelated messages each restart the wait; a signal-form confirmation is matched by its id.
    // The pauses between them are the handset's pace under test, not waits for something.
    handset.clear();
    api.SetTimeoutMs(300);
    std::thread handset_script([&] {
        handset.wait_records(1);
        for (int i = 0; i < 3; ++i) {
            std::this_thread::sleep_for(150ms);
            handset.send(kSignalSegment, signal_message(5, 5, 0x1008, {1, 2, 3}));
        }
        std::this_thread::sleep_for(150ms);
        handset.send(kSignalSegment, signal_message(5, 5, 0x1006, {7, 8, 9, 10, 11}));
    });
    uint8_t rssi[8] = {};
    const auto start = Clock::now();
    EXPECT_EQ(call("phiCalDevGsmRssiReq", rssi, reply.data()), 0x10060005);
    EXPECT_GE(elapsed_ms(start), 550);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 5), (Bytes{7, 8, 9, 10, 11}));
    handset_script.join();
}

TEST_F(ApiWire, SilentHandsetTimesOutAndOpenRestoresTheTimeout) {
    api.CloseComm();
    api.SetTimeoutMs(500);
    ASSERT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_OK);
    setup();
    std::vector<uint8_t> packet(520), reply(kReplyBytes);
    auto start = Clock::now();
    EXPECT_EQ(call("phiDownloadDataReq", packet.data(), reply.data()), HL_TIMEOUT);
    EXPECT_GE(elapsed_ms(start), 1950);
    EXPECT_LT(elapsed_ms(start), 2600);

    api.SetTimeoutMs(100);
    uint8_t body[32] = {};
    body[8] = 10;  // 10 data bytes after the 18-byte head
    handset.clear();
    start = Clock::now();
    EXPECT_EQ(call("phiL1AlNvramReadCalReq", body, reply.data()), HL_TIMEOUT);
    EXPECT_LT(elapsed_ms(start), 600);
    const auto frames = handset.frames();
    ASSERT_EQ(frames.size(), 1u);
    Bytes expected{0x02, 0x28, 0xD3, 0xFF, 0x00, 0x24, 0x05,
                   0x08, 0x00, 0x00, 0x1C, 0x00, 0x13, 0x1A};
    expected.insert(expected.end(), body, body + 28);
    uint8_t check = 0x02;
    for (size_t i = 1; i < expected.size(); ++i) {
        check ^= expected[i];
    }
    expected.push_back(check);
    expected.push_back(0x03);
    EXPECT_EQ(frames[0], expected);

    // A computed length beyond the request record is refused before anything is sent.
    handset.clear();
    uint8_t write_body[64] = {};
    zemlo::write_le16(write_body + 16, 0xFFFF);
    EXPECT_EQ(call("phiL1AlNvramWriteReq", write_body, reply.data()), HL_BODY_TOO_LONG);
    zemlo::write_le16(body + 4, 16369);
    EXPECT_EQ(call("phiQntNvramWriteCalReq", body, reply.data()), HL_BODY_TOO_LONG);
    // The next request's frame is the first the handset sees: the refused ones sent nothing.
    zemlo::write_le16(body + 4, 0);
    EXPECT_EQ(call("phiL1AlNvramReadCalReq", body, reply.data()), HL_TIMEOUT);
    EXPECT_EQ(handset.frames(), std::vector<Bytes>{expected});

    // Closing from another thread ends a request that waits, instead of leaving it to time out.
    api.SetTimeoutMs(5000);
    int32_t waited = 0;
    handset.clear();
    start = Clock::now();
    std::thread requester(
        [&] { waited = call("phiDownloadDataReq", packet.data(), reply.data()); });
    handset.wait_records(1);  // the request is out: it waits for its confirmation
    api.CloseComm();
    requester.join();
    EXPECT_EQ(waited, HL_NO_WORKER);
    EXPECT_LT(elapsed_ms(start), 2500);
}

TEST_F(ApiWire, HandsetInitiatedMessagesReachTheSinkAsCopies) {
    Sink sink;
    api.SetMobileDataHandler(&sink.window, 3026);
    setup();
    // Not forwarded: the signal form, another sender, another signal.
    handset.send(kSignalSegment, signal_message(kQndlw, kEmmiLow, kRemoteInd, {1, 2}));
    handset.send(kLongSegment, long_header_message(5, kRemoteInd, {1, 2}));
    handset.send(kLongSegment, long_header_message(kQndlw, kAckRsp, {1, 2}));
    // Forwarded, in order.
    const Bytes remote = long_header_message(kQndlw, kRemoteInd, {0xAB, 0xCD});
    handset.send(kLongSegment, remote);
    handset.send(kLongSegment, long_header_message(kTaskFl, kDataInd, Bytes(600, 0x42)));
    // The messages not forwarded went first, so they have been passed over by now.
    ASSERT_EQ(sink.wait(2), 2u);

    // Unregistering waits for a call of the sink in progress, so it is done without its lock.
    api.SetMobileDataHandler(nullptr, 0);
    std::lock_guard<std::mutex> lock(sink.mutex);
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[0].first, 3026u);
    Bytes head{0, 0, 0, 0, 0x32, 0, 0, 0, 18, 0};
    head.insert(head.end(), remote.begin(), remote.end());
    EXPECT_EQ(sink.messages[0].second, head);
    EXPECT_EQ(sink.messages[1].second.size(), 10u + 16u + 600u);
    EXPECT_EQ(sink.messages[1].second.back(), 0x42);
    EXPECT_EQ(sink.lparams, (std::vector<intptr_t>{0, 0}));
}

// The cable pulled out while the link is open: the sink hears of it once, through a record that
// a host reading every record finds empty, and a waiting request ends at once.
TEST(ApiLineLost, SinkIsToldOnceAndRequestsStopWaiting) {
    HandlinkApi api;
    ASSERT_TRUE(api.ok()) << HandlinkApi::error();
    auto peer = std::make_unique<testing::PtyPeer>();
    ASSERT_TRUE(peer->ok());
    Sink sink;
    api.SetMobileDataHandler(&sink.window, 3026);
    api.SetPortDevice(kTestPort, peer->device().c_str());
    ASSERT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_OK);
    api.SendSetup();  // builds the name tables; nobody acknowledges the filter
    api.SetTimeoutMs(5000);
    std::array<uint8_t, 520> body{};
    std::vector<uint8_t> reply(HL_MAX_REPLY_BYTES);
    int32_t waited = 0;
    int32_t waited_why = 0;
    const auto start = Clock::now();
    std::thread requester([&] {
        waited = api.request("phiDownloadDataReq")(body.data(), reply.data());
        waited_why = api.GetLastRequestError();
    });
    // The request's frame is on the line (signal 0x7901 after the setup's frames): it waits.
    const Bytes signal{0x01, 0x79};
    bool requested = false;
    for (Bytes f = peer->read_frame(); !f.empty() && !requested; f = peer->read_frame()) {
        requested = std::search(f.begin(), f.end(), signal.begin(), signal.end()) != f.end();
    }
    ASSERT_TRUE(requested);
    peer.reset();
    ASSERT_EQ(sink.wait(1), 1u);
    requester.join();
    // The line went before anything answered: 9, as for any request left unanswered, and the
    // requesting thread is told that the line was lost rather than a handset silent.
    EXPECT_EQ(waited, HL_TIMEOUT);
    EXPECT_EQ(waited_why, HL_STATUS_LINE_LOST);
    EXPECT_LT(elapsed_ms(start), 2500) << "not the 5 s timeout";
    api.CloseComm();  // its worker has ended: nothing more can reach the sink
    {
        std::lock_guard<std::mutex> lock(sink.mutex);
        ASSERT_EQ(sink.messages.size(), 1u);
        EXPECT_EQ(sink.lparams[0], HL_LINE_LOST);
        EXPECT_EQ(sink.messages[0].second, (Bytes{0, 0, 0, 0, HL_LINE_LOST_KIND, 0, 0, 0, 0, 0}));
    }
    api.SetMobileDataHandler(nullptr, 0);
    api.CloseComm();
    api.SetPortDevice(kTestPort, nullptr);
}

TEST_F(ApiWire, TraceWritesOneLinePerFrameAckAndRecord) {
    setup();
    std::string error;
    const auto dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir.has_value()) << error;
    const std::string path = *dir + "/api-trace-" + std::to_string(::getpid()) + ".txt";
    std::remove(path.c_str());
    ASSERT_EQ(api.SetTraceFile(path.c_str()), 0);
    handset.set_responder([](const PcRecord &) -> std::vector<ScriptedHandset::Reply> {
        return {{kLongSegment, long_header_message(kQndlw, kAckRsp, {0x02, 0x00, 0x01, 0x00})}};
    });
    std::vector<uint8_t> packet(520), reply(kReplyBytes);
    EXPECT_EQ(call("phiDownloadDataReq", packet.data(), reply.data()), 0x79020004);
    // The library's ACK of the confirmation's frame may be written after the call returns.
    const auto lines_in = [&] {
        std::ifstream in(path);
        return std::count(std::istreambuf_iterator<char>(in), {}, '\n');
    };
    EXPECT_TRUE(wait_until([&] { return lines_in() >= 10; }, 10s)) << lines_in();
    ASSERT_EQ(api.SetTraceFile(nullptr), 0);
    EXPECT_NE(api.SetTraceFile("/nonexistent-dir/trace.txt"), 0);

    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::remove(path.c_str());
    const std::regex stamp(R"(^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} (PC>HS|HS>PC) .*)");
    for (const auto &line : lines) {
        EXPECT_TRUE(std::regex_match(line, stamp)) << line;
    }
    std::vector<std::string> kinds;
    for (const auto &line : lines) {
        kinds.push_back(line.substr(24));
        kinds.back() = kinds.back().substr(0, kinds.back().find(' ', 6));
    }
    // The 528-byte request goes out in three frames, each acknowledged; the confirmation comes
    // back in one frame that the library acknowledges.
    const std::vector<std::string> expected{
        "PC>HS RECORD", "PC>HS FRAME", "HS>PC ACK",   "PC>HS FRAME",  "HS>PC ACK",
        "PC>HS FRAME",  "HS>PC ACK",   "HS>PC FRAME", "HS>PC RECORD", "PC>HS ACK"};
    EXPECT_EQ(kinds.size(), expected.size());
    std::vector<std::string> sorted_kinds = kinds, sorted_expected = expected;
    // A frame's line and the line of its answer come from two threads, so only the first line
    // (the record, before any frame) has a fixed place.
    std::sort(sorted_kinds.begin() + 1, sorted_kinds.end());
    std::sort(sorted_expected.begin() + 1, sorted_expected.end());
    EXPECT_EQ(sorted_kinds, sorted_expected);
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines[0].find("PC>HS RECORD S EMMI_LOW_PRI_TASK_ID(2) > QNDLW_TASK_ID(83) "
                            "SIG_DOWNLOAD_DATA_IND(0x7901) body 520"),
              std::string::npos);
    const bool first_frame = std::any_of(lines.begin(), lines.end(), [](const std::string &line) {
        return line.find("PC>HS FRAME 02 FF D3 00 02 10 02 53 00 00 08 02 01 79") !=
               std::string::npos;
    });
    EXPECT_TRUE(first_frame);
    bool named_reply = false;
    for (const auto &line : lines) {
        named_reply |= line.find(
                           "HS>PC RECORD L QNDLW_TASK_ID(83) SIG_DOWNLOAD_ACK_RSP(0x7902) "
                           "body 4") != std::string::npos;
    }
    EXPECT_TRUE(named_reply);
}

}  // namespace
}  // namespace handlink::testing
