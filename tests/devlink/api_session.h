// A library session against a scripted handset: the library loaded with dlopen, the handset on a
// pseudo-terminal mapped to a COM number, the port opened and set up. Shared by the wire tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>

#include "api_handset.h"
#include "api_loader.h"

namespace handlink::testing {

inline constexpr uint32_t kTestPort = 7;
inline constexpr uint32_t kTestBaud = 115200;
inline constexpr size_t kReplyBytes = HL_MAX_REPLY_BYTES;

class ApiSession : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(api.ok()) << HandlinkApi::error();
        ASSERT_TRUE(handset.ok());
        api.SetPortDevice(kTestPort, handset.device().c_str());
        api.CloseComm();
        ASSERT_EQ(api.OpenComm(kTestPort, kTestBaud), HL_OPEN_OK);
    }
    void TearDown() override { api.CloseComm(); }

    void setup() {
        ASSERT_EQ(api.SendSetup(), HL_SETUP_OK);
        handset.wait_records(2);
        handset.clear();
    }

    int32_t call(const char *name, uint8_t *body, uint8_t *reply) {
        RequestFn fn = api.request(name);
        EXPECT_NE(fn, nullptr) << name;
        return fn != nullptr ? fn(body, reply) : -1;
    }

    HandlinkApi api;
    ScriptedHandset handset;
};

inline double elapsed_ms(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since)
        .count();
}

}  // namespace handlink::testing
