#include "sample_media.h"

#include "media_render.h"
#include "zemlo/byte_order.h"
#include "zemlo/handset_picture_format.h"
#include "zemlo/rgb565.h"

namespace handsim {

namespace {
constexpr unsigned kScreenWidth = 122;
constexpr unsigned kScreenHeight = 126;

constexpr uint16_t kDivision = 96;  // ticks per beat
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kNoteOff = 0x80;
constexpr uint8_t kVelocity = 100;
constexpr uint8_t kBeatDelta[] = {0x60};  // 96 ticks as a variable-length number
constexpr uint8_t kEndOfTrack[] = {0x00, 0xFF, 0x2F, 0x00};

std::vector<uint8_t> gradient(bool rings) {
    std::vector<uint8_t> rgb(static_cast<size_t>(kScreenWidth) * kScreenHeight * 3);
    for (unsigned y = 0; y < kScreenHeight; ++y) {
        for (unsigned x = 0; x < kScreenWidth; ++x) {
            uint8_t *p = &rgb[(static_cast<size_t>(y) * kScreenWidth + x) * 3];
            if (rings) {
                const int dx = static_cast<int>(x) - static_cast<int>(kScreenWidth / 2);
                const int dy = static_cast<int>(y) - static_cast<int>(kScreenHeight / 2);
                const bool on = ((dx * dx + dy * dy) / 120) % 2 == 0;
                p[0] = on ? 250 : 20;
                p[1] = on ? 200 : 40;
                p[2] = on ? 40 : 160;
            } else {
                p[0] = static_cast<uint8_t>(x * 255 / (kScreenWidth - 1));
                p[1] = static_cast<uint8_t>(y * 255 / (kScreenHeight - 1));
                p[2] = static_cast<uint8_t>(255 - p[0] / 2);
            }
        }
    }
    return rgb;
}
}  // namespace

std::vector<uint8_t> encode_handset_picture(unsigned width, unsigned height,
                                            const std::vector<uint8_t> &rgb) {
    namespace file = zemlo::handset_picture;
    const auto header =
        file::header_bytes(static_cast<uint8_t>(width), static_cast<uint8_t>(height));
    std::vector<uint8_t> out(header.begin(), header.end());
    const size_t pixels = static_cast<size_t>(width) * height;
    for (size_t i = 0; i < pixels && 3 * i + 2 < rgb.size(); ++i) {
        const uint16_t value = zemlo::rgb565::pack(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
        for (uint8_t b : {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)}) {
            out.push_back(file::as_sent(b));
        }
    }
    return out;
}

std::vector<uint8_t> encode_handset_melody(const std::vector<uint8_t> &keys) {
    std::vector<uint8_t> events;
    for (uint8_t key : keys) {
        events.insert(events.end(), {0x00, kNoteOn, key, kVelocity});
        events.insert(events.end(), std::begin(kBeatDelta), std::end(kBeatDelta));
        events.insert(events.end(), {kNoteOff, key, 0x00});
    }
    events.insert(events.end(), std::begin(kEndOfTrack), std::end(kEndOfTrack));

    constexpr size_t kHeadBytes = 16;  // prefix, division, "MTrk", track length
    std::vector<uint8_t> out = melody_prefix(kHeadBytes + events.size());
    out.resize(kHeadBytes);
    zemlo::write_be16(&out[6], kDivision);
    out[8] = 'M';
    out[9] = 'T';
    out[10] = 'r';
    out[11] = 'k';
    zemlo::write_be32(&out[12], static_cast<uint32_t>(events.size()));
    out.insert(out.end(), events.begin(), events.end());
    return out;
}

std::vector<SampleFile> sample_media() {
    return {
        {Folder::Picture, "sunrise.bmp",
         encode_handset_picture(kScreenWidth, kScreenHeight, gradient(false))},
        {Folder::Picture, "rings.bmp",
         encode_handset_picture(kScreenWidth, kScreenHeight, gradient(true))},
        {Folder::Melody, "scale.mid", encode_handset_melody({60, 62, 64, 65, 67, 69, 71, 72})},
        {Folder::Melody, "bell.mid", encode_handset_melody({76, 72, 74, 67, 67, 74, 76, 72})},
    };
}

}  // namespace handsim
