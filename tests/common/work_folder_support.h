// Shared pieces of the work folder tests: a scratch folder, the environment put back as it was,
// and the mode bits of a path.
#pragma once

#include <stdlib.h>
#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace zemlo::testing {

class Scratch {
  public:
    Scratch() {
        char pattern[] = "/tmp/zemlo-work-test-XXXXXX";
        const char *made = ::mkdtemp(pattern);
        path_ = made != nullptr ? made : "";
    }
    ~Scratch() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
    const std::filesystem::path &path() const { return path_; }

  private:
    std::filesystem::path path_;
};

class EnvironmentGuard {
  public:
    EnvironmentGuard() = default;
    EnvironmentGuard(const EnvironmentGuard &) = delete;
    EnvironmentGuard &operator=(const EnvironmentGuard &) = delete;
    ~EnvironmentGuard() {
        for (const auto &[name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }
    void set(const std::string &name, const std::string &value) {
        save(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void unset(const std::string &name) {
        save(name);
        ::unsetenv(name.c_str());
    }

  private:
    void save(const std::string &name) {
        if (saved_.count(name) == 0) {
            const char *v = std::getenv(name.c_str());
            saved_[name] = v != nullptr ? std::optional<std::string>(v) : std::nullopt;
        }
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

inline unsigned mode_of(const std::filesystem::path &p) {
    struct stat st {};
    return ::lstat(p.c_str(), &st) == 0 ? static_cast<unsigned>(st.st_mode & 07777) : 0u;
}

}  // namespace zemlo::testing
