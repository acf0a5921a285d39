#include "handlink/name_tables.h"

#include <algorithm>

#include "builtin_tables.h"

namespace handlink {
namespace {

constexpr size_t kMatrixCountByte = 0;
constexpr size_t kMatrixBitmapSizeByte = 2;
constexpr size_t kMatrixDirectoryStart = 4;
constexpr size_t kDirectoryEntryBytes = 2;
constexpr unsigned kBitsPerByte = 8;
constexpr unsigned kGroupShift = 8;
constexpr uint16_t kLowMask = 0xFF;

template <typename Map>
size_t find_or(const Map &map, typename Map::key_type key, size_t none) {
    const auto it = map.find(key);
    return it == map.end() ? none : it->second;
}

}  // namespace

size_t build_filter_matrix(const std::array<uint32_t, kGroupCount> &group_counts,
                           int32_t highest_group, std::span<const uint16_t> selected_ids,
                           uint8_t *out) {
    std::fill(out, out + kFilterMatrixCapacity, uint8_t{0});
    // One entry per group up to highest + 1; the last has no rows but closes the directory.
    const size_t entries = static_cast<size_t>(highest_group) + 2;
    out[kMatrixCountByte] = static_cast<uint8_t>(entries);

    // The handset keeps these offsets in one byte, so they wrap exactly as they do there.
    std::array<uint8_t, kGroupCount + 1> offsets{};
    uint8_t running = 0;
    for (size_t g = 0; g < entries; ++g) {
        offsets[g] = running;
        out[kMatrixDirectoryStart + kDirectoryEntryBytes * g + 1] = running;
        const uint32_t rows = g < kGroupCount ? group_counts[g] : 0;
        running = static_cast<uint8_t>(running + (rows + kBitsPerByte - 1) / kBitsPerByte);
    }
    out[kMatrixBitmapSizeByte] = running;

    const size_t bitmap = kMatrixDirectoryStart + kDirectoryEntryBytes * entries;
    for (const uint16_t id : selected_ids) {
        const size_t group = id >> kGroupShift;
        const unsigned low = id & kLowMask;
        if (group >= entries) {
            continue;
        }
        // The largest position (4 + 2*257 + 255 + 31) stays inside the 1024-byte buffer.
        out[bitmap + offsets[group] + low / kBitsPerByte] |=
            static_cast<uint8_t>(1u << (low % kBitsPerByte));
    }
    return bitmap + running;
}

uint8_t NameTables::task_id(std::string_view name) const {
    const size_t row = find_or(task_by_name_, name, tasks_.size());
    return row < tasks_.size() ? tasks_[row].id : 0;
}

uint16_t NameTables::signal_id(std::string_view name) const {
    const size_t row = find_or(signal_by_name_, name, signals_.size());
    return row < signals_.size() ? signals_[row].id : 0;
}

std::string_view NameTables::task_name(uint8_t id) const {
    const size_t row = find_or(task_by_id_, id, tasks_.size());
    return row < tasks_.size() ? std::string_view(tasks_[row].name) : std::string_view();
}

std::string_view NameTables::signal_name(uint16_t id) const {
    const size_t row = find_or(signal_by_id_, id, signals_.size());
    return row < signals_.size() ? std::string_view(signals_[row].name) : std::string_view();
}

void NameTables::rebuild() {
    group_counts_.fill(0);
    highest_group_ = 0;

    // The filter list is reloaded rather than appended to: the same names select the same
    // signals, and the list does not grow with every setup.
    filter_names_.assign(builtin_filter_names().begin(), builtin_filter_names().end());

    task_by_name_.clear();
    task_by_id_.clear();
    tasks_.clear();
    for (const BuiltinTask &t : builtin_tasks()) {
        tasks_.push_back({t.id, t.name});
    }
    // Indexes are built after the vector stops growing, so the string views stay valid.
    for (size_t i = 0; i < tasks_.size(); ++i) {
        task_by_name_.try_emplace(tasks_[i].name, i);
        task_by_id_.try_emplace(tasks_[i].id, i);
    }

    signal_by_name_.clear();
    signal_by_id_.clear();
    signals_.clear();
    for (const BuiltinSignal &s : builtin_signals()) {
        signals_.push_back({s.id, s.name, 0});
        const size_t group = s.id >> kGroupShift;
        ++group_counts_[group];
        highest_group_ = std::max(highest_group_, static_cast<int32_t>(group));
    }
    for (size_t i = 0; i < signals_.size(); ++i) {
        signal_by_name_.try_emplace(signals_[i].name, i);
        signal_by_id_.try_emplace(signals_[i].id, i);
    }

    std::vector<uint16_t> selected;
    for (const std::string &name : filter_names_) {
        const size_t row = find_or(signal_by_name_, std::string_view(name), signals_.size());
        if (row < signals_.size()) {
            signals_[row].selected = 1;
            selected.push_back(signals_[row].id);
        }
    }
    matrix_length_ = build_filter_matrix(group_counts_, highest_group_, selected, matrix_.data());
}

}  // namespace handlink
