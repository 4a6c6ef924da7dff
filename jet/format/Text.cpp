#include "jet/format/Text.h"

namespace jet {

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

namespace {

// Turns a stream of UTF-16 units into UTF-8, pairing surrogates across calls.
class Utf16Sink {
public:
    explicit Utf16Sink(std::string& out) : out_(out) {}
    void put(char16_t u) {
        if (high_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                appendUtf8(out_, 0x10000 + ((char32_t{high_} - 0xD800) << 10) + (u - 0xDC00));
                high_ = 0;
                return;
            }
            appendUtf8(out_, 0xFFFD);
            high_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF)
            high_ = u;
        else if (u >= 0xDC00 && u <= 0xDFFF)
            appendUtf8(out_, 0xFFFD);
        else
            appendUtf8(out_, u);
    }
    void finish() {
        if (high_) appendUtf8(out_, 0xFFFD);
        high_ = 0;
    }

private:
    std::string& out_;
    char16_t high_ = 0;
};

// Code points of bytes 0x80..0x9F in cp1252 (0 = undefined, kept as the C1 control).
constexpr char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// Bytes 0x80..0xFF of cp1250 (Central European).
constexpr char16_t kCp1250[128] = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021, 0x0088, 0x2030, 0x0160, 0x2039, 0x015A,
    0x0164, 0x017D, 0x0179, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A, 0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6,
    0x00A7, 0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B, 0x00B0, 0x00B1, 0x02DB, 0x0142,
    0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C, 0x0154,
    0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD,
    0x00CE, 0x010E, 0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA,
    0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4,
    0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9};

// Bytes 0x80..0xBF of cp1251 (Cyrillic); 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t kCp1251Low[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409, 0x2039, 0x040A,
    0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x0098, 0x2122,
    0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6,
    0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456,
    0x0491, 0x00B5, 0x00B6, 0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t fromCodePage(std::uint8_t b, unsigned codePage) {
    if (b < 0x80) return b;
    switch (codePage) {
    case 28591:
        return b;
    case 1250:
        return kCp1250[b - 0x80];
    case 1251:
        return b >= 0xC0 ? static_cast<char16_t>(0x0410 + (b - 0xC0)) : kCp1251Low[b - 0x80];
    default:
        if (b < 0xA0) return kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b;
        return b;
    }
}

} // namespace

std::string decodeUcs2(const std::uint8_t* data, std::size_t length) {
    std::string out;
    out.reserve(length / 2);
    Utf16Sink sink(out);
    for (std::size_t i = 0; i + 1 < length; i += 2)
        sink.put(static_cast<char16_t>(data[i] | data[i + 1] << 8));
    sink.finish();
    return out;
}

std::string decodeJet4Text(const std::uint8_t* data, std::size_t length) {
    if (length < 2 || data[0] != 0xFF || data[1] != 0xFE) return decodeUcs2(data, length);
    std::string out;
    out.reserve(length);
    Utf16Sink sink(out);
    bool compressed = true;
    std::size_t i = 2;
    while (i < length) {
        if (data[i] == 0) {
            compressed = !compressed;
            ++i;
            continue;
        }
        if (compressed) {
            sink.put(data[i]);
            ++i;
        } else {
            if (i + 1 >= length) break; // half a character at the end
            sink.put(static_cast<char16_t>(data[i] | data[i + 1] << 8));
            i += 2;
        }
    }
    sink.finish();
    return out;
}

std::string decodeCodePage(const std::uint8_t* data, std::size_t length, unsigned codePage) {
    std::string out;
    out.reserve(length);
    for (std::size_t i = 0; i < length; ++i)
        appendUtf8(out, fromCodePage(data[i], codePage));
    return out;
}

} // namespace jet
