#include "jet/read/Value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "jet/format/DateTime.h"
#include "jet/format/Text.h"
#include "jet/read/LongValue.h"

namespace jet {

namespace {

// Into `out`, whose room serves again.
void decodeText(const Format& f, const Column& c, const std::uint8_t* data, std::size_t size, unsigned dbCodePage,
                std::string& out) {
    if (f.jet3)
        out = decodeCodePage(data, size, c.codePage ? c.codePage : dbCodePage);
    else
        decodeJet4Text(data, size, out);
}

// A calculated column's value sits inside a wrapper: 16 bytes, the data length (u32), the data.
ByteView unwrapCalculated(ByteView b) {
    if (b.size() < calculated_value::DataOffset) return b;
    std::size_t len = b.u32(calculated_value::LengthOffset);
    return b.sub(calculated_value::DataOffset, std::min(len, b.size() - calculated_value::DataOffset),
                 "calculated value");
}

// Calculated Decimal: u16 length, scale, sign, then up to 16 magnitude bytes: a leading
// little-endian u32 when the count is not a multiple of 8, then little-endian u64s, most
// significant first.
std::string calculatedDecimal(ByteView b) {
    if (b.size() < 4) corrupt("calculated decimal of " + std::to_string(b.size()) + " bytes");
    std::size_t total = b.u16(0);
    std::size_t n = (total > 0 ? total : b.size()) - 2;
    n = std::min<std::size_t>(std::min(n, b.size() - 4) / 4 * 4, 16);
    unsigned scale = b.u8(2);
    bool negative = b.u8(3) != 0;
    ByteView mag = b.sub(4, n, "calculated decimal");
    std::uint8_t plain[17] = {};
    plain[0] = negative ? 0x80 : 0;
    // Rebuild the layout of a stored Decimal: four little-endian u32 words, most significant first.
    std::uint8_t be[16] = {};
    std::size_t pos = 0, out = 16 - n;
    if (n % 8) {
        std::uint32_t w = mag.u32(0);
        for (int k = 0; k < 4; ++k)
            be[out + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(w >> (24 - 8 * k));
        pos = 4;
        out += 4;
    }
    for (; pos + 8 <= n; pos += 8, out += 8) {
        std::uint64_t w = mag.u64(pos);
        for (int k = 0; k < 8; ++k)
            be[out + static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(w >> (56 - 8 * k));
    }
    for (int word = 0; word < 4; ++word)
        for (int k = 0; k < 4; ++k)
            plain[1 + 4 * word + k] = be[4 * word + 3 - k];
    return formatDecimal(ByteView(plain, sizeof plain), scale);
}

} // namespace

std::string formatDateTime(double days) {
    if (!std::isfinite(days) || std::fabs(days) > 1e7) return "invalid date";
    // The integer part counts days (negative before 1899-12-30); the fraction is always the time of
    // day, even for negative values: -1.25 is 1899-12-29 06:00.
    double whole = std::trunc(days);
    double frac = std::fabs(days - whole);
    auto secs = static_cast<std::int64_t>(std::llround(frac * 86400.0));
    auto day = static_cast<std::int64_t>(whole);
    if (secs >= 86400) {
        // Rounding reached the next midnight.
        secs -= 86400;
        day += 1;
    }
    std::int64_t y;
    unsigned m, d;
    civilFromDays(day - UnixEpochDay, y, m, d);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u %02lld:%02lld:%02lld", static_cast<long long>(y), m, d,
                  static_cast<long long>(secs / 3600), static_cast<long long>(secs / 60 % 60),
                  static_cast<long long>(secs % 60));
    return buf;
}

std::string formatCurrency(std::int64_t scaled) {
    bool neg = scaled < 0;
    std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(scaled) : static_cast<std::uint64_t>(scaled);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%s%llu.%04llu", neg ? "-" : "",
                  static_cast<unsigned long long>(mag / 10000), static_cast<unsigned long long>(mag % 10000));
    return buf;
}

std::string formatGuid(ByteView b) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", b.u32(0), b.u16(4),
                  b.u16(6), b.u8(8), b.u8(9), b.u8(10), b.u8(11), b.u8(12), b.u8(13), b.u8(14), b.u8(15));
    return buf;
}

std::string formatDecimal(ByteView b, unsigned scale) {
    // Magnitude: four little-endian 32-bit words, most significant first.
    std::uint32_t words[4];
    for (int i = 0; i < 4; ++i)
        words[i] = b.u32(1 + 4 * static_cast<std::size_t>(i));
    std::string digits;
    for (;;) {
        bool zero = true;
        std::uint64_t rem = 0;
        for (auto& w : words) {
            std::uint64_t cur = (rem << 32) | w;
            w = static_cast<std::uint32_t>(cur / 10);
            rem = cur % 10;
            zero = zero && w == 0;
        }
        digits.insert(digits.begin(), static_cast<char>('0' + rem));
        if (zero) break;
    }
    if (scale > 38) scale = 38;
    while (digits.size() <= scale)
        digits.insert(digits.begin(), '0');
    if (scale) digits.insert(digits.end() - scale, '.');
    bool allZero = digits.find_first_not_of("0.") == std::string::npos;
    if ((b.u8(0) & 0x80) && !allZero) digits.insert(digits.begin(), '-');
    return digits;
}

void decodeValue(Pager& pager, const Column& c, const FieldBytes& field, unsigned dbCodePage, Value& out) {
    using K = Value::Kind;
    out.text.clear();
    out.bytes.clear();
    if (c.type == ColumnType::Boolean && !c.calculated()) {
        out.kind = K::Boolean;
        out.boolean = field.bit;
        return;
    }
    if (field.null) {
        out.kind = K::Null;
        return;
    }
    const Format& f = pager.format();
    ByteView b = field.bytes;
    std::uint8_t widened[64];
    const ColumnType type = c.valueType();
    if (c.calculated()) {
        if (type == ColumnType::Memo) {
            std::vector<std::uint8_t> raw = readLongValue(pager, b);
            ByteView inner = unwrapCalculated(ByteView(raw.data(), raw.size()));
            out.kind = K::Text;
            decodeText(f, c, inner.data(), inner.size(), dbCodePage, out.text);
            return;
        }
        b = unwrapCalculated(b);
        if (b.empty() && type != ColumnType::Text) { // no result stored
            out.kind = K::Null;
            return;
        }
        if (type == ColumnType::Boolean) {
            out.kind = K::Boolean;
            out.boolean = b.u8(0) != 0;
            return;
        }
        if (type == ColumnType::Decimal) {
            out.kind = K::Decimal;
            out.text = calculatedDecimal(b);
            return;
        }
        // Access may store a result narrower than its type (a Yes/No result in an Integer
        // column): widen it, extending the sign.
        std::size_t want = fixedSizeOf(type);
        if (want && b.size() < want && b.size() > 0) {
            std::uint8_t fill = (b.u8(b.size() - 1) & 0x80) ? 0xFF : 0x00;
            for (std::size_t k = 0; k < want; ++k)
                widened[k] = k < b.size() ? b.u8(k) : fill;
            b = ByteView(widened, want);
        }
    }
    // Fixed-size values must have their bytes (Extended Date/Time is read up to its NUL).
    if (std::size_t n = fixedSizeOf(type); n && type != ColumnType::ExtDateTime && b.size() < n)
        corrupt("value of column " + c.name + " is " + std::to_string(b.size()) + " bytes, needs " +
                std::to_string(n));
    auto whole = [&](K kind, std::int64_t v) {
        out.kind = kind;
        out.integer = v;
    };
    auto real = [&](K kind, double v) {
        out.kind = kind;
        out.real = v;
    };
    switch (type) {
    case ColumnType::Boolean: // answered above
        out.kind = K::Null;
        return;
    case ColumnType::Byte:
        return whole(K::Integer, b.u8(0));
    case ColumnType::Integer:
        return whole(K::Integer, static_cast<std::int16_t>(b.u16(0)));
    case ColumnType::Long:
        return whole(K::Integer, b.i32(0));
    case ColumnType::BigInt:
        return whole(K::Integer, b.i64(0));
    case ColumnType::Complex:
        return whole(K::ComplexId, b.i32(0));
    case ColumnType::Currency:
        return whole(K::Currency, b.i64(0));
    case ColumnType::Single:
        return real(K::Single, b.f32(0));
    case ColumnType::Double:
        return real(K::Double, b.f64(0));
    case ColumnType::DateTime:
        return real(K::DateTime, b.f64(0));
    case ColumnType::Guid:
        out.kind = K::Guid;
        out.text = formatGuid(b);
        return;
    case ColumnType::Decimal:
        out.kind = K::Decimal;
        out.text = formatDecimal(b, c.scale);
        return;
    case ColumnType::ExtDateTime: {
        out.kind = K::ExtDateTime;
        std::size_t n = 0;
        while (n < b.size() && b.u8(n) != 0)
            ++n;
        out.text.assign(reinterpret_cast<const char*>(b.data()), n);
        for (char& ch : out.text)
            if (static_cast<unsigned char>(ch) >= 0x80) ch = '?';
        return;
    }
    case ColumnType::Text:
        out.kind = K::Text;
        decodeText(f, c, b.data(), b.size(), dbCodePage, out.text);
        return;
    case ColumnType::Binary:
    case ColumnType::Unknown11:
        out.kind = K::Binary;
        out.bytes.assign(b.data(), b.data() + b.size());
        return;
    case ColumnType::Memo: {
        std::vector<std::uint8_t> raw = readLongValue(pager, b);
        out.kind = K::Text;
        decodeText(f, c, raw.data(), raw.size(), dbCodePage, out.text);
        return;
    }
    case ColumnType::Ole:
        out.kind = K::Binary;
        out.bytes = readLongValue(pager, b);
        return;
    }
    // A type this engine does not know: the field's bytes as the row holds them.
    out.kind = K::Binary;
    out.bytes.assign(b.data(), b.data() + b.size());
}

} // namespace jet
