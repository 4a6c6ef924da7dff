#include "db/TextCase.h"

#include <cstdint>

namespace db {

std::string asciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

namespace {

// Decodes one UTF-8 sequence; malformed bytes come back one at a time as themselves.
char32_t nextCodePoint(std::string_view s, std::size_t& i) {
    const auto b = [&](std::size_t k) { return static_cast<std::uint8_t>(s[k]); };
    const std::uint8_t c = b(i);
    auto continuation = [&](std::size_t k) { return k < s.size() && (b(k) & 0xC0) == 0x80; };
    if (c < 0x80) {
        ++i;
        return c;
    }
    if ((c & 0xE0) == 0xC0 && continuation(i + 1)) {
        char32_t cp = ((c & 0x1Fu) << 6) | (b(i + 1) & 0x3Fu);
        i += 2;
        return cp;
    }
    if ((c & 0xF0) == 0xE0 && continuation(i + 1) && continuation(i + 2)) {
        char32_t cp = ((c & 0x0Fu) << 12) | ((b(i + 1) & 0x3Fu) << 6) | (b(i + 2) & 0x3Fu);
        i += 3;
        return cp;
    }
    if ((c & 0xF8) == 0xF0 && continuation(i + 1) && continuation(i + 2) && continuation(i + 3)) {
        char32_t cp =
            ((c & 0x07u) << 18) | ((b(i + 1) & 0x3Fu) << 12) | ((b(i + 2) & 0x3Fu) << 6) | (b(i + 3) & 0x3Fu);
        i += 4;
        return cp;
    }
    ++i;
    return 0xDC00 + c; // a lone byte: never equal to a real character
}

char32_t foldCase(char32_t c) {
    if (c >= 'A' && c <= 'Z') return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 32; // Latin-1
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs: even/odd from 0x100 to 0x137, odd/even from 0x139 to 0x148,
        // even/odd from 0x14A to 0x177, odd/even from 0x179 to 0x17E.
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) return c + 1;
        if (((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) && c % 2 == 1) return c + 1;
        if (c == 0x178) return 0xFF;
        return c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return c + 32; // Greek
    if (c >= 0x410 && c <= 0x42F) return c + 32;               // Cyrillic
    if (c >= 0x400 && c <= 0x40F) return c + 80;
    return c;
}

} // namespace

bool sameName(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (foldCase(nextCodePoint(a, i)) != foldCase(nextCodePoint(b, j))) return false;
    }
    return i == a.size() && j == b.size();
}

} // namespace db
