// The handset's media store, kept in a folder of the PC: pic/ and melody/ hold the handset's files
// exactly as received; view/pic/ and view/melody/ hold what a PC can open of them (a PNG of each
// picture, a standard MIDI file of each melody). Space is counted with the handset's allocation
// rule against a fixed capacity, as the handset reports it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "zemlo/handset_records.h"

namespace handsim {

enum class Folder { Picture, Melody };

struct StoreEntry {
    std::string name;  // file name with extension
    uint64_t size = 0;
};

// The folder and file name of a handset path such as "a:\pcdlw\pic\abc.bmp". The folder is
// compared without regard to case; the name must pass valid_file_name.
struct HandsetPath {
    Folder folder = Folder::Picture;
    std::string name;
};
std::optional<HandsetPath> parse_handset_path(std::string_view path);

// A name safe to keep as a file: 1 to 64 printable ASCII characters, no slash or backslash, not
// starting with a dot.
bool valid_file_name(std::string_view name);

class MediaStore {
  public:
    enum class Status { Ok, NoSuchFile, NameTaken, BadName, NoRoom, TooManyFiles, IoError };

    // Largest capacity a handset may report; the default store has all of it.
    static constexpr uint64_t kUnitBytes = 512;
    static constexpr uint64_t kDefaultCapacity = zemlo::records::kMaxCapacityBytes;

    explicit MediaStore(std::filesystem::path root, uint64_t capacity = kDefaultCapacity);

    // Creates the folders when missing. False (with a reason) when the root cannot be used.
    bool open(std::string *error);

    const std::filesystem::path &root() const { return root_; }

    std::vector<StoreEntry> list(Folder folder) const;  // sorted by name
    std::optional<uint64_t> size_of(Folder folder, const std::string &name) const;
    std::optional<std::vector<uint8_t>> read(Folder folder, const std::string &name) const;

    // Total and free units of 512 bytes as the storage description reports them.
    zemlo::records::StorageDescription description() const;
    uint64_t used_bytes() const;  // allocation sizes of every file
    // Room for a file of n bytes, counting the space of a file of the same name it replaces.
    bool has_room(Folder folder, const std::string &name, uint64_t n) const;

    // Keeps a file, replacing one of the same name, and writes its rendering for the PC.
    Status keep(Folder folder, const std::string &name, const std::vector<uint8_t> &bytes);
    Status remove(Folder folder, const std::string &name);
    Status rename(Folder folder, const std::string &from, const std::string &to);
    // Deletes every handset file and rendering; the folders stay.
    Status format();

    // What the handset shows or plays when asked to preview a download that is not kept yet:
    // view/showing.png or view/playing.mid. False when the file cannot be rendered.
    bool write_preview(Folder folder, const std::vector<uint8_t> &bytes);
    std::filesystem::path preview_path(Folder folder) const;

    std::filesystem::path file_path(Folder folder, const std::string &name) const;
    std::filesystem::path view_path(Folder folder, const std::string &name) const;

  private:
    bool write_view(Folder folder, const std::string &name, const std::vector<uint8_t> &bytes);
    static std::optional<std::vector<uint8_t>> render(Folder folder,
                                                      const std::vector<uint8_t> &bytes);

    std::filesystem::path root_;
    uint64_t capacity_;
};

std::string_view folder_dir(Folder folder);
size_t folder_limit(Folder folder);

}  // namespace handsim
