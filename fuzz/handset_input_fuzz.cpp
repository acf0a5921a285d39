// What the emulated handset takes from the PC: frame payloads into the segment assembler, the
// messages it completes into the download service over a scratch store, and received files into
// the picture and melody renderers. Input: a sequence of [length byte][payload] frames.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "download_service.h"
#include "filter_matrix.h"
#include "handlink/name_tables.h"
#include "media_render.h"
#include "media_store.h"
#include "segment_codec.h"
#include "zemlo/work_dir.h"

namespace {

struct Handset {
    Handset() : store(scratch()), service(store) {
        store.open(nullptr);
        handlink::NameTables names;
        names.rebuild();
        matrix.assign(names.filter_matrix().begin(), names.filter_matrix().end());
    }
    ~Handset() {
        std::error_code ec;
        std::filesystem::remove_all(store.root(), ec);
    }
    // A scratch store in the private work folder, removed at exit.
    static std::filesystem::path scratch() {
        const auto base = zemlo::ensure_work_dir();
        std::string pattern =
            (std::filesystem::path(base ? *base : "/tmp") / "handsim-fuzz-XXXXXX").string();
        const char *made = ::mkdtemp(pattern.data());
        return made != nullptr ? std::filesystem::path(made) : std::filesystem::path(pattern);
    }
    handsim::MediaStore store;
    handsim::DownloadService service;
    handsim::Bytes matrix;
};

void set_up(Handset &h) {
    h.service.restarted();
    handsim::Bytes m(8 + h.matrix.size(), 0);
    m[1] = 3;
    m[4] = static_cast<uint8_t>(h.matrix.size());
    m[5] = static_cast<uint8_t>(h.matrix.size() >> 8);
    m[6] = 0x10;
    m[7] = 0x01;
    std::copy(h.matrix.begin(), h.matrix.end(), m.begin() + 8);
    h.service.on_message({handsim::PcMessage::Form::Signal, m});
    h.service.on_message({handsim::PcMessage::Form::Command, {0x02, 0x03, 0x00, 0x00, 0x00}});
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static Handset handset;
    set_up(handset);
    handsim::SegmentAssembler assembler;
    size_t pos = 0;
    while (pos < size) {
        const size_t n = data[pos++];
        const size_t take = n < size - pos ? n : size - pos;
        std::optional<handsim::PcMessage> complete;
        assembler.push(data + pos, take, &complete);
        pos += take;
        if (complete) {
            handset.service.on_message(*complete);
        }
    }
    handsim::decode_handset_picture(data, size);
    handsim::handset_melody_to_midi(data, size);
    handsim::FilterMatrix(data, size)
        .selects(size > 1 ? static_cast<uint16_t>(data[0] << 8 | data[1]) : 0);
    return 0;
}
