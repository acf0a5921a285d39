// The work folder is used only when nobody else can plant or swap files in it, and the program
// never changes a folder it did not make.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "work_folder_support.h"
#include "zemlo/work_dir.h"

namespace {

namespace fs = std::filesystem;
using zemlo::testing::EnvironmentGuard;
using zemlo::testing::mode_of;
using zemlo::testing::Scratch;

constexpr uid_t kOtherUser = 65534;

struct Planted {
    std::string name;
    std::function<bool(const fs::path &)> plant;  // makes the folder at the path; false to skip
    std::string says;
};

TEST(WorkFolder, UnsafeFoldersAreRefusedWithTheReasonAndLeftAsTheyWere) {
    Scratch s;
    const std::vector<Planted> cases = {
        {"open to all",
         [](const fs::path &p) {
             return ::mkdir(p.c_str(), 0700) == 0 && ::chmod(p.c_str(), 0777) == 0;
         },
         "can be written by other users (mode 0777)"},
        {"group-writable",
         [](const fs::path &p) {
             return ::mkdir(p.c_str(), 0700) == 0 && ::chmod(p.c_str(), 0770) == 0;
         },
         "can be written by other users (mode 0770)"},
        {"another user's",
         [](const fs::path &p) {
             // Giving a folder away needs root; as anyone else the case is skipped.
             return ::mkdir(p.c_str(), 0700) == 0 &&
                    ::chown(p.c_str(), kOtherUser, kOtherUser) == 0;
         },
         "belongs to another user (uid 65534)"},
        {"a link to a shared folder",
         [&s](const fs::path &p) {
             const fs::path shared = s.path() / "shared";
             return ::mkdir(shared.c_str(), 0700) == 0 && ::chmod(shared.c_str(), 01777) == 0 &&
                    ::symlink(shared.c_str(), p.c_str()) == 0;
         },
         "is a symbolic link"},
        {"a link to the user's own private folder",
         [&s](const fs::path &p) {
             const fs::path own = s.path() / "own";
             return ::mkdir(own.c_str(), 0700) == 0 && ::symlink(own.c_str(), p.c_str()) == 0;
         },
         "is a symbolic link"},
        {"a file", [](const fs::path &p) { return ::close(::creat(p.c_str(), 0600)) == 0; },
         "is not a folder"},
    };
    EnvironmentGuard env;
    for (size_t i = 0; i < cases.size(); ++i) {
        const Planted &c = cases[i];
        const fs::path work = s.path() / ("work" + std::to_string(i));
        if (!c.plant(work)) {
            std::printf("skipped: %s (cannot be planted by this user)\n", c.name.c_str());
            continue;
        }
        struct stat before {};
        ASSERT_EQ(::stat(work.c_str(), &before), 0) << c.name;
        env.set("ZEMLO_WORK_DIR", work.string());
        std::string error;
        EXPECT_FALSE(zemlo::ensure_work_dir(&error)) << c.name;
        EXPECT_NE(error.find(work.string()), std::string::npos) << c.name << ": " << error;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.name << ": " << error;
        // Never changed: neither its mode (sticky bit included), nor its owner, nor its contents.
        struct stat after {};
        ASSERT_EQ(::stat(work.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.name;
        if (S_ISDIR(after.st_mode)) {
            EXPECT_TRUE(fs::is_empty(work)) << c.name;
        }
    }
}

TEST(WorkFolder, AFolderAboveThatOthersCanSwapIsRefusedUnlessSticky) {
    Scratch s;
    EnvironmentGuard env;
    const fs::path open_parent = s.path() / "open";
    ASSERT_EQ(::mkdir(open_parent.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(open_parent.c_str(), 0777), 0);
    std::string error;
    for (const fs::path &work : {open_parent / "zemlo", open_parent / "a" / "b" / "zemlo"}) {
        env.set("ZEMLO_WORK_DIR", work.string());
        EXPECT_FALSE(zemlo::ensure_work_dir(&error));
        EXPECT_NE(error.find(open_parent.string() + " above it can be written by other users"),
                  std::string::npos)
            << error;
        EXPECT_TRUE(fs::is_empty(open_parent)) << "nothing is made in such a place";
    }

    // With the sticky bit nobody else can rename or remove what the user made there.
    ASSERT_EQ(::chmod(open_parent.c_str(), 01777), 0);
    env.set("ZEMLO_WORK_DIR", (open_parent / "zemlo").string());
    const auto dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(*dir, (open_parent / "zemlo").string());
    EXPECT_EQ(mode_of(*dir), 0700u);
    EXPECT_EQ(mode_of(open_parent), 01777u);
}

TEST(WorkFolder, ALinkAboveItIsFollowedOnlyWhenItIsTheUsersOrRoots) {
    // As root, ZEMLO_WORK_DIR=/tmp/<another user's link to /etc>/zemlo made /etc/zemlo.
    Scratch s;
    EnvironmentGuard env;
    const fs::path shared = s.path() / "tmp";
    const fs::path target = s.path() / "etc";  // a folder of root's, as /etc
    ASSERT_EQ(::mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
    ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
    const fs::path theirs = shared / "theirs";
    const fs::path mine = shared / "mine";
    ASSERT_EQ(::symlink(target.c_str(), theirs.c_str()), 0);
    ASSERT_EQ(::symlink(target.c_str(), mine.c_str()), 0);
    if (::lchown(theirs.c_str(), kOtherUser, kOtherUser) != 0) {
        GTEST_SKIP() << "only root can give a link to another user";
    }
    std::string error;
    for (const fs::path &work : {theirs / "zemlo", theirs / "deeper" / "zemlo"}) {
        env.set("ZEMLO_WORK_DIR", work.string());
        EXPECT_FALSE(zemlo::ensure_work_dir(&error)) << work;
        EXPECT_NE(error.find(theirs.string() + " above it is a link of another user (uid 65534)"),
                  std::string::npos)
            << error;
        EXPECT_TRUE(fs::is_empty(target)) << "nothing is made where the link leads";
    }
    // The user's own link on the way is followed, as before.
    env.set("ZEMLO_WORK_DIR", (mine / "zemlo").string());
    const auto dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(*dir, (target / "zemlo").string());
}

TEST(WorkFolder, MadeNewAndPrivateWhereTheEnvironmentSays) {
    Scratch s;
    EnvironmentGuard env;
    env.unset("ZEMLO_WORK_DIR");
    env.unset("XDG_CACHE_HOME");
    env.set("HOME", (s.path() / "home").string());
    std::string error;
    auto dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(*dir, (s.path() / "home" / ".cache" / "zemlo").string());
    EXPECT_EQ(mode_of(*dir), 0700u);
    EXPECT_EQ(mode_of(s.path() / "home" / ".cache"), 0700u);
    EXPECT_EQ(mode_of(s.path() / "home"), 0700u);

    // The user's own folder that others can read but not write is used as it is.
    env.set("XDG_CACHE_HOME", (s.path() / "cache").string());
    ASSERT_EQ(::mkdir((s.path() / "cache").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((s.path() / "cache" / "zemlo").c_str(), 0755), 0);
    ASSERT_EQ(::chmod((s.path() / "cache" / "zemlo").c_str(), 0755), 0);
    dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(*dir, (s.path() / "cache" / "zemlo").string());
    EXPECT_EQ(mode_of(*dir), 0755u);

    // Without a home or a cache folder: the runtime folder, never a shared one such as /tmp.
    env.unset("XDG_CACHE_HOME");
    env.unset("HOME");
    ASSERT_EQ(::mkdir((s.path() / "runtime").c_str(), 0700), 0);
    env.set("XDG_RUNTIME_DIR", (s.path() / "runtime").string());
    dir = zemlo::ensure_work_dir(&error);
    ASSERT_TRUE(dir) << error;
    EXPECT_EQ(*dir, (s.path() / "runtime" / "zemlo").string());

    env.unset("XDG_RUNTIME_DIR");
    EXPECT_FALSE(zemlo::ensure_work_dir(&error));
    EXPECT_NE(error.find("no private work folder"), std::string::npos) << error;
}

TEST(WorkFolder, FaultRulesForTheFolderAndTheFoldersAboveIt) {
    const uid_t me = 1000;
    const auto folder = [](mode_t type_and_mode, uid_t uid) {
        struct stat st {};
        st.st_mode = type_and_mode;
        st.st_uid = uid;
        return st;
    };
    EXPECT_EQ(zemlo::work_dir_fault(folder(S_IFDIR | 0700, me), me), "");
    EXPECT_EQ(zemlo::work_dir_fault(folder(S_IFDIR | 0755, me), me), "");
    // Sticky or not, a shared folder is no work folder; nor is root's folder for a user.
    EXPECT_NE(zemlo::work_dir_fault(folder(S_IFDIR | 01777, me), me), "");
    EXPECT_NE(zemlo::work_dir_fault(folder(S_IFDIR | 0700, 0), me), "");
    EXPECT_NE(zemlo::work_dir_fault(folder(S_IFLNK | 0777, me), me), "");
    // Above it, root's folders and sticky shared ones are fine.
    EXPECT_EQ(zemlo::work_dir_parent_fault(folder(S_IFDIR | 0755, 0), me), "");
    EXPECT_EQ(zemlo::work_dir_parent_fault(folder(S_IFDIR | 01777, 0), me), "");
    EXPECT_NE(zemlo::work_dir_parent_fault(folder(S_IFDIR | 0777, 0), me), "");
    EXPECT_NE(zemlo::work_dir_parent_fault(folder(S_IFDIR | 0755, 1001), me), "");
}

}  // namespace
