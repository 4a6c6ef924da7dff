#include "db/Variant.h"

#include "db/DecimalText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

namespace db {

namespace {

std::optional<std::string> exactText(const Variant::Storage& s) {
    if (auto* i = std::get_if<std::int64_t>(&s)) return canonicalDecimal(std::to_string(*i));
    if (auto* c = std::get_if<Currency>(&s)) return canonicalDecimal(c->text());
    if (auto* d = std::get_if<Decimal>(&s)) return canonicalDecimal(d->text);
    return std::nullopt;
}

std::optional<double> approximate(const Variant::Storage& s) {
    if (auto* f = std::get_if<float>(&s)) return *f;
    if (auto* d = std::get_if<double>(&s)) return *d;
    if (auto* i = std::get_if<std::int64_t>(&s)) return static_cast<double>(*i);
    if (auto* c = std::get_if<Currency>(&s)) return static_cast<double>(c->units) / 10000.0;
    if (auto* d = std::get_if<Decimal>(&s)) return std::strtod(d->text.c_str(), nullptr);
    return std::nullopt;
}

bool isFloating(const Variant::Storage& s) {
    return std::holds_alternative<float>(s) || std::holds_alternative<double>(s);
}

} // namespace

bool operator==(const Variant& a, const Variant& b) {
    const auto& x = a.storage();
    const auto& y = b.storage();
    if (auto ex = exactText(x), ey = exactText(y); ex && ey) return *ex == *ey;
    if (x.index() == y.index()) return x == y;
    if (!isFloating(x) && !isFloating(y)) return false;
    // A floating number against a whole number: equal only when the double is that integer
    // exactly (beyond 2^53 a double cannot stand for every integer).
    if (auto* i = std::get_if<std::int64_t>(&x); i && isFloating(y)) {
        const double d = *approximate(y);
        return d >= -9.2233720368547758e18 && d < 9.2233720368547758e18 && std::trunc(d) == d &&
               static_cast<std::int64_t>(d) == *i;
    }
    if (std::holds_alternative<std::int64_t>(y)) return b == a;
    auto dx = approximate(x), dy = approximate(y);
    return dx && dy && *dx == *dy;
}

std::string Currency::text() const {
    const bool negative = units < 0;
    // In unsigned arithmetic the most negative amount has a magnitude too.
    const std::uint64_t magnitude =
        negative ? 0 - static_cast<std::uint64_t>(units) : static_cast<std::uint64_t>(units);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    return (negative ? "-" : "") + std::to_string(magnitude / 10000) + "." + fraction;
}

bool operator==(const Decimal& a, const Decimal& b) {
    return canonicalDecimal(a.text) == canonicalDecimal(b.text);
}

} // namespace db
