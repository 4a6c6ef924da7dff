#include "jet/format/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <map>
#include <memory>

#include "jet/format/Text.h"
#include "jet/format/TextEncoder.h"
#include "jet/format/Utf8.h"

namespace jet {

namespace {

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

bool builtIn(unsigned codePage) {
    return codePage == 1252 || codePage == 1250 || codePage == 1251 || codePage == 28591;
}

// The byte of each character a built-in code page holds beyond ASCII.
const std::map<char32_t, std::uint8_t>& reverseTable(unsigned codePage) {
    static const auto make = [](unsigned cp) {
        std::map<char32_t, std::uint8_t> m;
        for (unsigned b = 0x80; b <= 0xFF; ++b)
            m.emplace(fromCodePage(static_cast<std::uint8_t>(b), cp), static_cast<std::uint8_t>(b));
        return m;
    };
    static const std::map<char32_t, std::uint8_t> t1252 = make(1252), t1250 = make(1250), t1251 = make(1251),
                                                  t28591 = make(28591);
    switch (codePage) {
    case 1250:
        return t1250;
    case 1251:
        return t1251;
    case 28591:
        return t28591;
    default:
        return t1252;
    }
}

// A converter of the C library, opened once per thread and direction.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return cd_;
    }

private:
    iconv_t cd_;
};

std::string iconvName(unsigned codePage) {
    return "CP" + std::to_string(codePage);
}

Converter* converter(unsigned codePage, bool toUtf8) {
    thread_local std::map<std::pair<unsigned, bool>, std::unique_ptr<Converter>> open;
    auto& slot = open[{codePage, toUtf8}];
    if (!slot) {
        const std::string name = iconvName(codePage);
        slot = toUtf8 ? std::make_unique<Converter>("UTF-8", name.c_str())
                      : std::make_unique<Converter>(name.c_str(), "UTF-8");
    }
    return slot->ok() ? slot.get() : nullptr;
}

[[noreturn]] void unencodable(char32_t cp, unsigned codePage) {
    std::string shown;
    appendUtf8(shown, cp);
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(cp));
    throw Unencodable("the character \"" + shown + "\" (" + hex + ") cannot be stored in code page " +
                          codePageName(codePage),
                      cp);
}

} // namespace

unsigned codePageOfSortOrder(unsigned sortOrder) {
    switch (sortOrder & 0xFFFF) {
    case 0x0804: // Chinese (PRC), stroke and pronunciation
    case 0x1004: // Chinese (Singapore)
        return 936;
    case 0x0404: // Chinese (Taiwan)
    case 0x0C04: // Chinese (Hong Kong)
        return 950;
    case 0x0411:
        return 932; // Japanese
    case 0x0412:
        return 949; // Korean
    default:
        break;
    }
    switch (sortOrder & 0x3FF) { // the primary language
    case 0x05: // Czech
    case 0x0E: // Hungarian
    case 0x15: // Polish
    case 0x18: // Romanian
    case 0x1A: // Croatian
    case 0x1B: // Slovak
    case 0x1C: // Albanian
    case 0x24: // Slovenian
        return 1250;
    case 0x02: // Bulgarian
    case 0x19: // Russian
    case 0x22: // Ukrainian
    case 0x23: // Belarusian
    case 0x2F: // Macedonian
        return 1251;
    case 0x08:
        return 1253; // Greek
    case 0x1F:
        return 1254; // Turkish
    case 0x0D:
        return 1255; // Hebrew
    case 0x01:
        return 1256; // Arabic
    case 0x25: // Estonian
    case 0x26: // Latvian
    case 0x27: // Lithuanian
        return 1257;
    case 0x1E:
        return 874; // Thai
    case 0x03: // Catalan
    case 0x06: // Danish
    case 0x07: // German
    case 0x09: // English: the General order
    case 0x0A: // Spanish
    case 0x0B: // Finnish
    case 0x0C: // French
    case 0x0F: // Icelandic
    case 0x10: // Italian
    case 0x13: // Dutch
    case 0x14: // Norwegian
    case 0x16: // Portuguese
    case 0x1D: // Swedish
    case 0x2D: // Basque
        return 1252;
    default:
        return 0;
    }
}

unsigned sortOrderOfCodePage(unsigned codePage) {
    switch (codePage) {
    case 874: return 0x041E;
    case 932: return 0x0411;
    case 936: return 0x0804;
    case 949: return 0x0412;
    case 950: return 0x0404;
    case 1250: return 0x0405;
    case 1251: return 0x0419;
    case 1253: return 0x0408;
    case 1254: return 0x041F;
    case 1255: return 0x040D;
    case 1256: return 0x0401;
    case 1257: return 0x0425;
    default: return 0x0409;
    }
}

unsigned jet3CodePage(unsigned headerCodePage, unsigned sortOrder) {
    if (headerCodePage != 0) return headerCodePage;
    unsigned fromOrder = codePageOfSortOrder(sortOrder);
    return fromOrder ? fromOrder : 1252;
}

std::string codePageName(unsigned codePage) {
    const char* what = nullptr;
    switch (codePage) {
    case 874: what = "Thai"; break;
    case 932: what = "Japanese"; break;
    case 936: what = "Chinese, GBK"; break;
    case 949: what = "Korean"; break;
    case 950: what = "Chinese, Big5"; break;
    case 1250: what = "Central European"; break;
    case 1251: what = "Cyrillic"; break;
    case 1252: what = "Western European"; break;
    case 1253: what = "Greek"; break;
    case 1254: what = "Turkish"; break;
    case 1255: what = "Hebrew"; break;
    case 1256: what = "Arabic"; break;
    case 1257: what = "Baltic"; break;
    case 28591: what = "ISO 8859-1"; break;
    default: break;
    }
    return std::to_string(codePage) + (what ? std::string(" (") + what + ")" : std::string());
}

bool codePageKnown(unsigned codePage) {
    return builtIn(codePage) || converter(codePage, true) != nullptr;
}

std::string decodeCodePage(const std::uint8_t* data, std::size_t length, unsigned codePage) {
    std::string out;
    out.reserve(length);
    Converter* c = builtIn(codePage) || codePage == 0 ? nullptr : converter(codePage, true);
    if (!c) {
        for (std::size_t i = 0; i < length; ++i)
            appendUtf8(out, fromCodePage(data[i], codePage));
        return out;
    }
    iconv_t cd = c->get();
    char* in = reinterpret_cast<char*>(const_cast<std::uint8_t*>(data));
    std::size_t inLeft = length;
    char buffer[256];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.append(buffer, static_cast<std::size_t>(o - buffer));
        if (r != static_cast<std::size_t>(-1)) continue;
        if (errno == E2BIG) continue;
        // A byte (or an unfinished pair at the end) the code page does not define.
        appendUtf8(out, 0xFFFD);
        ++in;
        --inLeft;
        cd = c->get();
    }
    return out;
}

std::vector<std::uint8_t> encodeCodePage(const std::string& utf8, unsigned codePage) {
    utf16FromUtf8(utf8); // refuses bytes that are not UTF-8
    std::vector<std::uint8_t> out;
    out.reserve(utf8.size());
    if (builtIn(codePage)) {
        const auto& table = reverseTable(codePage);
        for (std::size_t i = 0; i < utf8.size();) {
            auto c = static_cast<unsigned char>(utf8[i]);
            if (c < 0x80) {
                out.push_back(c);
                ++i;
                continue;
            }
            const char32_t cp = nextCodePoint(utf8, i).value_or(0xFFFD); // checked above
            auto it = table.find(cp);
            if (it == table.end()) unencodable(cp, codePage);
            out.push_back(it->second);
        }
        return out;
    }
    Converter* c = converter(codePage, false);
    if (!c) throw Unsupported("text in code page " + std::to_string(codePage) + " cannot be written");
    iconv_t cd = c->get();
    char* in = const_cast<char*>(utf8.data());
    std::size_t inLeft = utf8.size();
    char buffer[256];
    while (inLeft > 0) {
        char* o = buffer;
        std::size_t oLeft = sizeof buffer;
        std::size_t r = iconv(cd, &in, &inLeft, &o, &oLeft);
        out.insert(out.end(), buffer, o);
        if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
            std::size_t at = static_cast<std::size_t>(in - utf8.data());
            unencodable(nextCodePoint(utf8, at).value_or(0xFFFD), codePage);
        }
    }
    return out;
}

} // namespace jet
