#include "jet/encode/ValueParse.h"

#include <cctype>

#include "jet/base/Error.h"
#include "jet/format/DateTime.h"

namespace jet {

namespace {

[[noreturn]] void bad(const std::string& text, const char* what) {
    throw Error("\"" + text + "\" is not " + what);
}

bool readNumber(const std::string& s, std::size_t& at, std::size_t digits, unsigned& out) {
    out = 0;
    for (std::size_t k = 0; k < digits; ++k, ++at) {
        if (at >= s.size() || !std::isdigit(static_cast<unsigned char>(s[at]))) return false;
        out = out * 10 + static_cast<unsigned>(s[at] - '0');
    }
    return true;
}

// Splits "-123.45" into sign, whole digits and fraction digits.
void splitNumber(const std::string& text, bool& negative, std::string& whole, std::string& frac,
                 const char* what) {
    std::size_t i = 0;
    negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    whole.clear();
    frac.clear();
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
        whole.push_back(text[i++]);
    if (i < text.size() && text[i] == '.') {
        ++i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])))
            frac.push_back(text[i++]);
    }
    if (i != text.size() || (whole.empty() && frac.empty())) bad(text, what);
}

} // namespace

double parseDateTime(const std::string& text) {
    std::size_t at = 0;
    unsigned y, mo, d, h = 0, mi = 0, s = 0;
    const char* what = "a date (YYYY-MM-DD HH:MM:SS)";
    if (!readNumber(text, at, 4, y) || at >= text.size() || text[at++] != '-' ||
        !readNumber(text, at, 2, mo) || at >= text.size() || text[at++] != '-' || !readNumber(text, at, 2, d))
        bad(text, what);
    if (at < text.size()) {
        if (text[at] != ' ' && text[at] != 'T') bad(text, what);
        ++at;
        if (!readNumber(text, at, 2, h) || at >= text.size() || text[at++] != ':' ||
            !readNumber(text, at, 2, mi))
            bad(text, what);
        if (at < text.size() && (text[at++] != ':' || !readNumber(text, at, 2, s))) bad(text, what);
        if (at != text.size()) bad(text, what);
    }
    if (!isValidDateTime(y, mo, d, h, mi, s)) bad(text, "a valid date between the years 100 and 9999");
    return dateTimeValue(y, mo, d, h * 3600 + mi * 60 + s);
}

std::int64_t parseCurrency(const std::string& text) {
    bool negative;
    std::string whole, frac;
    const char* what = "a currency amount (at most four decimals)";
    splitNumber(text, negative, whole, frac, what);
    if (frac.size() > 4) bad(text, what);
    frac.resize(4, '0');
    std::string digits = whole + frac;
    const std::uint64_t limit = std::uint64_t{1} << 63; // magnitude of the most negative amount
    std::uint64_t v = 0;
    for (char c : digits) {
        auto d = static_cast<unsigned>(c - '0');
        if (v > (limit - d) / 10) bad(text, "a currency amount in range");
        v = v * 10 + d;
    }
    if (!negative && v == limit) bad(text, "a currency amount in range");
    auto mag = static_cast<std::uint64_t>(v);
    return negative ? static_cast<std::int64_t>(0 - mag) : static_cast<std::int64_t>(mag);
}

Bytes parseDecimal(const std::string& text, unsigned precision, unsigned scale) {
    bool negative;
    std::string whole, frac;
    splitNumber(text, negative, whole, frac, "a decimal number");
    if (frac.size() > scale)
        bad(text, ("a number with at most " + std::to_string(scale) + " decimals").c_str());
    frac.resize(scale, '0');
    std::string digits = whole + frac;
    std::size_t first = digits.find_first_not_of('0');
    std::size_t significant = first == std::string::npos ? 0 : digits.size() - first;
    if (significant > precision)
        bad(text, ("a number of at most " + std::to_string(precision) + " digits").c_str());
    // A 128-bit magnitude: four 32-bit words, least significant first while computing.
    std::uint32_t words[4] = {0, 0, 0, 0};
    for (char c : digits) {
        std::uint64_t carry = static_cast<unsigned>(c - '0');
        for (auto& w : words) {
            std::uint64_t cur = std::uint64_t{w} * 10 + carry;
            w = static_cast<std::uint32_t>(cur);
            carry = cur >> 32;
        }
    }
    Bytes out;
    bool zero = significant == 0;
    out.push_back(negative && !zero ? 0x80 : 0x00);
    for (int i = 3; i >= 0; --i)
        appendU32(out, words[i]); // most significant word first
    return out;
}

Bytes parseGuid(const std::string& text) {
    std::string hex;
    std::string s = text;
    if (s.size() >= 2 && s.front() == '{' && s.back() == '}') s = s.substr(1, s.size() - 2);
    static constexpr std::size_t dashes[4] = {8, 13, 18, 23};
    if (s.size() != 36) bad(text, "a GUID ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
    for (std::size_t i = 0; i < s.size(); ++i) {
        bool dash = i == dashes[0] || i == dashes[1] || i == dashes[2] || i == dashes[3];
        if (dash ? s[i] != '-' : !std::isxdigit(static_cast<unsigned char>(s[i])))
            bad(text, "a GUID ({XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX})");
        if (!dash) hex.push_back(s[i]);
    }
    Bytes raw;
    for (std::size_t i = 0; i < 32; i += 2)
        raw.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    // The first three groups are stored little-endian.
    Bytes out = raw;
    for (int i = 0; i < 4; ++i)
        out[static_cast<std::size_t>(i)] = raw[static_cast<std::size_t>(3 - i)];
    out[4] = raw[5];
    out[5] = raw[4];
    out[6] = raw[7];
    out[7] = raw[6];
    return out;
}

} // namespace jet
