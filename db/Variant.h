#pragma once
// The program's value type: what a field's Value holds and what the helpers pass around.
// A value is Null (the database's missing value), a Boolean, a whole number, a single or double
// floating number, a currency amount, a decimal, a date, a text (UTF-8), a byte string, or an
// array of values.

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace db {

struct Null {
    friend bool operator==(Null, Null) { return true; }
};

// A Date/Time value: days since 1899-12-30, the fraction being the time of day.
struct Date {
    double days = 0;
    friend bool operator==(Date a, Date b) { return a.days == b.days; }
};

// A Currency value: a whole number of ten-thousandths.
struct Currency {
    std::int64_t units = 0;
    std::string text() const; // four decimals: "-12.3400"

    friend bool operator==(Currency a, Currency b) { return a.units == b.units; }
};

// A Decimal value as exact text: an optional "-", digits, and a "." with the scale's digits when
// the scale is not 0 ("-12.3400").
struct Decimal {
    std::string text;
    friend bool operator==(const Decimal& a, const Decimal& b); // by value: "1.50" == "1.5"
};

using Bytes = std::vector<std::uint8_t>;

class Variant {
public:
    using Array = std::vector<Variant>;
    using Storage = std::variant<Null, bool, std::int64_t, float, double, Currency, Decimal, Date,
                                 std::string, Bytes, Array>;

    Variant() = default; // Null
    Variant(Null) {}
    Variant(bool b) : v_(b) {}
    Variant(int i) : v_(std::int64_t{i}) {}
    Variant(std::int64_t i) : v_(i) {}
    Variant(float f) : v_(f) {}
    Variant(double d) : v_(d) {}
    Variant(Currency c) : v_(c) {}
    Variant(Decimal d) : v_(std::move(d)) {}
    Variant(Date d) : v_(d) {}
    Variant(const char* s) : v_(std::string(s)) {}
    Variant(std::string s) : v_(std::move(s)) {}
    Variant(Bytes b) : v_(std::move(b)) {}
    Variant(Array a) : v_(std::move(a)) {}

    bool isNull() const { return std::holds_alternative<Null>(v_); }
    bool isText() const { return std::holds_alternative<std::string>(v_); }
    bool isNumber() const {
        return std::holds_alternative<std::int64_t>(v_) || std::holds_alternative<float>(v_) ||
               std::holds_alternative<double>(v_) || std::holds_alternative<Currency>(v_) ||
               std::holds_alternative<Decimal>(v_);
    }
    bool isArray() const { return std::holds_alternative<Array>(v_); }

    // Makes the value this text, in the room of the text it held, if it held one.
    void setText(std::string_view text) {
        if (auto* held = std::get_if<std::string>(&v_))
            held->assign(text);
        else
            v_ = std::string(text);
    }

    template <class T> bool is() const { return std::holds_alternative<T>(v_); }
    template <class T> const T& get() const { return std::get<T>(v_); }
    const Storage& storage() const { return v_; }

    // Value equality: numbers compare by value whatever their kind (exactly: no rounding through
    // a double); texts compare exactly (case-sensitive); values of different kinds are unequal.
    friend bool operator==(const Variant& a, const Variant& b);

private:
    Storage v_;
};

} // namespace db
