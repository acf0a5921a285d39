#include "melody_conversion.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

#include "handset_melody.h"
#include "zemlo/work_dir.h"

namespace zemlo::media {

namespace {

constexpr size_t kUniqueSuffixChars = 4;  // ".dat" / ".tmp" after the XXXXXX of mkstemps

std::string errno_text() {
    return std::strerror(errno);
}

// Reads at most max_bytes + 1 bytes, so that a longer file is seen as such without reading it all.
std::optional<std::vector<uint8_t>> read_bounded(const std::string &path, size_t max_bytes,
                                                 std::string *error) {
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) {
        *error = "cannot open " + path + ": " + errno_text();
        return std::nullopt;
    }
    std::vector<uint8_t> bytes(max_bytes + 1);
    const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed) {
        *error = "cannot read " + path;
        return std::nullopt;
    }
    bytes.resize(n);
    return bytes;
}

bool write_all(std::FILE *f, const std::vector<uint8_t> &bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
}

// Creates a fresh file with a unique name in the work folder and writes the bytes into it.
std::optional<std::string> write_work_file(const std::string &dir, const char *suffix,
                                           const std::vector<uint8_t> &bytes, std::string *error) {
    std::string name = dir + "/melody-XXXXXX" + suffix;
    const int fd = ::mkstemps(name.data(), static_cast<int>(kUniqueSuffixChars));
    if (fd < 0) {
        *error = "cannot create a temporary file in " + dir + ": " + errno_text();
        return std::nullopt;
    }
    std::FILE *f = ::fdopen(fd, "wb");
    if (f == nullptr) {
        ::close(fd);
        ::unlink(name.c_str());
        *error = "cannot open " + name + ": " + errno_text();
        return std::nullopt;
    }
    const bool ok = write_all(f, bytes);
    if (std::fclose(f) != 0 || !ok) {
        ::unlink(name.c_str());
        *error = "cannot write " + name;
        return std::nullopt;
    }
    return name;
}

// Removes the work files of one conversion however it ends.
class WorkFiles {
  public:
    WorkFiles() = default;
    WorkFiles(const WorkFiles &) = delete;
    WorkFiles &operator=(const WorkFiles &) = delete;
    ~WorkFiles() {
        for (const auto &name : names_) {
            ::unlink(name.c_str());
        }
    }
    void add(const std::string &name) { names_.push_back(name); }

  private:
    std::vector<std::string> names_;
};

bool write_output(const std::string &path, const std::vector<uint8_t> &bytes, std::string *error) {
    std::FILE *f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        *error = "cannot create " + path + ": " + errno_text();
        return false;
    }
    const bool ok = write_all(f, bytes);
    if (std::fclose(f) != 0 || !ok) {
        // A cut-off melody must not be taken for a good one.
        ::unlink(path.c_str());
        *error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

MelodyConversion convert_melody_file(const std::string &source_path,
                                     const std::string &output_path) {
    MelodyConversion c;
    auto source = read_bounded(source_path, kMaxMidiSourceBytes, &c.error);
    if (!source) {
        return c;
    }

    MidiMerger merger;
    MergeResult merged = merger.merge(*source);
    c.source_error = merged.error;
    if (!merged.ok()) {
        c.error = source_path + ": " + describe(merged.error);
        return c;
    }
    c.stop = merged.stop;
    c.stop_offset = merged.stop_offset;
    c.tracks = merged.tracks;
    c.tracks_cut = merged.tracks_cut;
    append_end_of_track(merged.intermediate);

    auto dir = ensure_work_dir(&c.error);
    if (!dir) {
        return c;
    }
    WorkFiles work;
    // The intermediate file, then the format-0 file made from what was read back of it.
    auto dat_name = write_work_file(*dir, ".dat", merged.intermediate, &c.error);
    if (!dat_name) {
        return c;
    }
    work.add(*dat_name);
    auto dat = read_bounded(*dat_name, merged.intermediate.size(), &c.error);
    auto format0 = dat ? fix_track_length(*dat) : std::nullopt;
    if (!format0) {
        if (c.error.empty()) {
            c.error = "cannot read back " + *dat_name;
        }
        return c;
    }
    auto tmp_name = write_work_file(*dir, ".tmp", *format0, &c.error);
    if (!tmp_name) {
        return c;
    }
    work.add(*tmp_name);
    auto tmp = read_bounded(*tmp_name, format0->size(), &c.error);
    auto melody = tmp ? handset_melody_from_format0(*tmp) : std::nullopt;
    if (!melody) {
        if (c.error.empty()) {
            c.error = "cannot read back " + *tmp_name;
        }
        return c;
    }
    if (!write_output(output_path, *melody, &c.error)) {
        return c;
    }
    c.written = true;
    c.output_bytes = melody->size();
    return c;
}

}  // namespace zemlo::media
