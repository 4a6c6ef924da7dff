#include "db/ValueText.h"

#include "db/Calendar.h"

#include <charconv>
#include <cmath>

namespace db {

namespace {

template <class F> std::string shortest(F value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    return ec == std::errc() ? std::string(buf, end) : std::string();
}

std::string trimmedDecimal(std::string text) {
    if (text.find('.') == std::string::npos) return text;
    while (text.back() == '0')
        text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text == "-0" ? "0" : text;
}

std::string hexBytes(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (auto b : bytes) {
        out += digits[b >> 4];
        out += digits[b & 15];
    }
    return out;
}

} // namespace

std::string shortestText(double value) {
    return shortest(value);
}
std::string shortestText(float value) {
    return shortest(value);
}

std::optional<std::string> valueText(const Variant& value) {
    const auto& s = value.storage();
    if (std::holds_alternative<Null>(s)) return std::nullopt;
    if (auto* b = std::get_if<bool>(&s)) return *b ? "True" : "False";
    if (auto* i = std::get_if<std::int64_t>(&s)) return std::to_string(*i);
    if (auto* f = std::get_if<float>(&s)) return shortest(*f);
    if (auto* d = std::get_if<double>(&s)) return shortest(*d);
    if (auto* c = std::get_if<Currency>(&s)) return trimmedDecimal(c->text());
    if (auto* d = std::get_if<Decimal>(&s)) return trimmedDecimal(d->text);
    if (auto* d = std::get_if<Date>(&s)) return formatAccessDate(d->days);
    if (auto* t = std::get_if<std::string>(&s)) return *t;
    if (auto* b = std::get_if<Bytes>(&s)) return hexBytes(*b);
    return std::string(); // arrays have no text form
}

} // namespace db
