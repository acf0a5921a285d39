// A shared library that only some of the work needs (the synthesizer for playing a melody, the
// metafile readers for a WMF or EMF picture), loaded the first time that work is done instead of
// when the program starts: the first paint of the window waits neither for it nor for the
// libraries it brings in turn. Once loaded it stays for the program's life; a library that cannot
// be loaded is asked for again next time (it may have been installed meanwhile).
#pragma once

#include <mutex>
#include <string>

namespace zemlo::media {

class DeferredLibrary {
  public:
    // soname: the name the dynamic loader finds the library by ("libfluidsynth.so.3").
    explicit DeferredLibrary(std::string soname) : soname_(std::move(soname)) {}
    DeferredLibrary(const DeferredLibrary &) = delete;
    DeferredLibrary &operator=(const DeferredLibrary &) = delete;

    // Loads the library and has bind(handle) look up its functions, once; any thread. False with
    // the reason (the loader's own text) when the library or one of its functions is missing.
    template <typename Bind>
    bool load(Bind &&bind, std::string *error) {
        std::lock_guard lock(mutex_);
        if (handle_ != nullptr) {
            return true;
        }
        void *handle = open(error);
        if (handle == nullptr) {
            return false;
        }
        if (!bind(handle, error)) {
            close(handle);
            return false;
        }
        handle_ = handle;
        return true;
    }

    const std::string &soname() const { return soname_; }

    // The function called name in handle, or nullptr with the loader's reason in *error.
    static void *symbol(void *handle, const char *name, std::string *error);

  private:
    void *open(std::string *error) const;
    static void close(void *handle);

    std::string soname_;
    std::mutex mutex_;
    void *handle_ = nullptr;
};

// Looks up the function called name into f (a pointer of the function's own type).
template <typename Function>
bool bind_function(void *handle, const char *name, Function *&f, std::string *error) {
    f = reinterpret_cast<Function *>(DeferredLibrary::symbol(handle, name, error));
    return f != nullptr;
}

}  // namespace zemlo::media
