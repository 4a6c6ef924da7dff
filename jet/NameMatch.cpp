#include "jet/NameMatch.h"

#include "jet/TextEncoder.h"

namespace jet {

namespace {

char16_t fold(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x391 && c <= 0x3A9) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    return c;
}

std::u16string folded(const std::string& s) {
    std::u16string u;
    try {
        u = utf16FromUtf8(s);
    } catch (...) {
        u.assign(s.begin(), s.end());
    }
    for (char16_t& c : u)
        c = fold(c);
    return u;
}

} // namespace

bool sameNameIgnoringCase(const std::string& a, const std::string& b) {
    return a == b || folded(a) == folded(b);
}

} // namespace jet
