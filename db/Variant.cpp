#include "db/Variant.h"

namespace db {

namespace {
bool asNumber(const Variant::Storage& s, double& out) {
    if (auto* i = std::get_if<std::int64_t>(&s)) {
        out = static_cast<double>(*i);
        return true;
    }
    if (auto* d = std::get_if<double>(&s)) {
        out = *d;
        return true;
    }
    return false;
}
} // namespace

bool operator==(const Variant& a, const Variant& b) {
    const auto& x = a.storage();
    const auto& y = b.storage();
    if (x.index() == y.index()) return x == y;
    // Whole numbers against floating numbers: compare by value. An int64 beyond 2^53 cannot be
    // represented exactly as a double, so compare such pairs through the integer when possible.
    if (auto* i = std::get_if<std::int64_t>(&x); i && std::holds_alternative<double>(y)) {
        double d = std::get<double>(y);
        return static_cast<double>(*i) == d && d >= -9.2233720368547758e18 && d < 9.2233720368547758e18 &&
               static_cast<std::int64_t>(d) == *i;
    }
    if (std::holds_alternative<double>(x) && std::holds_alternative<std::int64_t>(y)) return b == a;
    double dx, dy;
    if (asNumber(x, dx) && asNumber(y, dy)) return dx == dy;
    return false;
}

} // namespace db
