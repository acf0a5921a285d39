// The private subfolder of one run (a conversion, a download, or the desktop program's picture
// selection): "run-<pid>-XXXXXX", made by mkdtemp with mode 0700 in "zemlo-runs", a folder of the
// program's own inside the work folder, so that runs at the same time never share a file name,
// nobody can plant one in it, and nothing of the user's in the work folder ever shares their
// level. The first thing made in it is the run's marker file. The run holds an exclusive flock on
// the folder for as long as it lives; the kernel drops the lock when the process ends, however it
// ends. A folder whose lock can be taken therefore belongs to a run that is over: the next run
// removes it, but only when it provably is a run's (see remove_ended_run_folders). Everything
// inside is removed through the folder's descriptor (unlinkat), so nothing is ever reached
// through a symbolic link.
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

  private:
    RunFolder(int runs_fd, int fd, std::string name, std::string path);

    int runs_fd_;
    int fd_;
    std::string name_;
    std::string path_;
    int slot_;
};

// Removes the folders in work_dir's "zemlo-runs" left by runs that are over; returns how many
// were removed. Only a folder named as a run names it ("run-<digits>-XXXXXX"), the user's own,
// not locked by a live run, holding the run's marker and nothing but the files a run makes is
// removed, and with it only those files. Anything else (a link, another name, a folder holding
// something else, everything outside "zemlo-runs") is left as it is, never emptied.
size_t remove_ended_run_folders(const std::string &work_dir);

// For a signal handler that ends the program: removes the folders of this process's live runs.
// Only async-signal-safe calls are made.
void remove_live_run_folders() noexcept;

// Makes SIGINT, SIGTERM and SIGHUP remove the live runs' folders and the staged outputs
// (staged_file.h) before they end the program as they would have; a signal that was ignored stays
// ignored. A handler installed later (the interrupt watch) takes over while it is in place.
void remove_run_folders_when_signalled();

}  // namespace zemlo
