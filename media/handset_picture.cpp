#include "handset_picture.h"

#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "output_file.h"

namespace zemlo::media {

namespace {

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

}  // namespace

bool convert_text_file(const std::string &text_path, const std::string &output_path,
                       std::string *error) {
    std::unique_ptr<std::FILE, FileCloser> in(std::fopen(text_path.c_str(), "rb"));
    if (!in) {
        *error = "cannot open " + text_path;
        return false;
    }
    // The length is bounded before anything is allocated for it.
    if (std::fseek(in.get(), 0, SEEK_END) != 0) {
        *error = "cannot read " + text_path;
        return false;
    }
    const long length = std::ftell(in.get());
    if (length < 0 || static_cast<unsigned long>(length) > kMaxConverterTextBytes) {
        *error = text_path + " is too large for a converter text";
        return false;
    }
    std::rewind(in.get());
    std::string text(static_cast<size_t>(length), '\0');
    if (std::fread(text.data(), 1, text.size(), in.get()) != text.size()) {
        *error = "cannot read " + text_path;
        return false;
    }
    const auto picture = handset_picture_from_text(text, error);
    if (!picture) {
        return false;
    }
    OutputFile file = open_output_file(output_path);
    if (file.fd < 0) {
        *error = "cannot create " + output_path + ": " + file.reason;
        return false;
    }
    struct stat written {};
    const bool known = ::fstat(file.fd, &written) == 0;
    std::unique_ptr<std::FILE, FileCloser> out(::fdopen(file.fd, "wb"));
    if (!out) {
        *error = "cannot create " + output_path + ": " + std::strerror(errno);
        ::close(file.fd);
        drop_output_file(file, nullptr);
        return false;
    }
    // A staged file replaces an earlier one: its bytes are on the disk before its name is. Each
    // step keeps its errno, so that the failure says why.
    int why = 0;
    if (std::fwrite(picture->data(), 1, picture->size(), out.get()) != picture->size() ||
        std::fflush(out.get()) != 0 || (file.is_staged() && ::fsync(::fileno(out.get())) != 0)) {
        why = errno != 0 ? errno : EIO;
    }
    if (std::fclose(out.release()) != 0 && why == 0) {
        why = errno;
    }
    if (why != 0 || !place_output_file(file, &why)) {
        drop_output_file(file, known ? &written : nullptr);
        *error = "cannot write " + output_path + ": " + std::strerror(why);
        return false;
    }
    return true;
}

}  // namespace zemlo::media
