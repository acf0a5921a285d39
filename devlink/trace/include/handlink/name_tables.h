// Task and signal names to numbers, and the filter matrix that tells the handset which signals to
// report. One instance lives in the library; it is empty until the first rebuild, and every lookup
// in an empty table gives 0. Pure data: no threads, no I/O. The caller serialises access.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace handlink {

struct TaskEntry {
    uint8_t id;
    std::string name;
};

struct SignalEntry {
    uint16_t id;
    std::string name;
    uint8_t selected;  // 1 when the handset is asked to report it
};

inline constexpr size_t kGroupCount = 256;
inline constexpr size_t kFilterMatrixCapacity = 1024;

// Builds the filter matrix into out: a directory of (highest group + 2) two-byte entries holding
// each group's bitmap offset, then one bit per selected signal. Offsets, the bitmap size and the
// entry count are 8-bit counters that wrap, as the handset parses them. Returns the length sent
// (4 + 2 * entries + stored bitmap size); out must hold kFilterMatrixCapacity bytes.
size_t build_filter_matrix(const std::array<uint32_t, kGroupCount> &group_counts,
                           int32_t highest_group, std::span<const uint16_t> selected_ids,
                           uint8_t *out);

class NameTables {
  public:
    NameTables() = default;
    // The lookup indexes point into the rows, so a table is moved, never copied.
    NameTables(const NameTables &) = delete;
    NameTables &operator=(const NameTables &) = delete;
    NameTables(NameTables &&) = default;
    NameTables &operator=(NameTables &&) = default;

    // Id of the first row whose name equals name exactly (case matters); 0 when there is none.
    uint8_t task_id(std::string_view name) const;
    uint16_t signal_id(std::string_view name) const;

    // Name of the first row with this id; empty when there is none (or before the first rebuild).
    std::string_view task_name(uint8_t id) const;
    std::string_view signal_name(uint16_t id) const;

    // Reloads every table from the built-in data, selects the filter signals and builds the matrix.
    void rebuild();
    bool empty() const { return signals_.empty(); }

    // The matrix built by the last rebuild (empty before it).
    std::span<const uint8_t> filter_matrix() const { return {matrix_.data(), matrix_length_}; }

    const std::vector<TaskEntry> &tasks() const { return tasks_; }
    const std::vector<SignalEntry> &signals() const { return signals_; }
    const std::vector<std::string> &filter_names() const { return filter_names_; }
    const std::array<uint32_t, kGroupCount> &group_counts() const { return group_counts_; }
    int32_t highest_group() const { return highest_group_; }

    // Recorded for an interface description file; nothing reads the file.
    void set_description_file(std::string path) { description_file_ = std::move(path); }

  private:
    std::vector<std::string> filter_names_;
    std::vector<TaskEntry> tasks_;
    std::vector<SignalEntry> signals_;
    std::unordered_map<std::string_view, size_t> task_by_name_;
    std::unordered_map<std::string_view, size_t> signal_by_name_;
    std::unordered_map<uint8_t, size_t> task_by_id_;
    std::unordered_map<uint16_t, size_t> signal_by_id_;
    std::array<uint32_t, kGroupCount> group_counts_{};
    int32_t highest_group_ = 0;
    std::string description_file_;
    std::array<uint8_t, kFilterMatrixCapacity> matrix_{};
    size_t matrix_length_ = 0;
};

}  // namespace handlink
