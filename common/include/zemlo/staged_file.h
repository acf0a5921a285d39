// A file written beside an output under a hidden name until it is complete, then renamed over the
// output ("staged"), so that a write that fails keeps the earlier file. A signal that ends the
// program (SIGINT, SIGTERM, SIGHUP, with the handler of run_folder.h in place) removes every
// staged file still listed, so that none is left beside the user's files.
#pragma once

#include <sys/types.h>

#include <string>

namespace zemlo {

struct StagedFile {
    int fd = -1;    // open for writing, close-on-exec; -1 when it could not be made
    int slot = -1;  // its place in the list for the signal handler; -1 when the list was full
};

// Makes the new file `name` in the folder open as dir_fd (O_CREAT|O_EXCL|O_NOFOLLOW) and lists it
// for the signal handler, with the signals held in between. dir_fd must stay open until the file
// is unlisted. errno tells why when fd is -1.
StagedFile create_staged_file(int dir_fd, const std::string &name, mode_t mode);

// Takes it off the list once it has been renamed or removed.
void unlist_staged_file(StagedFile &file);

// For a signal handler that ends the program: removes the listed files. Only async-signal-safe
// calls are made.
void remove_staged_files() noexcept;

}  // namespace zemlo
