#include "jet/format/TextEncoder.h"

#include "jet/base/Error.h"

namespace jet {

std::u16string utf16FromUtf8(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    auto bad = [&] { throw Error("text is not valid UTF-8 (byte " + std::to_string(i) + ")"); };
    while (i < s.size()) {
        auto c = static_cast<unsigned char>(s[i]);
        char32_t cp;
        std::size_t n;
        if (c < 0x80) {
            cp = c;
            n = 1;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F;
            n = 2;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F;
            n = 3;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07;
            n = 4;
        } else
            bad();
        if (i + n > s.size()) bad();
        for (std::size_t k = 1; k < n; ++k) {
            auto d = static_cast<unsigned char>(s[i + k]);
            if ((d & 0xC0) != 0x80) bad();
            cp = cp << 6 | (d & 0x3F);
        }
        // Overlong forms, surrogates and values past U+10FFFF are not UTF-8.
        static constexpr char32_t least[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) bad();
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += n;
    }
    return out;
}

Bytes encodeUcs2(const std::u16string& text) {
    Bytes out;
    out.reserve(text.size() * 2);
    for (char16_t u : text)
        appendU16(out, u);
    return out;
}

Bytes encodeJet4Text(const std::u16string& text, bool compressible) {
    // Every character must fit one byte, and none may be 0: a zero byte switches modes.
    bool oneByte = compressible && text.size() > 2;
    for (std::size_t i = 0; oneByte && i < text.size(); ++i)
        oneByte = text[i] != 0 && text[i] <= 0xFF;
    if (!oneByte) return encodeUcs2(text);
    Bytes out;
    out.reserve(text.size() + 2);
    out.push_back(0xFF);
    out.push_back(0xFE);
    for (char16_t u : text)
        out.push_back(static_cast<std::uint8_t>(u));
    return out;
}

} // namespace jet
