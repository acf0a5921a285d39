#include "metafile_svg.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>

#include "metafile_libraries.h"
#include "metafile_structure.h"
#include "picture_geometry.h"
#include "zemlo/byte_order.h"

namespace zemlo::media {

namespace {

constexpr uint32_t kEmfHeaderType = 1;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr size_t kEmfSignatureOffset = 40;
constexpr size_t kEmfHeaderSizeOffset = 4;
constexpr size_t kEmfBoundsOffset = 8;
constexpr size_t kEmfFrameOffset = 24;
constexpr uint32_t kEmfMinHeaderBytes = 88;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableBoxOffset = 6;
constexpr size_t kPlaceableInchOffset = 14;
constexpr size_t kPlaceableHeaderBytes = 22;
constexpr uint16_t kWmfHeaderWords = 9;
constexpr uint16_t kWmfVersion1 = 0x0100;
constexpr uint16_t kWmfVersion3 = 0x0300;
constexpr size_t kWmfHeaderBytes = 18;

// The fonts the WMF reader maps every typeface to (the standard PostScript ones).
constexpr const char *kWmfFontFiles[] = {
    "NimbusMonoPS-Regular.t1",    "NimbusMonoPS-Italic.t1",   "NimbusMonoPS-Bold.t1",
    "NimbusMonoPS-BoldItalic.t1", "NimbusSans-Regular.t1",    "NimbusSans-Italic.t1",
    "NimbusSans-Bold.t1",         "NimbusSans-BoldItalic.t1", "NimbusRoman-Regular.t1",
    "NimbusRoman-Italic.t1",      "NimbusRoman-Bold.t1",      "NimbusRoman-BoldItalic.t1",
    "StandardSymbolsPS.t1"};

const uint8_t *data_of(const QByteArray &bytes) {
    return reinterpret_cast<const uint8_t *>(bytes.constData());
}

int32_t read_i32(const uint8_t *p) {
    return static_cast<int32_t>(read_le32(p));
}
int16_t read_i16(const uint8_t *p) {
    return static_cast<int16_t>(read_le16(p));
}

bool plain_wmf_header(const uint8_t *p) {
    const uint16_t type = read_le16(p);
    const uint16_t version = read_le16(p + 4);
    return (type == 1 || type == 2) && read_le16(p + 2) == kWmfHeaderWords &&
           (version == kWmfVersion1 || version == kWmfVersion3);
}

MetafileSvg failure(std::string why) {
    MetafileSvg out;
    out.error = std::move(why);
    return out;
}

// A failure of the reader to start or to read, explained by missing fonts where that is the cause.
MetafileSvg wmf_reader_failure(const char *why) {
    std::string fonts = wmf_font_problem();
    return failure(fonts.empty() ? std::string(why) : std::move(fonts));
}

struct WmfApi {
    explicit WmfApi(const WmfLibrary &library) : fl(library) {}
    const WmfLibrary &fl;
    wmfAPI *api = nullptr;
    bool opened = false;
    ~WmfApi() {
        if (opened) {
            fl.wmf_mem_close(api);
        }
        if (api != nullptr) {
            fl.wmf_api_destroy(api);
        }
    }
};

}  // namespace

std::optional<MetafileKind> sniff_metafile(const QByteArray &head) {
    const uint8_t *p = data_of(head);
    const auto size = static_cast<size_t>(head.size());
    if (size >= kEmfSignatureOffset + 4 && read_le32(p) == kEmfHeaderType &&
        read_le32(p + kEmfSignatureOffset) == kEmfSignature) {
        return MetafileKind::Emf;
    }
    if (size >= 4 && read_le32(p) == kPlaceableKey) {
        return MetafileKind::Wmf;
    }
    if (size >= kWmfHeaderBytes && plain_wmf_header(p)) {
        return MetafileKind::Wmf;
    }
    return std::nullopt;
}

MetafileSvg emf_to_svg(const QByteArray &metafile) {
    // The converter reads its input through a non-const pointer; it gets a private copy, checked
    // first, since it trusts every length and offset in it.
    QByteArray input = metafile;
    if (std::string why = check_emf_structure(input); !why.empty()) {
        return failure(std::move(why));
    }
    const uint8_t *p = data_of(input);
    const auto size = static_cast<size_t>(input.size());
    if (size < kEmfMinHeaderBytes) {
        return failure("metafile too short");
    }
    const uint32_t header_bytes = read_le32(p + kEmfHeaderSizeOffset);
    if (header_bytes < kEmfMinHeaderBytes || header_bytes > size) {
        return failure("metafile header out of range");
    }
    MetafileSvg out;
    // The frame is the picture's own size in 0.01 mm; without one, the bounds in device pixels.
    const int64_t frame_w =
        int64_t{read_i32(p + kEmfFrameOffset + 8)} - read_i32(p + kEmfFrameOffset);
    const int64_t frame_h =
        int64_t{read_i32(p + kEmfFrameOffset + 12)} - read_i32(p + kEmfFrameOffset + 4);
    if (frame_w > 0 && frame_h > 0 && frame_w <= INT32_MAX && frame_h <= INT32_MAX) {
        out.width = static_cast<int>(frame_w);
        out.height = static_cast<int>(frame_h);
    } else {
        const int64_t bounds_w =
            int64_t{read_i32(p + kEmfBoundsOffset + 8)} - read_i32(p + kEmfBoundsOffset) + 1;
        const int64_t bounds_h =
            int64_t{read_i32(p + kEmfBoundsOffset + 12)} - read_i32(p + kEmfBoundsOffset + 4) + 1;
        if (bounds_w <= 0 || bounds_h <= 0 || bounds_w > UINT16_MAX || bounds_h > UINT16_MAX) {
            return failure("metafile has no size");
        }
        out.width = mul_div(static_cast<int>(bounds_w), kHimetricPerInch, kLogicalDpi);
        out.height = mul_div(static_cast<int>(bounds_h), kHimetricPerInch, kLogicalDpi);
    }
    // The reader is loaded now, the first time an EMF picture is read.
    std::string load_error;
    const EmfLibrary *emf = emf_library(&load_error);
    if (emf == nullptr) {
        return failure("the EMF reader cannot be loaded: " + load_error);
    }
    generatorOptions options{};
    char no_namespace[] = "";
    options.nameSpace = no_namespace;
    options.svgDelimiter = true;
    char *svg = nullptr;
    size_t svg_length = 0;
    const int ok =
        emf->emf2svg(input.data(), static_cast<size_t>(input.size()), &svg, &svg_length, &options);
    std::unique_ptr<char, decltype(&std::free)> owned(svg, &std::free);
    if (ok == 0 || svg == nullptr || svg_length == 0) {
        return failure("cannot read the EMF metafile");
    }
    out.svg = QByteArray(svg, static_cast<qsizetype>(svg_length));
    return out;
}

MetafileSvg wmf_to_svg(const QByteArray &metafile) {
    // The reader takes its input through a non-const pointer and trusts the header's sizes; it
    // gets a private copy, checked and with those sizes set from the records.
    QByteArray input = metafile;
    if (std::string why = check_wmf_structure(input); !why.empty()) {
        return failure(std::move(why));
    }
    const uint8_t *p = data_of(input);
    const auto size = static_cast<size_t>(input.size());
    MetafileSvg out;
    const bool placeable = size >= 4 && read_le32(p) == kPlaceableKey;
    if (placeable) {
        if (size < kPlaceableHeaderBytes + kWmfHeaderBytes) {
            return failure("metafile too short");
        }
        const int left = read_i16(p + kPlaceableBoxOffset);
        const int top = read_i16(p + kPlaceableBoxOffset + 2);
        const int right = read_i16(p + kPlaceableBoxOffset + 4);
        const int bottom = read_i16(p + kPlaceableBoxOffset + 6);
        const int inch = read_le16(p + kPlaceableInchOffset);
        if (inch == 0 || right - left == 0 || bottom - top == 0) {
            return failure("metafile has no size");
        }
        out.width = mul_div(std::abs(right - left), kHimetricPerInch, inch);
        out.height = mul_div(std::abs(bottom - top), kHimetricPerInch, inch);
    }

    // The reader is loaded now, the first time a WMF picture is read.
    std::string load_error;
    const WmfLibrary *fl = wmf_library(&load_error);
    if (fl == nullptr) {
        return failure("the WMF reader cannot be loaded: " + load_error);
    }
    WmfApi wmf(*fl);
    wmfAPI_Options options{};
    options.function = fl->wmf_svg_function;
    const unsigned long flags =
        WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL | WMF_OPT_NO_ERROR | WMF_OPT_NO_DEBUG;
    if (fl->wmf_api_create(&wmf.api, flags, &options) != wmf_E_None) {
        wmf.api = nullptr;
        return wmf_reader_failure("cannot start the WMF reader");
    }
    if (fl->wmf_mem_open(wmf.api, reinterpret_cast<unsigned char *>(input.data()),
                         static_cast<long>(input.size())) != wmf_E_None) {
        return wmf_reader_failure("cannot read the WMF metafile");
    }
    wmf.opened = true;
    wmfD_Rect bbox{};
    if (fl->wmf_scan(wmf.api, 0, &bbox) != wmf_E_None) {
        return wmf_reader_failure("cannot read the WMF metafile");
    }
    unsigned int width = 0;
    unsigned int height = 0;
    if (fl->wmf_display_size(wmf.api, &width, &height, kLogicalDpi, kLogicalDpi) != wmf_E_None ||
        width == 0 || height == 0) {
        return failure("metafile has no size");
    }
    if (!placeable) {
        out.width = mul_div(static_cast<int>(width), kHimetricPerInch, kLogicalDpi);
        out.height = mul_div(static_cast<int>(height), kHimetricPerInch, kLogicalDpi);
    }
    wmf_svg_t *device = WMF_SVG_GetData(wmf.api);
    device->out = fl->wmf_stream_create(wmf.api, nullptr);
    device->bbox = bbox;
    device->width = width;
    device->height = height;
    const wmf_error_t played = fl->wmf_play(wmf.api, 0, &bbox);
    char *svg = nullptr;
    unsigned long svg_length = 0;
    fl->wmf_stream_destroy(wmf.api, device->out, &svg, &svg_length);
    // The text belongs to the reader's own allocator, which frees it with the reader.
    if (played != wmf_E_None || svg == nullptr || svg_length == 0) {
        return wmf_reader_failure("cannot draw the WMF metafile");
    }
    out.svg = QByteArray(svg, static_cast<qsizetype>(svg_length));
    fl->wmf_free(wmf.api, svg);
    return out;
}

std::string wmf_font_problem(const std::string &font_folder) {
    std::string missing;
    for (const char *name : kWmfFontFiles) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(std::filesystem::path(font_folder) / name, error)) {
            missing = name;
            break;
        }
    }
    if (missing.empty()) {
        return {};
    }
    return std::string("cannot start the WMF reader: its fonts are missing (") + font_folder + "/" +
           missing + "); install the package " + kWmfFontPackage;
}

}  // namespace zemlo::media
