#include "jet/format/NameMatch.h"

#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

char16_t fold(char16_t c) {
    if (c >= u'A' && c <= u'Z') return static_cast<char16_t>(c + 0x20);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    // Latin Extended-A pairs capital and small letter side by side: even/odd up to U+0137 and
    // from U+014A to U+0177, odd/even from U+0139 to U+0148 and from U+0179 to U+017E.
    if (c >= 0x100 && c <= 0x17E && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149) {
        if ((c <= 0x137 || (c >= 0x14A && c <= 0x177)) && c % 2 == 0) return static_cast<char16_t>(c + 1);
        if (((c >= 0x139 && c <= 0x148) || c >= 0x179) && c % 2 == 1) return static_cast<char16_t>(c + 1);
        if (c == 0x178) return 0xFF;
        return c;
    }
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
