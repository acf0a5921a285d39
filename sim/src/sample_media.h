// A few media files the emulator makes itself to fill a new store: pictures in the handset's
// 16-bit format and a short melody in the handset melody format.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "media_store.h"

namespace handsim {

struct SampleFile {
    Folder folder;
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<SampleFile> sample_media();

// Encodes 8-bit RGB as a handset picture file: width, height, 0x03, 0x10 and RGB565 pixels low
// byte first, every 0x00 byte sent as 0x01.
std::vector<uint8_t> encode_handset_picture(unsigned width, unsigned height,
                                            const std::vector<uint8_t> &rgb);

// A handset melody file of the given notes (MIDI key numbers, one beat each).
std::vector<uint8_t> encode_handset_melody(const std::vector<uint8_t> &keys);

}  // namespace handsim
