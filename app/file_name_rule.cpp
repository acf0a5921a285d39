#include "file_name_rule.h"

#include <vector>

namespace zemlo::app {

namespace {

bool is_letter_or_digit(const std::string &ch) {
    if (ch.size() != 1) {
        return false;
    }
    const char c = ch[0];
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// Splits UTF-8 text into characters; a stray continuation or truncated sequence is one character.
std::vector<std::string> characters(const std::string &s) {
    std::vector<std::string> out;
    for (size_t i = 0; i < s.size();) {
        size_t n = 1;
        const auto lead = static_cast<unsigned char>(s[i]);
        if (lead >= 0xF0) {
            n = 4;
        } else if (lead >= 0xE0) {
            n = 3;
        } else if (lead >= 0xC0) {
            n = 2;
        }
        size_t len = 1;
        while (len < n && i + len < s.size() &&
               (static_cast<unsigned char>(s[i + len]) & 0xC0) == 0x80) {
            ++len;
        }
        out.push_back(s.substr(i, len));
        i += len;
    }
    return out;
}

std::string join(const std::vector<std::string> &chars, size_t count) {
    std::string s;
    for (size_t i = 0; i < count && i < chars.size(); ++i) {
        s += chars[i];
    }
    return s;
}

}  // namespace

NameCheck check_file_name(const std::string &name) {
    const std::vector<std::string> chars = characters(name);
    if (chars.size() > kMaxFileNameChars) {
        return {false, join(chars, kMaxFileNameChars), MessageId::NameTooLong,
                render(Message{MessageId::NameTooLong})};
    }
    for (const std::string &ch : chars) {
        if (!is_letter_or_digit(ch)) {
            std::string corrected;
            for (const std::string &other : chars) {
                if (other != ch) {
                    corrected += other;
                }
            }
            return {false, corrected, MessageId::NameBadChars,
                    render(Message{MessageId::NameBadChars})};
        }
    }
    return {true, name, MessageId::None, {}};
}

}  // namespace zemlo::app
