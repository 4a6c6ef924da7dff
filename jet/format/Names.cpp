#include "jet/format/Names.h"

namespace jet {

std::optional<std::string> invalidNameReason(std::string_view name) {
    if (name.empty()) return "a name cannot be empty";
    if (name.front() == ' ') return "a name cannot begin with a blank";
    std::size_t units = 0; // UTF-16 code units, as Access counts and stores them
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        if (c < 0x20) return "a name cannot hold control characters";
        switch (c) {
        case '.':
        case '!':
        case '`':
        case '[':
        case ']':
            return std::string("a name cannot hold the character '") + static_cast<char>(c) + "'";
        default:
            break;
        }
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1; // a four-byte sequence is a surrogate pair
    }
    if (units > MaxNameLength) return "a name can have at most 64 characters";
    return std::nullopt;
}

} // namespace jet
