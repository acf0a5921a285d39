#include "zemlo/staged_file.h"

#include <fcntl.h>
#include <limits.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstring>

#include "signals_held.h"

namespace zemlo {

namespace {

enum SlotState : int { kFree = 0, kBusy = 1, kListed = 2 };

struct Slot {
    std::atomic<int> state{kFree};
    int dir_fd = -1;
    std::array<char, NAME_MAX + 1> name{};
};

constexpr size_t kSlots = 32;  // a command writes one or two outputs at a time
std::array<Slot, kSlots> g_slots;

int claim_slot(int dir_fd, const std::string &name) {
    if (name.size() > NAME_MAX) {
        return -1;
    }
    for (size_t i = 0; i < kSlots; ++i) {
        int expected = kFree;
        if (g_slots[i].state.compare_exchange_strong(expected, kBusy)) {
            g_slots[i].dir_fd = dir_fd;
            std::memcpy(g_slots[i].name.data(), name.c_str(), name.size() + 1);
            g_slots[i].state.store(kListed);
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace

StagedFile create_staged_file(int dir_fd, const std::string &name, mode_t mode) {
    const detail::SignalsHeld held_signals;
    StagedFile file;
    file.fd = ::openat(dir_fd, name.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, mode);
    if (file.fd >= 0) {
        const int saved = errno;
        file.slot = claim_slot(dir_fd, name);
        errno = saved;
    }
    return file;
}

void unlist_staged_file(StagedFile &file) {
    if (file.slot >= 0) {
        g_slots[static_cast<size_t>(file.slot)].state.store(kFree);
        file.slot = -1;
    }
}

void remove_staged_files() noexcept {
    for (auto &slot : g_slots) {
        if (slot.state.load() == kListed) {
            // Already renamed over the output, the name is gone and nothing is removed.
            ::unlinkat(slot.dir_fd, slot.name.data(), 0);
        }
    }
}

}  // namespace zemlo
