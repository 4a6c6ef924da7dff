#include "db/Matching.h"

#include "db/Ado.h"
#include "db/Calendar.h"
#include "db/DecimalText.h"
#include "db/Error.h"
#include "db/ValueText.h"
#include "jet/Jet.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <limits>

namespace db {

using sql::Literal;

namespace {

// The most digits a Decimal holds (its precision's limit), before and after the point.
constexpr int MaxDecimalDigits = 28;

Error mismatch() {
    return Error(ErrorNumber::TypeMismatch, "Data type mismatch in criteria expression.");
}

Error overflow() {
    return Error(ErrorNumber::NumericOverflow, "Numeric field overflow.");
}

template <class F> std::string bitsKey(F value) {
    if (value == 0) value = 0; // -0 equals 0
    if constexpr (sizeof(F) == 4)
        return std::to_string(std::bit_cast<std::uint32_t>(value));
    else
        return std::to_string(std::bit_cast<std::uint64_t>(value));
}

// The literal's digits exactly; the parser makes only numbers this reads.
ExactNumber exactOf(const Literal& lit) {
    auto n = parseExactNumber(lit.text);
    if (!n) throw mismatch();
    return *n;
}

// The literal as a Single, rounded once from its digits; nullopt when it is too large for one.
std::optional<float> literalSingle(const Literal& lit) {
    float f = 0;
    const char* first = lit.text.data();
    const char* last = first + lit.text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, ec] = std::from_chars(first, last, f);
    if (ec == std::errc::result_out_of_range) {
        if (exactOf(lit).wholeDigits() > 0) return std::nullopt;
        return lit.text[0] == '-' ? -0.0f : 0.0f; // below the smallest Single: it rounds to 0
    }
    if (ec != std::errc() || end != last) throw mismatch();
    return f;
}

// A Currency amount in ten-thousandths, rounded to four places half away from zero; nullopt when
// it lies outside -922,337,203,685,477.5808 .. 922,337,203,685,477.5807.
std::optional<std::int64_t> currencyUnits(ExactNumber n) {
    if (!n.isZero()) n.exponent += 4;
    const auto whole = roundedDecimal(n, 0, 19);
    if (!whole) return std::nullopt;
    return exactInteger(*parseExactNumber(*whole), std::numeric_limits<std::int64_t>::min(),
                        std::numeric_limits<std::int64_t>::max());
}

// The range of an integer column's type.
std::pair<std::int64_t, std::int64_t> integerRange(int adoType) {
    switch (adoType) {
    case ADODB::adUnsignedTinyInt:
        return {0, 255};
    case ADODB::adSmallInt:
        return {-32768, 32767};
    case ADODB::adInteger:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    default:
        return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    }
}

std::string upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
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
    case adBinary:
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
        if (const std::string* own = ownKey(domain, v)) return *own;
        break;
    case ValueDomain::Binary:
        return std::nullopt;
    }
    return valueText(v); // a value of another kind than its column: compare by its text
}

const std::string* ownKey(ValueDomain domain, const Variant& value) {
    return domain == ValueDomain::Text ? std::get_if<std::string>(&value.storage()) : nullptr;
}

const std::string* ownKey(ValueDomain domain, const Literal& lit) {
    return domain == ValueDomain::Text && lit.kind == Literal::Kind::Text ? &lit.text : nullptr;
}

std::optional<std::string> keyOfLiteral(ValueDomain domain, const Literal& lit) {
    using K = Literal::Kind;
    if (lit.kind == K::Null) return std::nullopt;
    constexpr std::int64_t min64 = std::numeric_limits<std::int64_t>::min();
    constexpr std::int64_t max64 = std::numeric_limits<std::int64_t>::max();
    switch (domain) {
    case ValueDomain::Text:
        if (const std::string* own = ownKey(domain, lit)) return *own;
        break;
    case ValueDomain::Guid:
        if (lit.kind == K::Text) return upper(lit.text);
        break;
    case ValueDomain::Integer:
        if (lit.kind == K::Boolean) return std::string(lit.boolean ? "-1" : "0");
        if (lit.kind == K::Number) {
            // A fraction, or a number beyond 64 bits, equals no whole number the column holds.
            if (auto n = exactInteger(exactOf(lit), min64, max64)) return std::to_string(*n);
            return std::nullopt;
        }
        break;
    case ValueDomain::Single:
        if (lit.kind == K::Number) {
            if (auto f = literalSingle(lit)) return bitsKey(*f);
            return std::nullopt;
        }
        break;
    case ValueDomain::Double:
        if (lit.kind == K::Number)
            return std::isfinite(lit.number) ? std::optional(bitsKey(lit.number)) : std::nullopt;
        break;
    case ValueDomain::Currency:
        if (lit.kind == K::Number) {
            const ExactNumber n = exactOf(lit);
            if (n.fractionDigits() > 4) return std::nullopt; // no amount has a fifth decimal
            if (auto units = currencyUnits(n)) return canonicalDecimal(Currency{*units}.text());
            return std::nullopt;
        }
        break;
    case ValueDomain::Decimal:
        if (lit.kind == K::Number) {
            const ExactNumber n = exactOf(lit);
            if (n.fractionDigits() > MaxDecimalDigits) return std::nullopt;
            return roundedDecimal(n, MaxDecimalDigits, MaxDecimalDigits);
        }
        break;
    case ValueDomain::Date:
        if (lit.kind == K::Date) return bitsKey(lit.days);
        if (lit.kind == K::Number)
            return std::isfinite(lit.number) ? std::optional(bitsKey(lit.number)) : std::nullopt;
        break;
    case ValueDomain::Boolean:
        // Yes is stored as -1 and No as 0, as the platform compares them: 1 equals neither.
        if (lit.kind == K::Boolean) return std::string(lit.boolean ? "1" : "0");
        if (lit.kind == K::Number) {
            const auto n = exactInteger(exactOf(lit), -1, 0);
            if (!n) return std::nullopt;
            return std::string(*n == -1 ? "1" : "0");
        }
        break;
    case ValueDomain::Binary:
        break;
    }
    throw mismatch();
}

Variant assignedValue(const StoreColumn& column, const Literal& lit) {
    using K = Literal::Kind;
    if (lit.kind == K::Null) return Variant();
    const ValueDomain domain = domainOf(column.adoType);
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
        if (column.maxLength > 0 && jet::utf16Length(text) > static_cast<std::size_t>(column.maxLength))
            throw Error(ErrorNumber::Unspecified,
                        "The field '" + column.name +
                            "' is too small to accept the amount of data you attempted to add. "
                            "Try inserting or pasting less data.");
        return Variant(std::move(text));
    }
    case ValueDomain::Integer: {
        const auto [lo, hi] = integerRange(column.adoType);
        if (lit.kind == K::Boolean) {
            const std::int64_t v = lit.boolean ? -1 : 0;
            if (v < lo) throw overflow();
            return Variant(v);
        }
        if (lit.kind == K::Number) {
            const ExactNumber n = exactOf(lit);
            if (n.fractionDigits() > 0) break; // a fraction is not a whole number
            if (auto v = exactInteger(n, lo, hi)) return Variant(*v);
            throw overflow();
        }
        break;
    }
    case ValueDomain::Single:
        if (lit.kind == K::Number) {
            if (auto f = literalSingle(lit)) return Variant(*f);
            throw overflow();
        }
        break;
    case ValueDomain::Double:
        if (lit.kind == K::Number) {
            if (!std::isfinite(lit.number)) throw overflow();
            return Variant(lit.number);
        }
        break;
    case ValueDomain::Currency:
        if (lit.kind == K::Number) {
            if (auto units = currencyUnits(exactOf(lit))) return Variant(Currency{*units});
            throw overflow();
        }
        break;
    case ValueDomain::Decimal:
        if (lit.kind == K::Number) {
            const int scale = std::clamp(column.scale, 0, MaxDecimalDigits);
            const int whole = std::clamp(column.precision, 1, MaxDecimalDigits) - scale;
            if (auto text = roundedDecimal(exactOf(lit), scale, std::max(whole, 0)))
                return Variant(Decimal{*text});
            throw overflow();
        }
        break;
    case ValueDomain::Date:
        if (lit.kind == K::Date) return Variant(Date{lit.days});
        break;
    case ValueDomain::Boolean:
        if (lit.kind == K::Boolean) return Variant(lit.boolean);
        if (lit.kind == K::Number) return Variant(!exactOf(lit).isZero());
        break;
    case ValueDomain::Binary:
        break;
    }
    throw mismatch();
}

} // namespace db
