// Asking the serial driver for low-latency mode, through a scripted driver and on a real
// pseudo-terminal.
#include "zemlo/low_latency.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <cerrno>

namespace zemlo {
namespace {

// A driver as scripted: its flags, what each call answers, and whether it keeps the flag.
struct ScriptedDriver : SerialInfoIo {
    int flags = 0;
    int get_error = 0;
    int set_error = 0;
    bool drops_flag = false;  // takes the call, ignores the flag
    int sets = 0;

    int get(int, serial_struct &info) override {
        if (get_error != 0) {
            return get_error;
        }
        info = serial_struct{};
        info.flags = flags;
        info.baud_base = 24000000;  // a field the set must carry back unchanged
        return 0;
    }
    int set(int, const serial_struct &info) override {
        ++sets;
        EXPECT_EQ(info.baud_base, 24000000);
        if (set_error != 0) {
            return set_error;
        }
        flags = drops_flag ? (info.flags & ~ASYNC_LOW_LATENCY) : info.flags;
        return 0;
    }
};

TEST(LowLatency, AcceptedIsTurnedOnKeepingOtherFlagsAndGivenBackAtClose) {
    ScriptedDriver driver;
    driver.flags = ASYNC_SKIP_TEST;
    const LowLatency state = request_low_latency(3, driver);
    EXPECT_EQ(state, LowLatency::TurnedOn);
    EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST | ASYNC_LOW_LATENCY);
    release_low_latency(3, state, driver);
    EXPECT_EQ(driver.flags, ASYNC_SKIP_TEST);

    // On before we came: left on, and not touched at close.
    driver.flags = ASYNC_LOW_LATENCY;
    driver.sets = 0;
    const LowLatency before = request_low_latency(3, driver);
    EXPECT_EQ(before, LowLatency::AlreadyOn);
    release_low_latency(3, before, driver);
    EXPECT_EQ(driver.flags, ASYNC_LOW_LATENCY);
    EXPECT_EQ(driver.sets, 0);
}

TEST(LowLatency, RefusedOrIgnoredByTheDriverReadsAsRefused) {
    ScriptedDriver denied;
    denied.set_error = EPERM;
    const LowLatency state = request_low_latency(3, denied);
    EXPECT_EQ(state, LowLatency::Refused);
    release_low_latency(3, state, denied);
    EXPECT_EQ(denied.sets, 1) << "nothing to give back";

    ScriptedDriver ignoring;
    ignoring.drops_flag = true;
    EXPECT_EQ(request_low_latency(3, ignoring), LowLatency::Refused);
}

TEST(LowLatency, DeviceWithoutTheSettingIsLeftAlone) {
    ScriptedDriver none;
    none.get_error = ENOTTY;
    EXPECT_EQ(request_low_latency(3, none), LowLatency::Unsupported);
    EXPECT_EQ(none.sets, 0);

    // A pseudo-terminal has no such setting; the real calls say so without harm.
    int master = -1;
    int slave = -1;
    ASSERT_EQ(::openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(request_low_latency(slave), LowLatency::Unsupported);
    ::close(slave);
    ::close(master);
    EXPECT_STREQ(describe(LowLatency::Refused), "refused");
}

}  // namespace
}  // namespace zemlo
