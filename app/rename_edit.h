// The rename the user is making: the file's name as it was, its extension, which the rename keeps,
// and the new name. Window thread.
#pragma once

#include <cstddef>
#include <string>

namespace zemlo::app {

struct RenameEdit {
    static constexpr size_t kExtensionChars = 4;  // ".bmp", ".mid"

    std::string old_name;
    std::string extension;
    std::string new_name;

    // What the in-place editor starts with: the name without its extension.
    static std::string stem_of(const std::string &name) {
        return name.size() > kExtensionChars ? name.substr(0, name.size() - kExtensionChars)
                                             : std::string();
    }
    void begin(const std::string &name) {
        old_name = name;
        extension =
            name.size() >= kExtensionChars ? name.substr(name.size() - kExtensionChars) : name;
    }
    // The new name: the stem the user gave, with the old extension.
    void finish(const std::string &stem) { new_name = stem + extension; }
};

}  // namespace zemlo::app
