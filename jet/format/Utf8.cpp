#include "jet/format/Utf8.h"

#include <cstdint>
#include <cstring>

namespace jet {

std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& at) {
    if (at >= s.size()) return std::nullopt;
    const auto c = static_cast<unsigned char>(s[at]);
    const std::size_t n = c < 0x80             ? 1
                          : (c & 0xE0) == 0xC0 ? 2
                          : (c & 0xF0) == 0xE0 ? 3
                          : (c & 0xF8) == 0xF0 ? 4
                                               : 0;
    if (n == 0 || n > s.size() - at) return std::nullopt;
    char32_t cp = n == 1 ? c : c & (0x7Fu >> n);
    for (std::size_t k = 1; k < n; ++k) {
        const auto d = static_cast<unsigned char>(s[at + k]);
        if ((d & 0xC0) != 0x80) return std::nullopt;
        cp = cp << 6 | (d & 0x3F);
    }
    static constexpr char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
    at += n;
    return cp;
}

std::size_t asciiWords(std::string_view utf8) {
    std::size_t i = 0;
    for (; i + 8 <= utf8.size(); i += 8) {
        std::uint64_t word = 0;
        std::memcpy(&word, utf8.data() + i, 8);
        if (word & 0x8080808080808080ull) break;
    }
    return i;
}

std::size_t utf16Length(std::string_view utf8) {
    // Plain ASCII: a unit a byte.
    const std::size_t i = asciiWords(utf8);
    std::size_t units = i;
    for (const unsigned char c : utf8.substr(i))
        if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
    return units;
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

} // namespace jet
