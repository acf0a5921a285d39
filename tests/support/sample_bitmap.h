// 24-bit Windows bitmaps as a user's picture file: the inputs of the conversion and download tests.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace zemlo::testing {

// A bottom-up 24-bit bitmap of w x h whose pixel bytes, row padding included, are
// byte_at(byte in the stored row, stored row).
std::vector<uint8_t> bitmap24(uint32_t w, uint32_t h,
                              const std::function<uint8_t(uint32_t, uint32_t)> &byte_at);

// The same with a diagonal colour ramp: detail everywhere, the same bytes on every call.
std::vector<uint8_t> ramp_bitmap(uint32_t w, uint32_t h);

}  // namespace zemlo::testing
