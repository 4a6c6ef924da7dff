#include "jet/format/TextEncoder.h"

#include <algorithm>

#include "jet/base/Error.h"
#include "jet/format/Utf8.h"

namespace jet {

std::u16string utf16FromUtf8(const std::string& s) {
    std::u16string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size();) {
        const std::optional<char32_t> decoded = nextCodePoint(s, i);
        if (!decoded) throw Error("text is not valid UTF-8 (byte " + std::to_string(i) + ")");
        char32_t cp = *decoded;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
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

bool encodeJet4Ascii(std::string_view text, bool compressible, Bytes& out) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte >= 0x80) return false;
    }
    if (compressible && text.size() > 2) {
        out.resize(text.size() + 2);
        out[0] = 0xFF;
        out[1] = 0xFE;
        std::copy(text.begin(), text.end(), out.begin() + 2);
    } else {
        out.assign(text.size() * 2, 0);
        for (std::size_t i = 0; i < text.size(); ++i)
            out[2 * i] = static_cast<std::uint8_t>(text[i]);
    }
    return true;
}

} // namespace jet
