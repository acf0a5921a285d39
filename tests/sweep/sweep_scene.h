// What every run of the sweep starts from: the handset's store (two pictures and a melody), the
// user's files on the PC (a picture and a melody that makes three data packets), and the reading
// of a store and of a listing to hold them against each other.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "sweep_oracle.h"

namespace zemlo::sweep {

// The store every run starts from.
StoreFiles starting_store();
// The user's files: "photo.bmp" and "tune.mid".
std::map<std::string, std::vector<uint8_t>> pc_files();

// Lays a run out in its folder: the store ("store", as starting_store), the user's files ("pc")
// and an empty work folder ("work").
void lay_out_run(const std::filesystem::path &dir);

// Writes files ("pic/a.bmp" and the like) under a folder.
void write_files(const std::filesystem::path &dir,
                 const std::map<std::string, std::vector<uint8_t>> &files);
// The store as the handset lists it: regular files of pic/ and melody/ not starting with a dot.
StoreFiles read_store(const std::filesystem::path &store);

// A listing as names and sizes ("pic/a.bmp" to its size) and the free space it reports.
struct Listed {
    std::map<std::string, uint64_t> sizes;
    int64_t free_space = 0;

    bool operator==(const Listed &) const = default;
};
// What the handset should list for a store of the given capacity (reserve included).
Listed listing_of(const StoreFiles &store, uint64_t capacity);
// The listing a "list --json" printed; nothing when it is not one.
std::optional<Listed> parse_json_listing(const std::string &json);

// Everything left under a folder (work files, run folders) but the empty folder the runs are made
// in, as paths relative to it.
std::vector<std::string> left_in(const std::filesystem::path &dir);

// A scratch folder of its own, removed with everything in it.
class Scratch {
  public:
    Scratch();
    ~Scratch();
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    const std::filesystem::path &path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace zemlo::sweep
