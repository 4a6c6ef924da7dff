#include "jet/encode/FieldEncoder.h"

#include <cmath>
#include <limits>

#include "jet/base/Error.h"
#include "jet/encode/ValueParse.h"
#include "jet/format/CodePage.h"
#include "jet/format/TextEncoder.h"

namespace jet {

namespace {

using K = Value::Kind;

[[noreturn]] void mismatch(const Column& c, const char* wanted) {
    throw Error(std::string("a ") + columnTypeName(c.type) + " column takes " + wanted);
}

// An integral value in [lo, hi], from an integer or a whole real number.
std::int64_t integral(const Column& c, const Value& v, std::int64_t lo, std::int64_t hi) {
    std::int64_t n;
    if (v.kind == K::Integer) {
        n = v.integer;
    } else if ((v.kind == K::Double || v.kind == K::Single) && std::isfinite(v.real) &&
               std::trunc(v.real) == v.real && std::fabs(v.real) < 9.2e18) {
        n = static_cast<std::int64_t>(v.real);
    } else {
        mismatch(c, "whole numbers");
    }
    if (n < lo || n > hi)
        throw Error("the value " + std::to_string(n) + " lies outside the range of " +
                    columnTypeName(c.type) + " (" + std::to_string(lo) + " to " + std::to_string(hi) + ")");
    return n;
}

double real(const Column& c, const Value& v) {
    if (v.kind == K::Double || v.kind == K::Single) return v.real;
    if (v.kind == K::Integer) return static_cast<double>(v.integer);
    mismatch(c, "numbers");
}

std::u16string text(const Column& c, const Value& v) {
    if (v.kind != K::Text) mismatch(c, "text");
    return utf16FromUtf8(v.text);
}

// Jet3 text: bytes in the code page, as many as the column's length at most.
Bytes codePageText(const Column& c, const Value& v, unsigned codePage, bool limited) {
    if (v.kind != K::Text) mismatch(c, "text");
    const unsigned cp = c.codePage ? c.codePage : codePage;
    Bytes b = encodeCodePage(v.text, cp);
    if (limited && b.size() > c.length) {
        std::size_t chars = 0;
        for (char ch : v.text)
            chars += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
        if (chars > c.length)
            throw Error("the text of " + std::to_string(chars) + " characters is longer than the column's " +
                        std::to_string(c.length));
        throw Error("the text takes " + std::to_string(b.size()) + " bytes in code page " + codePageName(cp) +
                    ", more than the column's " + std::to_string(c.length));
    }
    return b;
}

} // namespace

void encodeField(const Format& f, unsigned codePage, const Column& c, const Value& v,
                 LongValueWriter* longValues, bool inlineAllowed, FieldValue& out) {
    out.null = true;
    out.bit = false;
    out.bytes.clear();
    if (v.kind == K::Null) {
        if (c.type == ColumnType::Boolean) out.null = false; // No
        return;
    }
    out.null = false;
    Bytes& b = out.bytes;
    switch (c.type) {
    case ColumnType::Boolean:
        if (v.kind == K::Boolean)
            out.bit = v.boolean;
        else if (v.kind == K::Integer)
            out.bit = v.integer != 0;
        else
            mismatch(c, "true or false");
        return;
    case ColumnType::Byte:
        b.push_back(static_cast<std::uint8_t>(integral(c, v, 0, 255)));
        return;
    case ColumnType::Integer:
        appendU16(b, static_cast<std::uint16_t>(integral(c, v, -32768, 32767)));
        return;
    case ColumnType::Long:
        appendU32(b, static_cast<std::uint32_t>(integral(c, v, std::numeric_limits<std::int32_t>::min(),
                                                         std::numeric_limits<std::int32_t>::max())));
        return;
    case ColumnType::Single: {
        double d = real(c, v);
        if (std::isfinite(d) && std::fabs(d) > std::numeric_limits<float>::max())
            throw Error("the value " + std::to_string(d) + " lies outside the range of Single");
        appendF32(b, static_cast<float>(d));
        return;
    }
    case ColumnType::Double:
        appendF64(b, real(c, v));
        return;
    case ColumnType::DateTime: {
        double d;
        if (v.kind == K::DateTime)
            d = v.real;
        else if (v.kind == K::Text)
            d = parseDateTime(v.text);
        else
            mismatch(c, "dates (\"YYYY-MM-DD HH:MM:SS\")");
        appendF64(b, d);
        return;
    }
    case ColumnType::Currency: {
        std::int64_t scaled;
        if (v.kind == K::Currency)
            scaled = v.integer;
        else if (v.kind == K::Text)
            scaled = parseCurrency(v.text);
        else if (v.kind == K::Integer && std::llabs(v.integer) < 922337203685477)
            scaled = v.integer * 10000;
        else if ((v.kind == K::Double || v.kind == K::Single) && std::isfinite(v.real) &&
                 std::fabs(v.real) < 9.2e14)
            scaled = std::llround(v.real * 10000.0);
        else
            mismatch(c, "amounts (\"12.3400\")");
        appendU64(b, static_cast<std::uint64_t>(scaled));
        return;
    }
    case ColumnType::Guid:
        if (v.kind != K::Guid && v.kind != K::Text)
            mismatch(c, "GUIDs (\"{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}\")");
        b = parseGuid(v.text);
        return;
    case ColumnType::Decimal: {
        std::string t;
        if (v.kind == K::Decimal || v.kind == K::Text)
            t = v.text;
        else if (v.kind == K::Integer)
            t = std::to_string(v.integer);
        else
            mismatch(c, "decimal numbers as text (\"-12.50\")");
        b = parseDecimal(t, c.precision, c.scale);
        return;
    }
    case ColumnType::Text: {
        if (f.jet3) {
            b = codePageText(c, v, codePage, true);
            return;
        }
        // Most text is plain ASCII, one character a byte: encoded without a UTF-16 copy when it fits.
        if (v.kind == K::Text && v.text.size() <= c.length / 2u)
            if (encodeJet4Ascii(v.text, c.compressedUnicode(), b)) return;
        std::u16string u = text(c, v);
        if (u.size() > c.length / 2u)
            throw Error("the text of " + std::to_string(u.size()) +
                        " characters is longer than the column's " + std::to_string(c.length / 2u));
        b = encodeJet4Text(u, c.compressedUnicode());
        return;
    }
    case ColumnType::Binary:
    case ColumnType::Ole: {
        if (v.kind != K::Binary) mismatch(c, "bytes (\"base64:...\")");
        if (c.type == ColumnType::Binary) {
            if (v.bytes.size() > c.length)
                throw Error("the value is longer than the column's " + std::to_string(c.length) + " bytes");
            b = v.bytes;
            return;
        }
        if (!longValues) throw Error("internal error: no long-value writer for column " + c.name);
        b = longValues->store(v.bytes, inlineAllowed);
        return;
    }
    case ColumnType::Memo: {
        Bytes data;
        if (f.jet3) {
            data = codePageText(c, v, codePage, false);
        } else {
            std::u16string u = text(c, v);
            // Access compresses memo text only while it is short; longer text is stored as it is.
            constexpr std::size_t compressUpTo = 1024;
            data = encodeJet4Text(u, c.compressedUnicode() && u.size() <= compressUpTo);
        }
        if (!longValues) throw Error("internal error: no long-value writer for column " + c.name);
        b = longValues->store(data, inlineAllowed);
        return;
    }
    default:
        throw Error("values of type " + columnTypeName(c.type) + " cannot be written");
    }
}

FieldValue encodeField(const Format& f, unsigned codePage, const Column& c, const Value& v,
                       LongValueWriter* longValues, bool inlineAllowed) {
    FieldValue out;
    encodeField(f, codePage, c, v, longValues, inlineAllowed, out);
    return out;
}


} // namespace jet
