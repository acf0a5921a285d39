// The two examples of devlink/examples, run as programs against a scripted handset.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "api_handset.h"

namespace handlink::testing {
namespace {

struct ProgramRun {
    int status = -1;
    std::string output;
};

ProgramRun run(const std::string &command) {
    ProgramRun r;
    std::FILE *pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) {
        return r;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        r.output += buffer;
    }
    const int raw = ::pclose(pipe);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

std::vector<ScriptedHandset::Reply> answer_power_state(const PcRecord &r) {
    if (r.signal() != 0x7806) {
        return {};
    }
    // A message of the handset's own first, then the confirmation: the library has forwarded
    // the message before the request returns, so the example shows it however late it runs.
    return {{0xD4, long_header_message(83, 0x7905, {0xAB, 0xCD})},
            {0xD3, signal_message(82, 82, 0x7807, {0x03})}};
}

TEST(Examples, CProgramOpensSetsUpAsksAndCloses) {
    ScriptedHandset handset;
    ASSERT_TRUE(handset.ok());
    handset.set_responder(answer_power_state);
    const ProgramRun r =
        run(std::string(HANDLINK_EXAMPLE_C) + " " + HANDLINK_LIBRARY + " 9 " + handset.device());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("OpenComm: 0, port open"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("SendSetup: 0"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("confirmed by signal 0x7807 with 1 body bytes"), std::string::npos)
        << r.output;

    const ProgramRun missing =
        run(std::string(HANDLINK_EXAMPLE_C) + " " + HANDLINK_LIBRARY + " 9 /dev/zemlo-missing");
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.output.find("OpenComm: 14"), std::string::npos) << missing.output;
    EXPECT_NE(missing.output.find("reason: "), std::string::npos) << missing.output;
    EXPECT_NE(missing.output.find("/dev/zemlo-missing"), std::string::npos) << missing.output;
}

TEST(Examples, PythonProgramPrintsForwardedMessages) {
    if (HANDLINK_SANITIZED) {
        GTEST_SKIP() << "a sanitizer build of the library cannot be loaded into python3";
    }
    if (run("python3 -c 'import ctypes'").status != 0) {
        GTEST_SKIP() << "python3 with ctypes is not available";
    }
    ScriptedHandset handset;
    ASSERT_TRUE(handset.ok());
    handset.set_responder(answer_power_state);
    const ProgramRun r = run(std::string("python3 ") + HANDLINK_EXAMPLE_PY + " " +
                             HANDLINK_LIBRARY + " 9 " + handset.device());
    EXPECT_EQ(r.status, 0) << r.output;
    EXPECT_NE(r.output.find("confirmed by signal 0x7807 with 1 body bytes"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("forwarded: message 3026 kind 2 sender 83 signal 0x7905 body abcd"),
              std::string::npos)
        << r.output;
}

}  // namespace
}  // namespace handlink::testing
