#include "melody_conversion.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>

#include "handset_melody.h"
#include "melody_fit.h"
#include "output_file.h"
#include "source_file.h"
#include "zemlo/run_folder.h"

namespace zemlo::media {

namespace {

// The conversion's own folder holds nothing else, so the names can be fixed.
constexpr const char *kIntermediateName = "melody.dat";
constexpr const char *kFormat0Name = "melody.tmp";

std::string errno_text() {
    return std::strerror(errno);
}

// Plain descriptors rather than stdio: a conversion makes a handful of small files, and the
// fewer system calls the better on a busy machine.

// Reads at most max_bytes + 1 bytes, so that a longer file is seen as such without reading it all.
// Only a regular file is read: a pipe or a device named as the source must not hang the conversion.
std::optional<std::vector<uint8_t>> read_bounded(const std::string &path, size_t max_bytes,
                                                 std::string *error) {
    const SourceFile source = open_source_file(path);
    if (source.fd < 0) {
        *error = "cannot open " + path + ": " + source.reason;
        return std::nullopt;
    }
    const int fd = source.fd;
    std::vector<uint8_t> bytes(max_bytes + 1);
    size_t n = 0;
    bool failed = false;
    while (n < bytes.size()) {
        const ssize_t got = ::read(fd, bytes.data() + n, bytes.size() - n);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        n += static_cast<size_t>(got);
    }
    ::close(fd);
    if (failed) {
        *error = "cannot read " + path + ": " + errno_text();
        return std::nullopt;
    }
    bytes.resize(n);
    return bytes;
}

// Writes all bytes and closes the descriptor; false when either fails.
bool write_and_close(int fd, const std::vector<uint8_t> &bytes) {
    size_t done = 0;
    bool ok = true;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            ok = false;
            break;
        }
        done += static_cast<size_t>(put);
    }
    return ::close(fd) == 0 && ok;
}

// Creates the file new in the conversion's folder and writes the bytes into it.
std::optional<std::string> write_work_file(const RunFolder &run, const char *name,
                                           const std::vector<uint8_t> &bytes, std::string *error) {
    const int fd = run.create_file(name, error);
    if (fd < 0) {
        return std::nullopt;
    }
    if (!write_and_close(fd, bytes)) {
        *error = "cannot write " + run.file(name);
        return std::nullopt;
    }
    return run.file(name);
}

// Reads and merges the source; the intermediate file's bytes with the end-of-track appended, or
// nothing (c says why).
std::optional<std::vector<uint8_t>> merge_source(const std::string &source_path,
                                                 MelodyConversion &c) {
    auto source = read_bounded(source_path, kMaxMidiSourceBytes, &c.error);
    if (!source) {
        return std::nullopt;
    }
    MidiMerger merger;
    MergeResult merged = merger.merge(*source);
    c.source_error = merged.error;
    if (!merged.ok()) {
        c.error = source_path + ": " + describe(merged.error);
        return std::nullopt;
    }
    c.stop = merged.stop;
    c.stop_offset = merged.stop_offset;
    c.tracks = merged.tracks;
    c.tracks_cut = merged.tracks_cut;
    append_end_of_track(merged.intermediate);
    return std::move(merged.intermediate);
}

// The cut and the check for notes that the options ask for; false (c says why) when the melody
// is not to be written.
bool finish_melody(const std::string &source_path, const MelodyOptions &options,
                   std::vector<uint8_t> &melody, MelodyConversion &c) {
    c.uncut_bytes = melody.size();
    if (options.fit_limit != 0 && melody.size() > options.fit_limit) {
        auto fit = fit_handset_melody(melody, options.fit_limit);
        if (!fit) {
            c.error = "cannot cut the melody of " + source_path;
            return false;
        }
        c.cut = fit->cut;
        c.kept_micros = fit->kept_micros;
        c.total_micros = fit->total_micros;
        melody = std::move(fit->melody);
    }
    if (options.refuse_without_notes && !handset_melody_has_notes(melody)) {
        c.without_notes = true;
        c.error = source_path + ": the melody strikes no note";
        return false;
    }
    return true;
}

}  // namespace

MelodyConversion measure_melody_file(const std::string &source_path, const MelodyOptions &options) {
    MelodyConversion c;
    auto intermediate = merge_source(source_path, c);
    auto format0 = intermediate ? fix_track_length(*intermediate) : std::nullopt;
    auto melody = format0 ? handset_melody_from_format0(*format0) : std::nullopt;
    if (!melody) {
        if (c.error.empty()) {
            c.error = "cannot convert " + source_path;
        }
        return c;
    }
    if (finish_melody(source_path, options, *melody, c)) {
        c.output_bytes = melody->size();
    }
    return c;
}

MelodyConversion convert_melody_file(const std::string &source_path, const std::string &output_path,
                                     const MelodyOptions &options) {
    MelodyConversion c;
    auto intermediate = merge_source(source_path, c);
    if (!intermediate) {
        return c;
    }

    // Removed with everything in it however the conversion ends.
    const auto run = RunFolder::create(&c.error);
    if (!run) {
        return c;
    }
    // The intermediate file, then the format-0 file made from what was read back of it.
    auto dat_name = write_work_file(*run, kIntermediateName, *intermediate, &c.error);
    if (!dat_name) {
        return c;
    }
    auto dat = read_bounded(*dat_name, intermediate->size(), &c.error);
    auto format0 = dat ? fix_track_length(*dat) : std::nullopt;
    if (!format0) {
        if (c.error.empty()) {
            c.error = "cannot read back " + *dat_name;
        }
        return c;
    }
    auto tmp_name = write_work_file(*run, kFormat0Name, *format0, &c.error);
    if (!tmp_name) {
        return c;
    }
    auto tmp = read_bounded(*tmp_name, format0->size(), &c.error);
    auto melody = tmp ? handset_melody_from_format0(*tmp) : std::nullopt;
    if (!melody) {
        if (c.error.empty()) {
            c.error = "cannot read back " + *tmp_name;
        }
        return c;
    }
    if (!finish_melody(source_path, options, *melody, c)) {
        return c;
    }
    if (!write_output_file(output_path, melody->data(), melody->size(), &c.error)) {
        return c;
    }
    c.written = true;
    c.output_bytes = melody->size();
    return c;
}

}  // namespace zemlo::media
