#include "media_store.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <system_error>

#include "media_render.h"

namespace handsim {

namespace fs = std::filesystem;
namespace rec = zemlo::records;

namespace {
constexpr size_t kMaxNameChars = 64;
constexpr char kViewDir[] = "view";
constexpr char kPngExtension[] = ".png";
constexpr uint64_t kMaxFileBytes = rec::kMaxCapacityBytes;

bool equal_ignoring_case(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

bool write_file(const fs::path &path, const std::vector<uint8_t> &bytes) {
    // The partial file starts with a dot so that a listing never shows it.
    const fs::path temp = path.parent_path() / ("." + path.filename().string() + ".part");
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            return false;
        }
        out.write(reinterpret_cast<const char *>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            return false;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    return !ec;
}
}  // namespace

std::string_view folder_dir(Folder folder) {
    return folder == Folder::Picture ? "pic" : "melody";
}

size_t folder_limit(Folder folder) {
    return folder == Folder::Picture ? rec::kMaxPictures : rec::kMaxMelodies;
}

bool valid_file_name(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameChars || name.front() == '.') {
        return false;
    }
    return std::all_of(name.begin(), name.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u > 0x20 && u < 0x7F && c != '/' && c != '\\';
    });
}

std::optional<HandsetPath> parse_handset_path(std::string_view path) {
    const size_t cut = path.rfind('\\');
    if (cut == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view folder = path.substr(0, cut);
    const std::string_view name = path.substr(cut + 1);
    HandsetPath result;
    if (equal_ignoring_case(folder, rec::kPictureFolder)) {
        result.folder = Folder::Picture;
    } else if (equal_ignoring_case(folder, rec::kMelodyFolder)) {
        result.folder = Folder::Melody;
    } else {
        return std::nullopt;
    }
    if (!valid_file_name(name)) {
        return std::nullopt;
    }
    result.name = std::string(name);
    return result;
}

MediaStore::MediaStore(fs::path root, uint64_t capacity)
    : root_(std::move(root)),
      capacity_(std::min<uint64_t>(capacity / kUnitBytes * kUnitBytes, rec::kMaxCapacityBytes)) {}

bool MediaStore::open(std::string *error) {
    std::error_code ec;
    for (Folder f : {Folder::Picture, Folder::Melody}) {
        fs::create_directories(root_ / folder_dir(f), ec);
        if (!ec) {
            fs::create_directories(root_ / kViewDir / folder_dir(f), ec);
        }
        if (ec) {
            if (error != nullptr) {
                *error = "cannot create the store in " + root_.string() + ": " + ec.message();
            }
            return false;
        }
    }
    return true;
}

fs::path MediaStore::file_path(Folder folder, const std::string &name) const {
    return root_ / folder_dir(folder) / name;
}

fs::path MediaStore::view_path(Folder folder, const std::string &name) const {
    if (folder == Folder::Picture) {
        return root_ / kViewDir / folder_dir(folder) /
               (fs::path(name).stem().string() + kPngExtension);
    }
    return root_ / kViewDir / folder_dir(folder) / name;
}

std::vector<StoreEntry> MediaStore::list(Folder folder) const {
    std::vector<StoreEntry> entries;
    std::error_code ec;
    for (fs::directory_iterator it(root_ / folder_dir(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code size_ec;
        if (!valid_file_name(name) || !it->is_regular_file(size_ec)) {
            continue;
        }
        const uint64_t size = it->file_size(size_ec);
        if (!size_ec) {
            entries.push_back({name, size});
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const StoreEntry &a, const StoreEntry &b) { return a.name < b.name; });
    return entries;
}

std::optional<uint64_t> MediaStore::size_of(Folder folder, const std::string &name) const {
    if (!valid_file_name(name)) {
        return std::nullopt;
    }
    std::error_code ec;
    const fs::path path = file_path(folder, name);
    if (!fs::is_regular_file(path, ec)) {
        return std::nullopt;
    }
    const uint64_t size = fs::file_size(path, ec);
    if (ec) {
        return std::nullopt;
    }
    return size;
}

std::optional<std::vector<uint8_t>> MediaStore::read(Folder folder, const std::string &name) const {
    const auto size = size_of(folder, name);
    if (!size || *size > kMaxFileBytes) {
        return std::nullopt;
    }
    std::ifstream in(file_path(folder, name), std::ios::binary);
    std::vector<uint8_t> bytes(*size);
    in.read(reinterpret_cast<char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!in) {
        return std::nullopt;
    }
    return bytes;
}

uint64_t MediaStore::used_bytes() const {
    uint64_t used = 0;
    for (Folder f : {Folder::Picture, Folder::Melody}) {
        for (const auto &e : list(f)) {
            used += rec::allocation_size(e.size);
        }
    }
    return used;
}

rec::StorageDescription MediaStore::description() const {
    // 512-byte units: mantissa 2 shifted left by 0 + 8.
    constexpr uint8_t kMantissa = 2;
    constexpr uint8_t kExponent = 0;
    const uint64_t total = capacity_ / kUnitBytes;
    const uint64_t used = (used_bytes() + kUnitBytes - 1) / kUnitBytes;
    return {kMantissa, kExponent, static_cast<uint32_t>(total),
            static_cast<uint32_t>(used < total ? total - used : 0)};
}

bool MediaStore::has_room(Folder folder, const std::string &name, uint64_t n) const {
    const uint64_t usable = capacity_ > rec::kReservedBytes ? capacity_ - rec::kReservedBytes : 0;
    uint64_t used = used_bytes();
    if (const auto old = size_of(folder, name)) {
        used -= rec::allocation_size(*old);
    }
    return used + rec::allocation_size(n) <= usable;
}

MediaStore::Status MediaStore::keep(Folder folder, const std::string &name,
                                    const std::vector<uint8_t> &bytes) {
    if (!valid_file_name(name)) {
        return Status::BadName;
    }
    const bool replaces = size_of(folder, name).has_value();
    if (!replaces && list(folder).size() >= folder_limit(folder)) {
        return Status::TooManyFiles;
    }
    if (!has_room(folder, name, bytes.size())) {
        return Status::NoRoom;
    }
    if (!write_file(file_path(folder, name), bytes)) {
        return Status::IoError;
    }
    // A file the PC cannot render is still the handset's file; only its view is missing.
    if (!write_view(folder, name, bytes)) {
        std::error_code ec;
        fs::remove(view_path(folder, name), ec);
    }
    return Status::Ok;
}

std::optional<std::vector<uint8_t>> MediaStore::render(Folder folder,
                                                       const std::vector<uint8_t> &bytes) {
    if (folder == Folder::Picture) {
        const auto image = decode_handset_picture(bytes.data(), bytes.size());
        return image ? encode_png(*image) : std::nullopt;
    }
    return handset_melody_to_midi(bytes.data(), bytes.size());
}

bool MediaStore::write_view(Folder folder, const std::string &name,
                            const std::vector<uint8_t> &bytes) {
    const auto view = render(folder, bytes);
    return view && write_file(view_path(folder, name), *view);
}

fs::path MediaStore::preview_path(Folder folder) const {
    return root_ / kViewDir / (folder == Folder::Picture ? "showing.png" : "playing.mid");
}

bool MediaStore::write_preview(Folder folder, const std::vector<uint8_t> &bytes) {
    const auto view = render(folder, bytes);
    return view && write_file(preview_path(folder), *view);
}

MediaStore::Status MediaStore::remove(Folder folder, const std::string &name) {
    if (!size_of(folder, name)) {
        return Status::NoSuchFile;
    }
    std::error_code ec;
    fs::remove(file_path(folder, name), ec);
    if (ec) {
        return Status::IoError;
    }
    fs::remove(view_path(folder, name), ec);
    return Status::Ok;
}

MediaStore::Status MediaStore::rename(Folder folder, const std::string &from,
                                      const std::string &to) {
    if (!valid_file_name(to)) {
        return Status::BadName;
    }
    if (!size_of(folder, from)) {
        return Status::NoSuchFile;
    }
    if (from == to) {
        return Status::Ok;
    }
    std::error_code ec;
    if (fs::exists(file_path(folder, to), ec)) {
        return Status::NameTaken;
    }
    fs::rename(file_path(folder, from), file_path(folder, to), ec);
    if (ec) {
        return Status::IoError;
    }
    const fs::path old_view = view_path(folder, from);
    if (fs::exists(old_view, ec)) {
        fs::rename(old_view, view_path(folder, to), ec);
    }
    return Status::Ok;
}

MediaStore::Status MediaStore::format() {
    Status status = Status::Ok;
    for (Folder f : {Folder::Picture, Folder::Melody}) {
        for (const auto &e : list(f)) {
            if (remove(f, e.name) != Status::Ok) {
                status = Status::IoError;
            }
        }
    }
    return status;
}

}  // namespace handsim
