#include "jet/format/Names.h"

#include "jet/format/Utf8.h"

namespace jet {

std::optional<std::string> invalidNameReason(std::string_view name) {
    if (name.empty()) return "a name cannot be empty";
    if (name.front() == ' ') return "a name cannot begin with a blank";
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
    }
    if (utf16Length(name) > MaxNameLength)
        return "a name can have at most " + std::to_string(MaxNameLength) + " characters";
    return std::nullopt;
}

} // namespace jet
