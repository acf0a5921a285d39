// What the benchmarks against the handset emulator share: a fresh folder to work in, the standard
// picture download through libhandlink.so, and the time its bytes alone need on the line.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "handlink_session.h"
#include "handsim/emulator.h"

namespace zemlo::bench {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t);

// An empty folder of that name in the private work folder (or /tmp without one).
std::filesystem::path bench_folder(const std::string &name);

// Seconds the standard picture's download (30748 bytes, 63 packets) needs on a line at the baud
// rate, counting only the bytes of both sides.
double picture_wire_seconds(uint32_t baud);

// Starts the emulator and opens a session of libhandlink.so on its line; says why not on stderr.
bool open_on(handsim::Emulator &emulator, handsim::HandlinkSession &session,
             const std::string &link);

// Announces and sends the picture as the program's download does; false when it was refused or
// not delivered.
bool download_picture(handsim::HandlinkSession &session, const std::vector<uint8_t> &picture);

}  // namespace zemlo::bench
