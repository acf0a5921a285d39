#include "sweep_scene.h"

#include <stdlib.h>

#include <fstream>
#include <regex>

#include "file_bytes.h"
#include "sample_bitmap.h"
#include "zemlo/handset_records.h"

namespace zemlo::sweep {

namespace fs = std::filesystem;

namespace {

// Bytes that differ from their neighbours, so a shifted or dropped packet shows.
std::vector<uint8_t> pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) {
        v[i] = static_cast<uint8_t>(seed + i * 7);
    }
    return v;
}

// A format-0 MIDI file of rising and falling notes, long enough that its handset melody takes
// three data packets.
std::vector<uint8_t> midi(int notes) {
    std::vector<uint8_t> track;
    for (int i = 0; i < notes; ++i) {
        const auto note = static_cast<uint8_t>(48 + (i * 5) % 36);
        for (uint8_t b : {uint8_t{0x00}, uint8_t{0x90}, note, uint8_t{0x60}, uint8_t{0x30},
                          uint8_t{0x80}, note, uint8_t{0x40}}) {
            track.push_back(b);
        }
    }
    for (uint8_t b : {0x00, 0xFF, 0x2F, 0x00}) {
        track.push_back(b);
    }
    std::vector<uint8_t> v{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, 0, 0x60, 'M', 'T', 'r', 'k'};
    for (int shift : {24, 16, 8, 0}) {
        v.push_back(static_cast<uint8_t>(track.size() >> shift));
    }
    v.insert(v.end(), track.begin(), track.end());
    return v;
}

constexpr int kTuneNotes = 140;

}  // namespace

StoreFiles starting_store() {
    return {{"pic/a.bmp", pattern(700, 1)},
            {"pic/b.bmp", pattern(300, 2)},
            {"melody/m.mid", pattern(400, 3)}};
}

std::map<std::string, std::vector<uint8_t>> pc_files() {
    return {{"photo.bmp", testing::ramp_bitmap(64, 48)}, {"tune.mid", midi(kTuneNotes)}};
}

void lay_out_run(const fs::path &dir) {
    fs::create_directories(dir / "store" / "pic");
    fs::create_directories(dir / "store" / "melody");
    fs::create_directories(dir / "work");
    write_files(dir / "store", starting_store());
    write_files(dir / "pc", pc_files());
}

void write_files(const fs::path &dir, const std::map<std::string, std::vector<uint8_t>> &files) {
    for (const auto &[name, bytes] : files) {
        fs::create_directories((dir / name).parent_path());
        testing::write_file(dir / name, bytes);
    }
}

StoreFiles read_store(const fs::path &store) {
    StoreFiles files;
    for (const char *folder : {"pic", "melody"}) {
        std::error_code ec;
        for (fs::directory_iterator it(store / folder, ec), end; !ec && it != end;
             it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.empty() || name[0] == '.' || !it->is_regular_file()) {
                continue;
            }
            const std::string bytes = testing::read_file(it->path());
            files[std::string(folder) + "/" + name] =
                std::vector<uint8_t>(bytes.begin(), bytes.end());
        }
    }
    return files;
}

Listed listing_of(const StoreFiles &store, uint64_t capacity) {
    Listed l;
    uint64_t used = 0;
    for (const auto &[name, bytes] : store) {
        l.sizes[name] = bytes.size();
        used += records::allocation_size(bytes.size());
    }
    l.free_space = static_cast<int64_t>(capacity) - static_cast<int64_t>(records::kReservedBytes) -
                   static_cast<int64_t>(used);
    return l;
}

std::optional<Listed> parse_json_listing(const std::string &json) {
    static const std::regex free_re(R"re("free":(-?\d+))re");
    static const std::regex folder_re(
        R"re("(pic|melody)":\{"path":"[^"]*","files":\[([^\]]*)\])re");
    static const std::regex file_re(R"re(\{"name":"([^"\\]*)","size":(\d+))re");
    std::smatch m;
    if (!std::regex_search(json, m, free_re)) {
        return std::nullopt;
    }
    Listed l;
    l.free_space = std::stoll(m[1].str());
    int folders = 0;
    for (auto it = std::sregex_iterator(json.begin(), json.end(), folder_re);
         it != std::sregex_iterator(); ++it) {
        ++folders;
        const std::string folder = (*it)[1].str();
        const std::string files = (*it)[2].str();
        for (auto f = std::sregex_iterator(files.begin(), files.end(), file_re);
             f != std::sregex_iterator(); ++f) {
            l.sizes[folder + "/" + (*f)[1].str()] = std::stoull((*f)[2].str());
        }
    }
    if (folders != 2) {
        return std::nullopt;
    }
    return l;
}

std::vector<std::string> left_in(const fs::path &dir) {
    std::vector<std::string> left;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = fs::relative(it->path(), dir, ec).string();
        // The folder the runs are made in stays for the next program; only what is in it is a
        // run's.
        if (name != "zemlo-runs") {
            left.push_back(name);
        }
    }
    return left;
}

Scratch::Scratch() {
    char tmpl[] = "/tmp/zemlo-sweep-XXXXXX";
    const char *made = ::mkdtemp(tmpl);
    path_ = made != nullptr ? made : "/tmp/zemlo-sweep-unmade";
}

Scratch::~Scratch() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

}  // namespace zemlo::sweep
