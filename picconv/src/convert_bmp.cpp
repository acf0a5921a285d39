// ConvertBmp: one bitmap to one C source text through the display driver.
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "bmp_data.h"
#include "display_binding.h"
#include "graphic_text.h"
#include "picmill.h"
#include "settings_line.h"

namespace {

using namespace zemlo::picmill;

// The graphic's size field is 16 bits and only that much is allocated, so a larger graphic
// would be written past its buffer.
constexpr uint32_t kMaxGraphicBytes = 0xFFFF;

struct FileCloser {
    void operator()(std::FILE *f) const { std::fclose(f); }
};

std::mutex &conversion_mutex() {
    static std::mutex m;
    return m;
}

bool write_text(const BMPData &job, const std::string &text, std::string *diagnostics) {
    const std::string &path = job.settings().text_path;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "w"));
    if (!file) {
        *diagnostics += "Error: cannot create " + path + "\n";
        return false;
    }
    *diagnostics += "writing " + path + "\n";
    const bool written = std::fwrite(text.data(), 1, text.size(), file.get()) == text.size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        *diagnostics += "Error: cannot write " + path + "\n";
        return false;
    }
    return true;
}

bool convert_and_write(const BMPData &job, std::string *diagnostics) {
    const DisplayBinding &d = display_binding();
    d.set_depth(job.settings().depth);
    const uint32_t required = d.mem_req(job.file_image().data());
    if (required == 0 || required > kMaxGraphicBytes) {
        *diagnostics += "Error: BMP graphic needs " + std::to_string(required) +
                        " bytes; the display driver accepts 1 to " +
                        std::to_string(kMaxGraphicBytes) + "\n";
        return false;
    }
    std::vector<uint8_t> graphic(required, 0);
    d.convert(job.file_image().data(), graphic.data());
    const auto text = graphic_text(graphic.data(), graphic.size(), job.settings().symbol_name);
    if (!text) {
        *diagnostics += "Error: display driver returned an inconsistent graphic\n";
        return false;
    }
    return write_text(job, *text, diagnostics);
}

int convert(const char *bitmap_path, const char *text_path, std::string *diagnostics) {
    release_display();
    if (!load_display(diagnostics)) {
        return 0;
    }
    BMPData job(parse_settings_line(build_settings_line(bitmap_path != nullptr ? bitmap_path : "",
                                                        text_path != nullptr ? text_path : "")));
    if (!job.load_bitmap(diagnostics)) {
        return 0;
    }
    if (!convert_and_write(job, diagnostics)) {
        return 0;
    }
    release_display();
    return 1;
}

}  // namespace

extern "C" PICMILL_EXPORT int PICMILL_CALL ConvertBmp(const char *bitmap_path,
                                                      const char *text_path) {
    const std::lock_guard<std::mutex> lock(conversion_mutex());
    std::string diagnostics;
    const int result = convert(bitmap_path, text_path, &diagnostics);
    std::fputs(diagnostics.c_str(), stdout);
    std::fflush(stdout);
    return result;
}
