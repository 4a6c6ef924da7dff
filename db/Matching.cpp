#include "db/Matching.h"

#include "db/Ado.h"
#include "db/Calendar.h"
#include "db/DecimalText.h"
#include "db/Error.h"
#include "db/ValueText.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace db {

using sql::Literal;

namespace {

Error mismatch() {
    return Error(ErrorNumber::TypeMismatch, "Data type mismatch in criteria expression.");
}

template <class F> std::string bitsKey(F value) {
    if (value == 0) value = 0; // -0 equals 0
    if constexpr (sizeof(F) == 4)
        return std::to_string(std::bit_cast<std::uint32_t>(value));
    else
        return std::to_string(std::bit_cast<std::uint64_t>(value));
}

// A literal number as an exact decimal; a number written with an exponent goes through its double.
std::string literalDecimal(const Literal& lit) {
    if (isPlainDecimal(lit.text)) return canonicalDecimal(lit.text);
    char buf[512];
    std::snprintf(buf, sizeof buf, "%.30f", lit.number);
    return canonicalDecimal(buf);
}

float literalSingle(const Literal& lit) {
    float f = 0;
    const char* first = lit.text.data();
    if (*first == '+') ++first;
    std::from_chars(first, lit.text.data() + lit.text.size(), f); // rounded once, from the digits
    return f;
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Characters as Access counts them: UTF-16 code units.
std::size_t utf16Length(const std::string& s) {
    std::size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80) n += c >= 0xF0 ? 2 : 1;
    return n;
}

} // namespace

ValueDomain domainOf(int adoType) {
    using namespace ADODB;
    switch (adoType) {
    case adUnsignedTinyInt:
    case adSmallInt:
    case adInteger:
    case adBigInt:
        return ValueDomain::Integer;
    case adSingle:
        return ValueDomain::Single;
    case adDouble:
        return ValueDomain::Double;
    case adCurrency:
        return ValueDomain::Currency;
    case adNumeric:
        return ValueDomain::Decimal;
    case adDate:
        return ValueDomain::Date;
    case adBoolean:
        return ValueDomain::Boolean;
    case adGUID:
        return ValueDomain::Guid;
    case adLongVarBinary:
        return ValueDomain::Binary;
    default:
        return ValueDomain::Text;
    }
}

std::optional<std::string> keyOfValue(ValueDomain domain, const Variant& v) {
    if (v.isNull()) return std::nullopt;
    const auto& s = v.storage();
    switch (domain) {
    case ValueDomain::Integer:
        if (auto* i = std::get_if<std::int64_t>(&s)) return std::to_string(*i);
        break;
    case ValueDomain::Single:
        if (auto* f = std::get_if<float>(&s))
            return std::isnan(*f) ? std::nullopt : std::optional(bitsKey(*f));
        break;
    case ValueDomain::Double:
        if (auto* d = std::get_if<double>(&s))
            return std::isnan(*d) ? std::nullopt : std::optional(bitsKey(*d));
        break;
    case ValueDomain::Currency:
        if (auto* c = std::get_if<Currency>(&s)) return canonicalDecimal(c->text());
        break;
    case ValueDomain::Decimal:
        if (auto* d = std::get_if<Decimal>(&s)) return canonicalDecimal(d->text);
        break;
    case ValueDomain::Date:
        if (auto* d = std::get_if<Date>(&s)) return bitsKey(d->days);
        break;
    case ValueDomain::Boolean:
        if (auto* b = std::get_if<bool>(&s)) return std::string(*b ? "1" : "0");
        break;
    case ValueDomain::Guid:
        if (auto* t = std::get_if<std::string>(&s)) return upper(*t);
        break;
    case ValueDomain::Text:
        if (auto* t = std::get_if<std::string>(&s)) return *t;
        break;
    case ValueDomain::Binary:
        return std::nullopt;
    }
    return valueText(v); // a value of another kind than its column: compare by its text
}

std::optional<std::string> keyOfLiteral(ValueDomain domain, const Literal& lit) {
    using K = Literal::Kind;
    if (lit.kind == K::Null) return std::nullopt;
    switch (domain) {
    case ValueDomain::Text:
        if (lit.kind == K::Text) return lit.text;
        break;
    case ValueDomain::Guid:
        if (lit.kind == K::Text) return upper(lit.text);
        break;
    case ValueDomain::Integer:
        if (lit.kind == K::Boolean) return std::string(lit.boolean ? "-1" : "0");
        if (lit.kind == K::Number) {
            if (lit.integral) return std::to_string(lit.integer);
            const std::string exact = literalDecimal(lit);
            // A fraction never equals a whole number: give a key no integer has.
            return exact.find('.') == std::string::npos ? exact : "~" + exact;
        }
        break;
    case ValueDomain::Single:
        if (lit.kind == K::Number) return bitsKey(literalSingle(lit));
        break;
    case ValueDomain::Double:
        if (lit.kind == K::Number) return bitsKey(lit.number);
        break;
    case ValueDomain::Currency:
    case ValueDomain::Decimal:
        if (lit.kind == K::Number) return literalDecimal(lit);
        break;
    case ValueDomain::Date:
        if (lit.kind == K::Date) return bitsKey(lit.days);
        if (lit.kind == K::Number) return bitsKey(lit.number);
        break;
    case ValueDomain::Boolean:
        if (lit.kind == K::Boolean) return std::string(lit.boolean ? "1" : "0");
        if (lit.kind == K::Number) return std::string(lit.number != 0 ? "1" : "0");
        break;
    case ValueDomain::Binary:
        break;
    }
    throw mismatch();
}

Variant assignedValue(ValueDomain domain, int maxLength, const Literal& lit, const std::string& column) {
    using K = Literal::Kind;
    if (lit.kind == K::Null) return Variant();
    switch (domain) {
    case ValueDomain::Text:
    case ValueDomain::Guid: {
        std::string text;
        if (lit.kind == K::Text)
            text = lit.text;
        else if (lit.kind == K::Number)
            text = lit.text;
        else
            throw mismatch();
        if (maxLength > 0 && utf16Length(text) > static_cast<std::size_t>(maxLength))
            throw Error(ErrorNumber::Unspecified,
                        "The field '" + column +
                            "' is too small to accept the amount of data you attempted to add. "
                            "Try inserting or pasting less data.");
        return Variant(std::move(text));
    }
    case ValueDomain::Integer:
        if (lit.kind == K::Number && lit.integral) return Variant(lit.integer);
        if (lit.kind == K::Boolean) return Variant(std::int64_t{lit.boolean ? -1 : 0});
        break;
    case ValueDomain::Single:
        if (lit.kind == K::Number) return Variant(literalSingle(lit));
        break;
    case ValueDomain::Double:
        if (lit.kind == K::Number) return Variant(lit.number);
        break;
    case ValueDomain::Currency:
        if (lit.kind == K::Number) return Variant(Currency{std::llround(lit.number * 10000.0)});
        break;
    case ValueDomain::Decimal:
        if (lit.kind == K::Number) return Variant(Decimal{literalDecimal(lit)});
        break;
    case ValueDomain::Date:
        if (lit.kind == K::Date) return Variant(Date{lit.days});
        break;
    case ValueDomain::Boolean:
        if (lit.kind == K::Boolean) return Variant(lit.boolean);
        if (lit.kind == K::Number) return Variant(lit.number != 0);
        break;
    case ValueDomain::Binary:
        break;
    }
    throw mismatch();
}

} // namespace db
