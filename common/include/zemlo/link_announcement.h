// The links an emulator of the handset offers, announced where the same user's programs find
// them: one file per running emulator in a private folder of the user's (under XDG_RUNTIME_DIR,
// else /tmp/zemlo-links-UID), holding the link's path. The emulator holds a lock on its file for
// as long as it runs and removes it when it ends; a file nobody holds is a dead process's and
// counts for nothing. The folder and the files are refused unless they are the user's own and
// closed to others.
#pragma once

#include <string>
#include <vector>

#include "zemlo/com_port_rule.h"

namespace zemlo {

// The folder for this user; empty when no place is usable.
std::string link_announcement_folder(const EnvLookup &env);

class LinkAnnouncement {
  public:
    LinkAnnouncement() = default;
    ~LinkAnnouncement();
    LinkAnnouncement(const LinkAnnouncement &) = delete;
    LinkAnnouncement &operator=(const LinkAnnouncement &) = delete;

    // Announces the link at link_path (made absolute) in folder, creating the folder (0700) if
    // need be; false with *error set when the folder is not safely the user's.
    bool announce(const std::string &folder, const std::string &link_path, std::string *error);
    // Removes the announcement (also done on destruction).
    void withdraw();

  private:
    int dir_fd_ = -1;
    int fd_ = -1;
    std::string name_;
};

// The links announced in folder by running processes of this user that lead to a terminal
// owned by this user, in the order of their names.
std::vector<std::string> announced_links(const std::string &folder);

}  // namespace zemlo
