#include "picture_conversion.h"

#include <dlfcn.h>
#include <unistd.h>

#include <array>
#include <memory>

#include "handset_picture.h"
#include "new_work_file.h"
#include "picmill.h"
#include "picture_capture.h"

namespace zemlo::media {

namespace {

constexpr size_t kMaxPathBytes = 4096;

struct LibraryCloser {
    void operator()(void *handle) const { ::dlclose(handle); }
};

// The text is only needed until it has been read into the output.
struct RemoveOnExit {
    const std::string &path;
    ~RemoveOnExit() { ::unlink(path.c_str()); }
};

}  // namespace

std::string program_dir() {
    std::array<char, kMaxPathBytes> buffer{};
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0) {
        return ".";
    }
    std::string path(buffer.data(), static_cast<size_t>(n));
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
}

PictureFolders default_picture_folders(std::string *error) {
    PictureFolders folders;
    folders.library_dir = program_dir();
    if (std::shared_ptr<const RunFolder> run = RunFolder::create(error)) {
        folders.work_dir = run->path();
        folders.run = std::move(run);
    }
    return folders;
}

std::string capture_path(const PictureFolders &folders) {
    return folders.work_dir + "/" + kCaptureFileName;
}

std::string converter_text_path(const PictureFolders &folders) {
    return folders.work_dir + "/" + kConverterTextFileName;
}

ConversionOutcome convert_capture(const std::string &output_path, const PictureFolders &folders) {
    if (folders.work_dir.empty()) {
        return {false, "no work folder for the temporary files"};
    }
    const std::string library = folders.library_dir + "/" + PICMILL_LIBRARY_NAME;
    std::unique_ptr<void, LibraryCloser> handle(::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL));
    if (!handle) {
        const char *why = ::dlerror();
        return {false, "cannot load " + library + ": " + (why != nullptr ? why : "")};
    }
    auto convert = reinterpret_cast<ConvertBmpFn>(::dlsym(handle.get(), PICMILL_CONVERT_SYMBOL));
    if (convert == nullptr) {
        return {false, library + " has no " + PICMILL_CONVERT_SYMBOL};
    }
    const std::string text = converter_text_path(folders);
    // The converter opens its text file by name and writes through whatever is there: the file
    // is made new, empty and the user's own first.
    std::string error;
    const int text_fd = create_new_work_file(text, &error);
    if (text_fd < 0) {
        return {false, error};
    }
    ::close(text_fd);
    const RemoveOnExit remove_text{text};
    const int converted = convert(capture_path(folders).c_str(), text.c_str());
    handle.reset();
    if (converted == 0) {
        return {false, "the converter library could not convert " + capture_path(folders)};
    }
    if (!convert_text_file(text, output_path, &error)) {
        return {false, error};
    }
    return {true, {}};
}

}  // namespace zemlo::media
