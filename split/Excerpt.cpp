#include "split/Excerpt.h"

namespace split {

std::string Excerpt(std::string_view value) {
    constexpr std::size_t Shown = 30;
    std::size_t end = 0, chars = 0;
    while (end < value.size() && chars < Shown) {
        ++end;
        while (end < value.size() && (static_cast<unsigned char>(value[end]) & 0xC0) == 0x80)
            ++end;
        ++chars;
    }
    std::string out(value.substr(0, end));
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\t') c = ' ';
    return "\"" + out + (end < value.size() ? "...\"" : "\"");
}

} // namespace split
