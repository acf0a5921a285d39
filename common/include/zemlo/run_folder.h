// The private subfolder of one run (a conversion, a download, or the desktop program's picture
// selection) inside the work folder: "run-<pid>-XXXXXX", made by mkdtemp with mode 0700, so that
// runs at the same time never share a file name and nobody can plant one in it. The run holds an
// exclusive flock on the folder for as long as it lives; the kernel drops the lock when the
// process ends, however it ends. A folder whose lock can be taken therefore belongs to a run
// that is over: the next run removes it. Everything inside is removed through the folder's
// descriptor (unlinkat), so nothing is ever reached through a symbolic link.
#pragma once

#include <memory>
#include <string>

namespace zemlo {

class RunFolder {
  public:
    // Removes the folders of runs that are over, then makes this run's folder in the work folder
    // (work_dir.h). Nothing, with the reason in *error, when that cannot be done.
    static std::unique_ptr<RunFolder> create(std::string *error);
    static std::unique_ptr<RunFolder> create_in(const std::string &work_dir, std::string *error);

    // Removes the folder and everything in it.
    ~RunFolder();
    RunFolder(const RunFolder &) = delete;
    RunFolder &operator=(const RunFolder &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }

    // Creates a new file in the folder (O_CREAT|O_EXCL|O_NOFOLLOW, mode 0600) and returns its
    // open descriptor, or -1 with the reason in *error: an existing name is never reused.
    int create_file(const std::string &name, std::string *error) const;
    // The same, closing the descriptor at once: the file exists, empty, for a writer that opens
    // it by path.
    bool make_empty_file(const std::string &name, std::string *error) const;
    // Removes the name from the folder (a link itself, never what it points to).
    void remove_file(const std::string &name) const;

  private:
    RunFolder(int work_fd, int fd, std::string name, std::string path);

    int work_fd_;
    int fd_;
    std::string name_;
    std::string path_;
    int slot_;
};

// Removes the folders in work_dir left by runs that are over; returns how many were removed.
// A folder still locked by a live run, a symbolic link or anything not named "run-..." is left.
size_t remove_ended_run_folders(const std::string &work_dir);

// For a signal handler that ends the program: removes the folders of this process's live runs.
// Only async-signal-safe calls are made.
void remove_live_run_folders() noexcept;

// Makes SIGINT, SIGTERM and SIGHUP remove the live runs' folders before they end the program as
// they would have; a signal that was ignored stays ignored. A handler installed later (the
// interrupt watch) takes over while it is in place.
void remove_run_folders_when_signalled();

}  // namespace zemlo
