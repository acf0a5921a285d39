// Small picture files written byte by byte for the picture tests: a two-frame GIF, an icon with
// two images, an EMF and a WMF that each fill a red rectangle.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zemlo/byte_order.h"

namespace zemlo::testing {

using Bytes = std::vector<uint8_t>;

inline void put16(Bytes &b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void put32(Bytes &b, uint32_t v) {
    put16(b, static_cast<uint16_t>(v));
    put16(b, static_cast<uint16_t>(v >> 16));
}

// 1 x 1 GIF of two frames: red, then black. Each frame's LZW data (minimum code size 2) is
// clear code, one index, end code.
inline Bytes two_frame_gif() {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    put16(b, 1);
    put16(b, 1);
    b.insert(b.end(), {0x80, 0, 0, 0xFF, 0, 0, 0, 0, 0});    // global table: red, black
    for (uint8_t code : {0x44, 0x4C}) {                      // index 0, then index 1
        b.insert(b.end(), {0x21, 0xF9, 4, 0, 10, 0, 0, 0});  // 0.1 s per frame
        b.push_back(0x2C);
        put16(b, 0);
        put16(b, 0);
        put16(b, 1);
        put16(b, 1);
        b.insert(b.end(), {0, 2, 2, code, 0x01, 0});
    }
    b.push_back(0x3B);
    return b;
}

// An icon file with a 16 x 16 green image and a 32 x 32 blue one, both 32-bit with an opaque
// AND mask.
inline Bytes two_image_icon() {
    struct Image {
        uint32_t size;
        uint32_t bgra;
    };
    const Image images[] = {{16, 0xFF00FF00}, {32, 0xFF0000FF}};  // bytes B, G, R, A
    std::vector<Bytes> bodies;
    for (const Image &im : images) {
        Bytes body;
        put32(body, 40);
        put32(body, im.size);
        put32(body, im.size * 2);  // colour rows and mask rows
        put16(body, 1);
        put16(body, 32);
        for (int i = 0; i < 6; ++i) {
            put32(body, 0);
        }
        for (uint32_t i = 0; i < im.size * im.size; ++i) {
            put32(body, im.bgra);
        }
        body.resize(body.size() + ((im.size + 31) / 32 * 4) * im.size, 0);
        bodies.push_back(body);
    }
    Bytes b;
    put16(b, 0);
    put16(b, 1);
    put16(b, 2);
    uint32_t offset = 6 + 16 * 2;
    for (size_t i = 0; i < 2; ++i) {
        b.push_back(static_cast<uint8_t>(images[i].size));
        b.push_back(static_cast<uint8_t>(images[i].size));
        b.insert(b.end(), {0, 0});
        put16(b, 1);
        put16(b, 32);
        put32(b, static_cast<uint32_t>(bodies[i].size()));
        put32(b, offset);
        offset += static_cast<uint32_t>(bodies[i].size());
    }
    for (const Bytes &body : bodies) {
        b.insert(b.end(), body.begin(), body.end());
    }
    return b;
}

// An EMF whose frame is 3125 x 1562 (0.01 mm) filled with a red rectangle.
inline Bytes red_emf() {
    Bytes body;
    for (uint32_t v : {39u, 24u, 1u, 0u, 0x000000FFu, 0u}) {  // create a red brush
        put32(body, v);
    }
    for (uint32_t v : {37u, 12u, 1u}) {  // select it
        put32(body, v);
    }
    for (uint32_t v : {43u, 24u, 0u, 0u, 99u, 49u}) {  // rectangle
        put32(body, v);
    }
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) {  // end of file
        put32(body, v);
    }
    Bytes b;
    for (uint32_t v : {1u, 88u, 0u, 0u, 99u, 49u, 0u, 0u, 3125u, 1562u, 0x464D4520u, 0x10000u}) {
        put32(b, v);
    }
    put32(b, static_cast<uint32_t>(88 + body.size()));
    put32(b, 5);
    put16(b, 2);
    put16(b, 0);
    for (uint32_t v : {0u, 0u, 0u, 1024u, 768u, 320u, 240u}) {
        put32(b, v);
    }
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

// A placeable WMF of 1 x 0.5 inch filled with a red rectangle.
inline Bytes red_wmf() {
    Bytes records;
    auto record = [&records](uint16_t function, std::vector<uint16_t> params) {
        put32(records, static_cast<uint32_t>(3 + params.size()));
        put16(records, function);
        for (uint16_t p : params) {
            put16(records, p);
        }
    };
    record(0x020B, {0, 0});                  // window origin
    record(0x020C, {500, 1000});             // window extent
    record(0x02FC, {0, 0x00FF, 0x0000, 0});  // red solid brush
    record(0x012D, {0});                     // select it
    record(0x041B, {500, 1000, 0, 0});       // rectangle
    record(0x0000, {});                      // end of file
    Bytes b;
    put32(b, 0x9AC6CDD7);
    put16(b, 0);
    for (uint16_t v : {0, 0, 1000, 500, 1000}) {
        put16(b, v);
    }
    put32(b, 0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) {
        checksum ^= zemlo::read_le16(b.data() + i);
    }
    put16(b, checksum);
    put16(b, 1);
    put16(b, 9);
    put16(b, 0x0300);
    put32(b, static_cast<uint32_t>((18 + records.size()) / 2));
    put16(b, 1);
    put32(b, 7);
    put16(b, 0);
    b.insert(b.end(), records.begin(), records.end());
    return b;
}

}  // namespace zemlo::testing
